// What a whole update run starts from and must end with, for the tests of the update
// procedure in process and of the real programs: a user's dictionary, a package built
// with libzip, the merged dictionary and the own words expected.
#pragma once

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "Global.h"
#include "TestSupport.h"
#include "ZipMaker.h"
#include "collate.h"
#include "tabfile.h"

namespace update_data {

inline std::string Lines(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& l : lines) text += l + "\r\n";
    return text;
}

// Sorted by the program's comparison, without lines equal under it (the first stays).
inline std::vector<std::string> Sorted(std::vector<std::string> lines) {
    std::stable_sort(lines.begin(), lines.end(),
                     [](const std::string& a, const std::string& b) { return CompareTextIgnoreCase(a, b) < 0; });
    lines.erase(
        std::unique(lines.begin(), lines.end(),
                    [](const std::string& a, const std::string& b) { return CompareTextIgnoreCase(a, b) == 0; }),
        lines.end());
    return lines;
}

// A dictionary line for word number i of a family: form, lemma, key, marker and code.
inline std::string WordLine(const std::string& family, int i) {
    std::string form = family;
    for (int n = i; n > 0 || form.size() == family.size(); n /= 26) form += static_cast<char>('a' + n % 26);
    std::string key = FoldAccentsUpper(form);
    std::sort(key.begin(), key.end());
    return form + "\t0\t" + key + "\t*N11";
}

inline std::string Package(const std::vector<TZipEntry>& entries) {
    const TempDir dir("relexo-zip");
    MakeZip((dir / "package.zip").string(), entries);
    return ReadFileBytes(dir / "package.zip");
}

// What one update run starts from and what it must end with.
struct UpdateData {
    std::string oldVersion = "LEX26120", newVersion = "LEX26130";
    std::string dictionary;              // the user's file
    std::string updateText, deleteList;  // the package's two files
    std::vector<std::string> merged;     // the merged lines, between the version lines
    std::vector<std::string> ownWords;   // what LEXTRANS.TXT and the upload hold

    std::string MergedFile() const {
        return VersionLine(newVersion) + "\r\n" + Lines(merged) + VersionLine(newVersion) + "\r\n";
    }
    std::string Zip() const { return Package({{newVersion + ".TXT", updateText}, {"sub/LEXODEL.TXT", deleteList}}); }
};

// common lines shared by both sides, some only in the update, some only in the user's
// file (own words), some in the user's file and in the delete list; the user's file
// also has a case variant of an update line, a duplicate, and a word the word editor
// appended after the closing version line.
inline UpdateData MakeData(int common) {
    UpdateData d;
    std::vector<std::string> update, user, deleted, own;
    for (int i = 0; i < common; ++i) update.push_back(WordLine("mot", i));
    for (int i = 0; i < common / 10; ++i) update.push_back(WordLine(i % 2 ? "nouv" : "\xE9lan", i));
    for (int i = 0; i < common; ++i)
        if (i % 17 != 3) user.push_back(WordLine("mot", i));  // the user lacks a few
    for (int i = 0; i < common / 50 + 2; ++i) own.push_back(WordLine("perso", i));
    own.push_back(WordLine("\xC9t\xE9", 7));  // accented capital
    for (int i = 0; i < common / 100 + 2; ++i) deleted.push_back(WordLine("faux", i));
    user.insert(user.end(), own.begin(), own.end());
    user.insert(user.end(), deleted.begin(), deleted.end());
    user.push_back(WordLine("mot", 5));  // a duplicate
    std::string variant = WordLine("mot", 8);
    variant[0] = 'M';  // the user's form of an update line: kept, and an own word
    std::replace(user.begin(), user.end(), WordLine("mot", 8), variant);
    const std::string editorWord = WordLine("zinzin", 1);

    std::vector<std::string> userFile = user;
    std::reverse(userFile.begin(), userFile.end());  // the merge sorts
    d.dictionary =
        VersionLine(d.oldVersion) + "\r\n" + Lines(userFile) + VersionLine(d.oldVersion) + "\r\n" + editorWord + "\r\n";
    const std::vector<std::string> updateSorted = Sorted(update);
    d.updateText = VersionLine(d.newVersion) + "\n" +
                   [&] {
                       std::string t;
                       for (const auto& l : updateSorted) t += l + "\n";
                       return t;
                   }() +
                   VersionLine(d.newVersion) + "\n";
    d.deleteList = Lines(deleted) + "inconnu\t0\tCINNNOU\t*N11\r\n";  // one line the user lacks

    std::vector<std::string> all = user;
    all.push_back(editorWord);
    all = Sorted(all);
    std::erase_if(all,
                  [&](const std::string& l) { return std::find(deleted.begin(), deleted.end(), l) != deleted.end(); });
    all.insert(all.end(), update.begin(), update.end());
    d.merged = Sorted(all);  // the user's forms stay: they come first
    for (const auto& l : d.merged)
        if (!std::binary_search(
                updateSorted.begin(), updateSorted.end(), l,
                [](const std::string& a, const std::string& b) { return CompareTextIgnoreCase(a, b) < 0; }) ||
            l == variant)
            d.ownWords.push_back(l);
    return d;
}

}  // namespace update_data
