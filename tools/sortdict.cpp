// Puts the word lines of a dictionary file in the order the programs keep it in (the
// case-insensitive line order of the searches and the updater's merge), so that a
// dictionary or update text made by a script runs as a merged one does.
//
//   sortdict FILE
//
// The version lines stay first and last, every word line is kept (case variants too,
// in the order they came), and the file keeps its line break. The new text replaces the
// file in one step.
#include <cstdio>
#include <string>
#include <vector>

#include "Global.h"
#include "platform/ReplacingFile.h"
#include "collate.h"
#include "tabfile.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: sortdict FILE\n");
        return 2;
    }
    try {
        std::vector<std::string> lines;
        std::string lineBreak;
        {
            // The store knows the file's line break: the one of its first break.
            const TTabStringsFile file(argv[1], false);
            for (int32_t i = 0; i < file.GetCount(); ++i) lines.push_back(file.Get(i));
            switch (file.GetLineBreakStyle()) {
                case TLineBreakStyle::CR: lineBreak = "\r"; break;
                case TLineBreakStyle::LF: lineBreak = "\n"; break;
                default: lineBreak = "\r\n"; break;
            }
        }
        std::vector<std::string> head, words, tail;
        std::size_t first = 0, end = lines.size();
        if (first < end && IsVersionLine(lines[first])) head.push_back(lines[first++]);
        if (first < end && IsVersionLine(lines[end - 1])) tail.push_back(lines[--end]);
        words.assign(lines.begin() + static_cast<std::ptrdiff_t>(first),
                     lines.begin() + static_cast<std::ptrdiff_t>(end));
        SortIgnoreCase(words, false);
        std::string out;
        for (const auto* part : {&head, &words, &tail})
            for (const std::string& l : *part) out += l + lineBreak;
        TReplacingFile file(argv[1], true);
        file.Write(out);
        file.Commit();
        std::printf("%s: %zu word lines\n", argv[1], words.size());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "sortdict: %s\n", e.what());
        return 1;
    }
    return 0;
}
