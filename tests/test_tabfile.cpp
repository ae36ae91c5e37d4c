#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "cp1252.h"
#include "tabfile.h"
#include "test_tabfile_support.h"

namespace {

class TabFile : public ScratchDir {
protected:
    // Opens a fresh file holding `bytes`.
    ITabStringsPtr Make(const std::string& bytes, bool writable = true, const std::string& name = "dict.txt") {
        LastPath = Write(name, bytes);
        return TTabStringsFile::Create(LastPath, writable);
    }
    std::string OnDisk() const { return ReadFileBytes(LastPath); }

    static std::vector<std::string> Lines(const ITabStringsPtr& t) {
        std::vector<std::string> out;
        for (int32_t i = 0; i < t->GetCount(); ++i) out.push_back(t->Get(i));
        return out;
    }
    static TTabStringsFile& Impl(const ITabStringsPtr& t) { return dynamic_cast<TTabStringsFile&>(*t); }

    std::string LastPath;
};

using Texts = std::vector<std::string>;

// --- Reading a text: break styles -----------------------------------------------

TEST_F(TabFile, EmptyFileHasNoLinesAndWritesCrLf) {
    auto t = Make("");
    EXPECT_EQ(t->GetCount(), 0);
    EXPECT_EQ(t->GetSize(), 0);
    EXPECT_TRUE(Impl(t).IsLastLineTerminated());
    EXPECT_EQ(Impl(t).GetLineBreakStyle(), TLineBreakStyle::CRLF);
    EXPECT_EQ(t->IndexOf("x"), -1);
    EXPECT_EQ(t->LineOfOffset(0), -1);
    EXPECT_EQ(t->Add("x"), 0);
    EXPECT_EQ(OnDisk(), "x\r\n");
}

TEST_F(TabFile, ScanFollowsTheFirstBreakOnly) {
    struct Case {
        std::string text;
        TLineBreakStyle style;
        Texts lines;
        bool terminated;
    };
    const std::vector<Case> cases = {
        {"abc", TLineBreakStyle::CRLF, {"abc"}, false},
        {"\r\n", TLineBreakStyle::CRLF, {""}, true},
        {"a\rb\r\n", TLineBreakStyle::CR, {"a", "b", "\n"}, false},
        {"a\r\nb\nc", TLineBreakStyle::CRLF, {"a", "b\nc"}, false},
        {"a\nb\n", TLineBreakStyle::LF, {"a", "b"}, true},
        {"a\nb\r\nc", TLineBreakStyle::LF, {"a", "b\r", "c"}, false},
        {"a\r\nb\r", TLineBreakStyle::CRLF, {"a", "b\r"}, false},
        {"\n\n", TLineBreakStyle::LF, {"", ""}, true},
        {"a\r\r\nb\r\n", TLineBreakStyle::CR, {"a", "", "\nb", "\n"}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.text));
        auto t = Make(c.text);
        EXPECT_EQ(Impl(t).GetLineBreakStyle(), c.style);
        EXPECT_EQ(Lines(t), c.lines);
        EXPECT_EQ(Impl(t).IsLastLineTerminated(), c.terminated);
        EXPECT_EQ(t->GetText(), c.text);
    }
}

TEST_F(TabFile, HighBytesAndBreakStylesRoundTripThroughEdits) {
    std::string high;
    for (int b = 0x80; b <= 0xFF; ++b) high += static_cast<char>(b);
    for (const std::string sep : {"\r", "\n", "\r\n"}) {
        SCOPED_TRACE(::testing::PrintToString(sep));
        const std::string text = "v" + sep + high + "\t" + A("élève") + sep + "z";
        auto t = Make(text);
        ASSERT_EQ(t->GetCount(), 3);
        EXPECT_EQ(t->Get(1), high + "\t" + A("élève"));
        t->Add(A("ça"));
        EXPECT_EQ(OnDisk(), text + sep + A("ça") + sep);
        t->Delete(3);
        EXPECT_EQ(OnDisk(), text + sep);
    }
}

// --- Edits, checked against the bytes on disk -------------------------------------

TEST_F(TabFile, AddEndsAnUnterminatedLastLineFirst) {
    auto t = Make("abc");
    EXPECT_EQ(t->Add("d"), 1);
    EXPECT_EQ(OnDisk(), "abc\r\nd\r\n");
    EXPECT_EQ(t->Add(""), 2);
    EXPECT_EQ(OnDisk(), "abc\r\nd\r\n\r\n");
    EXPECT_EQ(Lines(t), (Texts{"abc", "d", ""}));

    auto lf = Make("a\nb", true, "lf.txt");
    EXPECT_EQ(lf->Add("c"), 2);
    EXPECT_EQ(OnDisk(), "a\nb\nc\n");
}

TEST_F(TabFile, InsertAtBothEndsAndInTheMiddle) {
    auto t = Make("b\r\nd");
    t->Insert(0, "a");
    EXPECT_EQ(OnDisk(), "a\r\nb\r\nd");
    t->Insert(2, "c");
    EXPECT_EQ(OnDisk(), "a\r\nb\r\nc\r\nd");
    t->Insert(4, "e");  // Insert at Count appends
    EXPECT_EQ(OnDisk(), "a\r\nb\r\nc\r\nd\r\ne\r\n");
    EXPECT_EQ(Lines(t), (Texts{"a", "b", "c", "d", "e"}));
    EXPECT_EQ(t->LineOfOffset(9), 3);
}

TEST_F(TabFile, DeleteFirstMiddleAndUnterminatedLast) {
    auto t = Make("one\r\ntwo\r\nthree\r\nfour");
    t->Delete(3);
    EXPECT_EQ(OnDisk(), "one\r\ntwo\r\nthree\r\n");
    EXPECT_TRUE(Impl(t).IsLastLineTerminated());
    t->Delete(0);
    EXPECT_EQ(OnDisk(), "two\r\nthree\r\n");
    EXPECT_EQ(Lines(t), (Texts{"two", "three"}));
    t->Delete(1);
    t->Delete(0);
    EXPECT_EQ(OnDisk(), "");
    EXPECT_EQ(t->GetCount(), 0);
    EXPECT_EQ(t->Add("x"), 0);
    EXPECT_EQ(OnDisk(), "x\r\n");

    // A last line emptied by Put keeps no byte, not even a break; it can still go.
    auto single = Make("a", true, "single.txt");
    single->Put(0, "");
    single->Delete(0);
    EXPECT_EQ(single->GetCount(), 0);
    EXPECT_EQ(OnDisk(), "");
    auto two = Make("a\r\nb", true, "two.txt");
    two->Put(1, "");
    EXPECT_EQ(Lines(two), (Texts{"a", ""}));
    two->Delete(1);
    EXPECT_EQ(Lines(two), (Texts{"a"}));
    EXPECT_EQ(two->Add("c"), 1);
    EXPECT_EQ(OnDisk(), "a\r\nc\r\n");
}

TEST_F(TabFile, PutShiftsLaterLinesByTheDifference) {
    auto t = Make("aa\r\nbb\r\ncc");
    t->Put(1, "BBBB");
    EXPECT_EQ(OnDisk(), "aa\r\nBBBB\r\ncc");
    EXPECT_EQ(t->LineOfOffset(10), 2);
    t->Put(1, "b");
    EXPECT_EQ(OnDisk(), "aa\r\nb\r\ncc");
    t->Put(1, "x");
    EXPECT_EQ(OnDisk(), "aa\r\nx\r\ncc");
    t->Put(2, "last");  // the unterminated last line stays unterminated
    EXPECT_EQ(OnDisk(), "aa\r\nx\r\nlast");
    t->Put(0, "");
    EXPECT_EQ(OnDisk(), "\r\nx\r\nlast");
    EXPECT_EQ(Lines(t), (Texts{"", "x", "last"}));
}

TEST_F(TabFile, MoveAndExchange) {
    auto t = Make("a\r\nb\r\nc");
    t->Move(1, 1);
    EXPECT_EQ(OnDisk(), "a\r\nb\r\nc");
    t->Move(2, 0);  // the unterminated last line gains a break where it lands
    EXPECT_EQ(OnDisk(), "c\r\na\r\nb\r\n");
    t->Move(0, 2);
    EXPECT_EQ(OnDisk(), "a\r\nb\r\nc\r\n");
    t->Exchange(0, 2);
    EXPECT_EQ(OnDisk(), "c\r\nb\r\na\r\n");
    t->Exchange(1, 2);
    EXPECT_EQ(Lines(t), (Texts{"c", "a", "b"}));
    // A target past the end is refused before anything moves.
    EXPECT_THROW(t->Move(0, 3), ETabStringsFileError);
    EXPECT_EQ(OnDisk(), "c\r\na\r\nb\r\n");
}

TEST_F(TabFile, WholeTextReplacement) {
    auto t = Make("x\ny\n");
    t->SetText("p\nq");
    EXPECT_EQ(OnDisk(), "p\nq");
    EXPECT_EQ(Lines(t), (Texts{"p", "q"}));
    t->SetText("no break");  // keeps the style it had
    EXPECT_EQ(Impl(t).GetLineBreakStyle(), TLineBreakStyle::LF);
    t->Add("r");
    EXPECT_EQ(OnDisk(), "no break\nr\n");
    t->SetTextBuf("s\rt\r");
    EXPECT_EQ(Impl(t).GetLineBreakStyle(), TLineBreakStyle::CR);
    t->Clear();
    EXPECT_EQ(OnDisk(), "");
    EXPECT_EQ(t->GetCount(), 0);
    EXPECT_EQ(Impl(t).GetLineBreakStyle(), TLineBreakStyle::CR);
    t->Add("u");
    EXPECT_EQ(OnDisk(), "u\r");

    auto buf = t->GetTextBuf();
    EXPECT_STREQ(buf.get(), "u\r");
}

TEST_F(TabFile, AddListsAndCompare) {
    auto a = Make("1\r\n2\r\n", true, "a.txt");
    auto b = Make("", true, "b.txt");
    auto empty = Make("", true, "c.txt");
    EXPECT_TRUE(b->Equals(empty));
    b->AddTabStrings(empty);
    EXPECT_EQ(b->GetCount(), 0);
    b->AddTabStrings(a);
    EXPECT_TRUE(b->Equals(a));
    b->AddStrings({"3"});
    EXPECT_FALSE(b->Equals(a));
    a->AddTabStrings(a);  // adding a list to itself doubles it once
    EXPECT_EQ(Lines(a), (Texts{"1", "2", "1", "2"}));
    EXPECT_EQ(ReadFileBytes(Path("b.txt")), "1\r\n2\r\n3\r\n");
}

TEST_F(TabFile, IndexOfIgnoresCaseOnly) {
    auto t = Make(A("Zèbre\r\nÉtude\r\nétude\r\n"));
    EXPECT_EQ(t->IndexOf(A("zÈBRE")), 0);
    EXPECT_EQ(t->IndexOf(A("étude")), 1);
    EXPECT_EQ(t->IndexOf("etude"), -1);
}

// --- Refusals leave memory and disk untouched -------------------------------------

TEST_F(TabFile, ReadOnlyListRefusesEveryChange) {
    const std::string text = "a\r\nb\r\nc";
    auto t = Make(text, false);
    auto other = Make("z\r\n", true, "other.txt");
    std::istringstream in("new");
    const std::string ro = "Impossible de changer la taille d'un tableau en lecture seule";
    const std::vector<std::pair<const char*, std::function<void()>>> changes = {
        {"Put", [&] { t->Put(0, "x"); }},
        {"Put same length", [&] { t->Put(0, "a"); }},
        {"Add", [&] { t->Add("x"); }},
        {"AddStrings", [&] { t->AddStrings({"x"}); }},
        {"AddTabStrings", [&] { t->AddTabStrings(other); }},
        {"Clear", [&] { t->Clear(); }},
        {"Delete", [&] { t->Delete(0); }},
        {"Exchange", [&] { t->Exchange(0, 1); }},
        {"Insert", [&] { t->Insert(0, "x"); }},
        {"Insert at end", [&] { t->Insert(3, "x"); }},
        {"LoadFromStream", [&] { t->LoadFromStream(in); }},
        {"LoadFromFile", [&] { t->LoadFromFile(Path("other.txt")); }},
        {"Move", [&] { t->Move(0, 2); }},
        {"SetText", [&] { t->SetText("x"); }},
        {"SetTextBuf", [&] { t->SetTextBuf("x"); }},
    };
    for (const auto& [name, change] : changes) {
        SCOPED_TRACE(name);
        try {
            change();
            ADD_FAILURE() << "no refusal";
        } catch (const ETabStringsFileError&) {
            ADD_FAILURE() << "index error instead of the read-only refusal";
        } catch (const ETabFileError& e) {
            EXPECT_EQ(e.what(), ro);
        }
        EXPECT_EQ(Lines(t), (Texts{"a", "b", "c"}));
        EXPECT_EQ(ReadFileBytes(Path("dict.txt")), text);
    }
    // Reading and searching still work.
    EXPECT_EQ(t->FindText("c", 0), 2);
}

TEST_F(TabFile, LineIndexErrorsNameTheIndex) {
    auto t = Make("a\r\nb\r\n");
    auto expectIndexError = [&](const std::function<void()>& f, const std::string& message) {
        try {
            f();
            ADD_FAILURE() << "no error for " << message;
        } catch (const ETabStringsFileError& e) {
            EXPECT_EQ(e.what(), message);
        }
        EXPECT_EQ(OnDisk(), "a\r\nb\r\n");
        EXPECT_EQ(t->GetCount(), 2);
    };
    expectIndexError([&] { t->Get(-1); }, "Indice -1 hors limites");
    expectIndexError([&] { t->Get(2); }, "Indice 2 hors limites");
    expectIndexError([&] { t->Put(2, "x"); }, "Indice 2 hors limites");
    expectIndexError([&] { t->Delete(-5); }, "Indice -5 hors limites");
    expectIndexError([&] { t->Exchange(0, 7); }, "Indice 7 hors limites");
    expectIndexError([&] { t->Move(9, 0); }, "Indice 9 hors limites");
    expectIndexError([&] { t->Insert(3, "x"); }, "Indice 3 hors limites");
    expectIndexError([&] { t->Insert(-1, "x"); }, "Indice -1 hors limites");
    expectIndexError([&] { t->FindText("a", 2); }, "Indice 2 hors limites");

    // On a read-only list, a bad index is still reported as such.
    auto ro = Make("a\r\n", false, "ro.txt");
    EXPECT_THROW(ro->Put(1, "x"), ETabStringsFileError);
}

// --- Search -----------------------------------------------------------------------

TEST_F(TabFile, FindTextAcrossBreaksAndFromALine) {
    auto t = Make("alpha\tA\r\nbeta\tB\r\ngamma\tA\r\ndelta");
    EXPECT_EQ(t->FindText("", 0), -1);
    EXPECT_EQ(t->FindText("\tA", 0), 0);
    EXPECT_EQ(t->FindText("\tA", 1), 2);
    EXPECT_EQ(t->FindText("\tA", 3), -1);
    EXPECT_EQ(t->FindText("\r\nbeta", 0), 0);    // starts in line 0's break
    EXPECT_EQ(t->FindText("B\r\ngamma", 0), 1);  // spans two lines
    EXPECT_EQ(t->FindText("delta", 3), 3);       // ends at the last byte
    EXPECT_EQ(t->FindText("Delta", 0), -1);      // case-sensitive
    EXPECT_EQ(t->FindText("alpha", 1), -1);      // before the start line

    // Listing every line holding a text, the way the searches do.
    std::vector<int32_t> hits;
    for (int32_t i = t->FindText("a", 0); i != -1;) {
        hits.push_back(i);
        if (i + 1 >= t->GetCount()) break;
        i = t->FindText("a", i + 1);
    }
    EXPECT_EQ(hits, (std::vector<int32_t>{0, 1, 2, 3}));
}

TEST_F(TabFile, LineOfOffsetCoversBreakBytes) {
    auto t = Make("ab\r\ncd\r\n");
    EXPECT_EQ(t->LineOfOffset(0), 0);
    EXPECT_EQ(t->LineOfOffset(3), 0);  // line 0's last break byte
    EXPECT_EQ(t->LineOfOffset(4), 1);
    EXPECT_EQ(t->LineOfOffset(7), 1);
    EXPECT_EQ(t->LineOfOffset(8), -1);  // Size
}

// --- Streams and files ------------------------------------------------------------

TEST_F(TabFile, StreamsCopyTheTextInBlocks) {
    std::string big;
    for (int i = 0; big.size() < 5000; ++i) big += "line" + std::to_string(i) + "\n";
    big.resize(5000);
    auto t = Make("old\r\n");
    std::istringstream in(big);
    t->LoadFromStream(in);
    EXPECT_EQ(OnDisk(), big);
    EXPECT_EQ(Impl(t).GetLineBreakStyle(), TLineBreakStyle::LF);
    EXPECT_EQ(t->Get(1), "line1");

    // The writes come as 4096 then 904 bytes.
    struct Recorder : std::streambuf {
        std::vector<std::streamsize> writes;
        std::streamsize xsputn(const char*, std::streamsize n) override {
            writes.push_back(n);
            return n;
        }
    } rec;
    std::ostream out(&rec);
    t->SaveToStream(out);
    EXPECT_EQ(rec.writes, (std::vector<std::streamsize>{4096, 904}));

    auto empty = Make("", true, "e.txt");
    Recorder none;
    std::ostream out2(&none);
    empty->SaveToStream(out2);
    EXPECT_TRUE(none.writes.empty());

    // Exactly one block: the last read returns 0 bytes.
    std::istringstream exact(std::string(4096, 'k'));
    t->LoadFromStream(exact);
    EXPECT_EQ(t->GetSize(), 4096);
}

TEST_F(TabFile, FilesLoadAndSaveWithoutTruncating) {
    auto t = Make("abc\r\n");
    Write("src.txt", "from\nfile\n");
    t->LoadFromFile(Path("src.txt"));
    EXPECT_EQ(OnDisk(), "from\nfile\n");

    const std::string target = Write("target.txt", "0123456789ABCDEF");
    t->SaveToFile(target);
    EXPECT_EQ(ReadFileBytes(target), "from\nfile\nABCDEF");  // the longer file's tail stays

    const std::string missing = Path("missing.txt");
    try {
        t->SaveToFile(missing);
        ADD_FAILURE();
    } catch (const ETabFileError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Impossible d'ouvrir le fichier \"" + missing + "\". No such file or directory");
    }
    EXPECT_FALSE(std::filesystem::exists(missing));
    EXPECT_THROW(t->LoadFromFile(missing), ETabFileError);
    EXPECT_EQ(OnDisk(), "from\nfile\n");

    // The list's own file, under its name or another one, is neither loaded (which
    // would empty it first) nor written over itself while mapped.
    const std::string link = Path("link.txt");
    std::filesystem::create_symlink(LastPath, link);
    for (const std::string& own : {LastPath, link}) {
        for (const auto& copy : {std::function<void()>([&] { t->LoadFromFile(own); }),
                                 std::function<void()>([&] { t->SaveToFile(own); })}) {
            try {
                copy();
                ADD_FAILURE() << own;
            } catch (const ETabFileError& e) {
                EXPECT_EQ(std::string(e.what()),
                          "Impossible d'ouvrir le fichier \"" + own + "\". Device or resource busy");
            }
        }
    }
    EXPECT_EQ(OnDisk(), "from\nfile\n");
    EXPECT_EQ(t->Get(1), "file");
}

// --- Opening ----------------------------------------------------------------------

TEST_F(TabFile, OpeningAMissingFileFails) {
    const std::string missing = Path("none.txt");
    try {
        TTabStringsFile::Create(missing, true);
        ADD_FAILURE();
    } catch (const ETabFileError& e) {
        EXPECT_EQ(std::string(e.what()), A("Erreur [2] à l'ouverture de ") + missing);
    }
}

}  // namespace
