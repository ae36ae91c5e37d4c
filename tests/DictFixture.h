// A small dictionary file for tests: written to a fresh temporary folder, opened through
// the dictionary store, removed with the object.
//
//   DictFixture dict({DictLine("chat", "0", "N11"), DictLine("chats", "chat", "N12")});
//   dict->FindText("chat\t", 0);
#pragma once

#include <string>
#include <vector>

#include "Global.h"
#include "TestSupport.h"
#include "tabfile.h"

// One word line: form, lemma, anagram key of the form, the marker "*" and the code.
inline std::string DictLine(const std::string& word, const std::string& lemma, const std::string& code) {
    return word + '\t' + lemma + '\t' + AnagramKey(word) + "\t*" + code;
}

class DictFixture {
public:
    // Writes the lines, each ended by lineBreak, and opens the file.
    explicit DictFixture(const std::vector<std::string>& lines, bool writable = false,
                         const std::string& lineBreak = "\r\n") {
        std::string text;
        for (const auto& l : lines) text += l + lineBreak;
        WriteFileBytes(path_, text);
        dict_ = TTabStringsFile::Create(path_, writable);
    }
    DictFixture(const DictFixture&) = delete;
    DictFixture& operator=(const DictFixture&) = delete;

    // Adds the version lines around word lines.
    static std::vector<std::string> Framed(std::vector<std::string> words, const std::string& version = "LEX00000") {
        words.insert(words.begin(), VersionLine(version));
        words.push_back(VersionLine(version));
        return words;
    }

    const std::string& Path() const { return path_; }
    const ITabStringsPtr& Ptr() const { return dict_; }
    ITabStrings& operator*() const { return *dict_; }
    ITabStrings* operator->() const { return dict_.get(); }

private:
    TempDir dir_{"lexo-dict"};
    std::string path_ = (dir_ / "LEXOTOT.TXT").string();
    ITabStringsPtr dict_;  // closed before its folder goes
};
