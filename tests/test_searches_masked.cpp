// Mode "Mots masqués" and its wild-card matcher.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "WildMatch.h"
#include "test_searches_support.h"

namespace {

std::vector<std::string> MaskDictionary() {
    return DictFixture::Framed({
        DictLineUtf8("chat", "0", "N11"),
        DictLineUtf8("chat", "0", "J11"),
        DictLineUtf8("chats", "chat", "N12"),
        DictLineUtf8("chaton", "0", "N11"),
        DictLineUtf8("achat", "0", "N11"),
        DictLineUtf8("Chatou", "0", "W"),
        DictLineUtf8("château", "0", "N11"),
        DictLineUtf8("chât", "0", "N11"),
        DictLineUtf8("été", "0", "N11"),
        DictLineUtf8("ère", "0", "N21"),
        DictLineUtf8("eau", "0", "N21"),
        DictLineUtf8("arc", "0", "N11"),
        DictLineUtf8("art", "0", "N11"),
        DictLineUtf8("abat", "0", "N11"),
        DictLineUtf8("as", "0", "N11"),
        DictLineUtf8("aujourd'hui", "0", "Z"),
    });
}

std::vector<std::string> Lines(const SearchRun& run, int from, int to) {
    std::vector<std::string> out;
    for (int i = from; i < to; ++i) out.push_back(run.Line(i));
    return out;
}

}  // namespace

TEST(WildMatch, StarsQuestionMarksAndLetters) {
    EXPECT_TRUE(TWildMatcher("CHA*").Matches("CHA"));
    EXPECT_TRUE(TWildMatcher("CHA*").Matches("CHATEAU"));
    EXPECT_FALSE(TWildMatcher("CHA*").Matches("ACHAT"));
    EXPECT_TRUE(TWildMatcher("*AT").Matches("ACHAT"));
    EXPECT_TRUE(TWildMatcher("*A*A*").Matches("ANANAS"));
    EXPECT_FALSE(TWildMatcher("*A*A*A*A*").Matches("ANANAS"));
    EXPECT_TRUE(TWildMatcher("?H??").Matches("CHAT"));
    EXPECT_FALSE(TWildMatcher("?H??").Matches("CHATS"));
    EXPECT_FALSE(TWildMatcher("?H??").Matches("CHA"));
    EXPECT_TRUE(TWildMatcher("**").Matches(""));
    EXPECT_FALSE(TWildMatcher("?").Matches(""));
    EXPECT_TRUE(TWildMatcher("A*?B").Matches("AXB"));
    EXPECT_FALSE(TWildMatcher("A*?B").Matches("AB"));
    EXPECT_TRUE(TWildMatcher("*AB").Matches("AAB"));  // the star must give back characters
}

// A word as the dictionary holds it matches as its folded form does, whatever the mask,
// the masks that look for letters anywhere ("*ANA*") included.
TEST(WildMatch, DictionaryWordsMatchAsTheirFoldedForms) {
    const std::vector<std::string> masks = {"*E*",  "*ANA*", "**NA**", "*A*", "*AB*",
                                            "*ÉE*", "*A?*",  "A*",     "*A",  "*BA*NA*"};
    const std::vector<std::string> words = {"",   "e",   "é",    "banana", "BANANE", "bânane", "anab", "ab",
                                            "ba", "ana", "aana", "Ébène",  "cafée",  "nabab",  "xyz",  "aaaab"};
    for (const std::string& m : masks) {
        const TWildMatcher matcher(MaskFromText(A(m)));
        for (const std::string& w : words)
            EXPECT_EQ(matcher.MatchesFolded(A(w)), matcher.Matches(FoldAccentsUpper(A(w)))) << m << " " << w;
    }
}

// A matcher that tries every way of spreading the letters over the stars would not
// end on this word in a lifetime: the test then runs into ctest's time limit.
TEST(WildMatch, ManyStarsOnALongWord) {
    const std::string word(20000, 'A');
    EXPECT_FALSE(TWildMatcher("*A*A*A*A*A*A*A*A*A*A*A*A*B").Matches(word));
    EXPECT_TRUE(TWildMatcher("*A*A*A*A*A*A*A*A*A*A*A*A*").Matches(word));
}

TEST(WildMatch, MaskFromTextFoldsAndTurnsOtherCharactersIntoQuestionMarks) {
    EXPECT_EQ(MaskFromText(A("e-é")), "E?E");
    EXPECT_EQ(MaskFromText(A("aujourd'hui*")), "AUJOURD?HUI*");
    // Œ and Æ stand for themselves, as the folded words hold them.
    EXPECT_EQ(MaskFromText(A("1 œ?æ")), A("??Œ?Æ"));
}

TEST(SearchMaskedWords, ListsTheMatchingWordsAlphabetically) {
    DictFixture dict(MaskDictionary());
    SearchRun run("cha*");
    run.Run(*dict, SearchMaskedWords);
    EXPECT_EQ(run.Dump(),
              "[- K] \n"
              "[biu K]Recherche des mots contenant :[bi B]  CHA*[bi K] : [bi R]5[bi K] mots trouvés.\n"
              "\n"
              "[- K]chat : (4 lettres)\n"
              "[- K]chât : (4 lettres)\n"
              "[- K]château : (7 lettres)\n"
              "[- K]chaton : (6 lettres)\n"
              "[- K]chats : (5 lettres)\n"
              "\n");
    EXPECT_EQ(run.area.UpdateDepth(), 0);
    EXPECT_FALSE(run.list.Sorted());
}

TEST(SearchMaskedWords, OrderingsAnalysisAndProperNouns) {
    DictFixture dict(MaskDictionary());
    SearchRun longest("cha*");
    longest.options.longestFirst = true;
    longest.options.properNouns = true;
    longest.Run(*dict, SearchMaskedWords);
    EXPECT_EQ(Lines(longest, 3, 7), (std::vector<std::string>{"château : (7 lettres)", "chaton : (6 lettres)",
                                                              "Chatou : (6 lettres)", "chats : (5 lettres)"}));

    SearchRun analysed("chat");
    analysed.options.withAnalysis = true;
    analysed.Run(*dict, SearchMaskedWords);
    EXPECT_EQ(analysed.Line(1), "Recherche des mots contenant :  CHAT : 3 mots trouvés.");
    EXPECT_EQ(Lines(analysed, 3, 6),
              (std::vector<std::string>{"chat : (4 lettres) : adjectif masculin - singulier",
                                        "chat : (4 lettres) : nom commun masculin - singulier",
                                        "chât : (4 lettres) : nom commun masculin - singulier"}));
}

TEST(SearchMaskedWords, OtherCharactersAndExactLength) {
    DictFixture dict(MaskDictionary());
    SearchRun e("e-é");
    e.Run(*dict, SearchMaskedWords);
    EXPECT_EQ(e.Line(1), "Recherche des mots contenant :  E?E : 2 mots trouvés.");
    EXPECT_EQ(Lines(e, 3, 5), (std::vector<std::string>{"ère : (3 lettres)", "été : (3 lettres)"}));

    SearchRun a("a*?");
    a.Run(*dict, SearchMaskedWords);
    EXPECT_EQ(Lines(a, 3, 5), (std::vector<std::string>{"arc : (3 lettres)", "art : (3 lettres)"}));
    EXPECT_EQ(a.area.LineCount(), 5);

    SearchRun star("a*");
    star.Run(*dict, SearchMaskedWords);
    EXPECT_EQ(star.Line(1), "Recherche des mots contenant :  A* : 6 mots trouvés.");
    SearchRun limited("a*");
    limited.options.minLengthText = "4";
    limited.options.maxLengthText = "5";
    limited.Run(*dict, SearchMaskedWords);
    EXPECT_EQ(Lines(limited, 3, 5), (std::vector<std::string>{"abat : (4 lettres)", "achat : (5 lettres)"}));

    SearchRun apostrophe("aujourd'hui");
    apostrophe.options.maxLengthText = "11";
    apostrophe.Run(*dict, SearchMaskedWords);
    EXPECT_EQ(apostrophe.Line(3), "aujourd'hui : (11 lettres)");
}

TEST(SearchMaskedWords, OneNoneAndRefusedMasks) {
    DictFixture dict(MaskDictionary());
    SearchRun one("eau");
    one.Run(*dict, SearchMaskedWords);
    EXPECT_EQ(one.Line(1), "Recherche des mots contenant :  EAU : 1 mot trouvé.");

    SearchRun none("zz*");
    none.Run(*dict, SearchMaskedWords);
    EXPECT_EQ(none.Dump(),
              "[- K] \n"
              "[biu K]Recherche des mots contenant :[bi B]  ZZ*[bi K] : [bi R]0[bi K] mot trouvé.\n"
              "\n"
              "\n");

    SearchRun shortMask("x");
    shortMask.Run(*dict, SearchMaskedWords);
    EXPECT_EQ(shortMask.area.Text(),
              "\r\n\r\n" + std::string(56, ' ') + A("Il faut au moins une chaîne de deux caractères.") + "\r\n");
    SearchRun noLetter("*?");
    noLetter.Run(*dict, SearchMaskedWords);
    EXPECT_EQ(noLetter.area.Text(), "\r\n\r\n" + std::string(64, ' ') + "Il faut au moins une lettre dans le mot.\r\n");
    EXPECT_EQ(noLetter.list.Count(), 0);
}

// A length box that holds no number fails the search only where it reads the boxes:
// after its header, and after the refusals of a short or letterless mask.
TEST(SearchMaskedWords, AnEmptyOrWrongLengthBoxFailsAfterTheHeader) {
    DictFixture dict(MaskDictionary());
    for (const char* box : {"", "x2", "2 "}) {
        SearchRun run("a*");
        run.options.minLengthText = box;
        EXPECT_THROW(run.Run(*dict, SearchMaskedWords), std::invalid_argument) << box;
        EXPECT_EQ(run.Dump(), "[- K] \n[biu K]Recherche des mots contenant :[bi B]  A*[bi K] : \n") << box;
        EXPECT_EQ(run.list.Count(), 0);
    }
    SearchRun shortMask("x");
    shortMask.options.maxLengthText = "";
    shortMask.Run(*dict, SearchMaskedWords);
    EXPECT_EQ(shortMask.area.LineCount(), 3);
    SearchRun noLetter("*?");
    noLetter.options.maxLengthText = "";
    noLetter.Run(*dict, SearchMaskedWords);
    EXPECT_EQ(noLetter.Line(2), std::string(64, ' ') + "Il faut au moins une lettre dans le mot.");
}

TEST(SearchMaskedWords, ListsUpTo4999WordsAndCapsAt5000) {
    {
        DictFixture dict(QzqWords(4999));
        SearchRun run("qzq*");
        run.Run(*dict, SearchMaskedWords);
        EXPECT_EQ(run.area.LineCount(), 3 + 4999);
        EXPECT_EQ(run.Line(3 + 4998), "qzqhkg : (6 lettres)");
    }
    {
        DictFixture dict(QzqWords(5000));
        SearchRun run("qzq*");
        run.Run(*dict, SearchMaskedWords);
        EXPECT_EQ(run.Line(1), "Recherche des mots contenant :  QZQ* : 5000 mots trouvés.");
        EXPECT_EQ(run.Line(3), "Trop de mots à afficher, affinez votre recherche.");
        EXPECT_EQ(run.area.LineCount(), 4);
        // The list, left to the next search, holds every entry all the same.
        ASSERT_EQ(run.list.Count(), 5000);
        EXPECT_TRUE(run.list.Sorted());
        EXPECT_EQ(run.list[0], "qzqaaa : (6 lettres)");
        EXPECT_EQ(run.list[4999], "qzqhkh : (6 lettres)");
    }
}

TEST(SearchMaskedWords, FullAreaDeletesTheLinesAfterTheCapMessage) {
    DictFixture dict(QzqWords(10));
    SearchRun probe("qzq*");
    probe.Run(*dict, SearchMaskedWords);
    const std::string text = probe.area.Text();
    std::size_t end = 0;
    for (int line = 0; line <= 6; ++line) end = text.find("\r\n", end) + 2;  // four entries

    SearchRun run("qzq*", end + 1);
    run.Run(*dict, SearchMaskedWords);
    EXPECT_EQ(run.Line(3), "qzqaaa : (6 lettres)");
    EXPECT_EQ(run.Line(4), "Trop de mots à afficher, affinez votre recherche.");
    EXPECT_EQ(run.area.LineCount(), 5);
    EXPECT_EQ(run.area.Text().substr(run.area.Text().size() - 2), "\r\n");
    EXPECT_EQ(run.area.UpdateDepth(), 0);
}

TEST(SearchMaskedWords, CaseVariantsAloneKeepTheFirstInFileOrder) {
    DictFixture dict(DictFixture::Framed(
        {DictLineUtf8("Nice", "0", "W"), DictLineUtf8("nice", "0", "J11"), DictLineUtf8("NICE", "0", "A")}));
    SearchRun alone("nice");
    alone.options.properNouns = true;
    alone.Run(*dict, SearchMaskedWords);
    EXPECT_EQ(alone.Line(1), "Recherche des mots contenant :  NICE : 1 mot trouvé.");
    EXPECT_EQ(alone.Line(3), "Nice : (4 lettres)");

    SearchRun analysed("nice");
    analysed.options.properNouns = true;
    analysed.options.withAnalysis = true;
    analysed.Run(*dict, SearchMaskedWords);
    EXPECT_EQ(analysed.Line(1), "Recherche des mots contenant :  NICE : 3 mots trouvés.");
}
