// A fresh folder for the updater's tests: the dictionary's folder, a temporary folder
// and a documents folder inside it, removed with the object.
#pragma once

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "Update.h"

class UpdateFixture {
public:
    explicit UpdateFixture(const std::string& version = "LEX27010") {
        std::filesystem::create_directories(root_ / "tmp");
        std::filesystem::create_directories(root_ / "docs");
        paths_ = MakeUpdatePaths(version, (root_ / "tmp").string() + "/", (root_ / "docs").string());
        paths_.DictionaryPath = (root_ / "LEXOTOT.TXT").string();
    }
    const TUpdatePaths& Paths() const { return paths_; }
    const std::filesystem::path& Root() const { return root_.Path(); }

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
    TempDir root_{"lexo-update"};
    TUpdatePaths paths_;
};
