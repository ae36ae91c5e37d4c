// A fresh folder for the updater's tests: the dictionary's folder, a temporary folder
// and a documents folder inside it, removed with the object.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "Update.h"

class UpdateFixture {
public:
    explicit UpdateFixture(const std::string& version = "LEX27010") {
        std::string templ = (std::filesystem::temp_directory_path() / "lexo-update-XXXXXX").string();
        if (!mkdtemp(templ.data())) throw std::runtime_error("mkdtemp failed");
        root_ = templ;
        std::filesystem::create_directories(root_ / "tmp");
        std::filesystem::create_directories(root_ / "docs");
        paths_ = MakeUpdatePaths(version, (root_ / "tmp").string() + "/", (root_ / "docs").string());
        paths_.DictionaryPath = (root_ / "LEXOTOT.TXT").string();
    }
    ~UpdateFixture() {
        std::error_code ec;
        std::filesystem::remove_all(root_, ec);
    }
    UpdateFixture(const UpdateFixture&) = delete;
    UpdateFixture& operator=(const UpdateFixture&) = delete;

    const TUpdatePaths& Paths() const { return paths_; }
    const std::filesystem::path& Root() const { return root_; }

    static void Write(const std::string& path, const std::string& bytes) {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out) throw std::runtime_error("cannot write " + path);
    }
    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    // The lines, each followed by `brk`.
    static std::string Lines(const std::vector<std::string>& lines, const std::string& brk = "\r\n") {
        std::string text;
        for (const std::string& l : lines) text += l + brk;
        return text;
    }
    // The names in a folder, sorted.
    static std::vector<std::string> Names(const std::filesystem::path& dir) {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(dir)) names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::filesystem::path root_;
    TUpdatePaths paths_;
};
