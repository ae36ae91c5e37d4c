// Mode "Mot": the exact entries of a word, the words that contain it, their orderings,
// the cap and a full result area.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_searches_support.h"

namespace {

std::vector<std::string> CatDictionary() {
    return DictFixture::Framed({
        DictLineUtf8("chat", "0", "N11"),
        DictLineUtf8("chat", "0", "J11"),  // a homograph
        DictLineUtf8("chats", "chat", "N12"),
        DictLineUtf8("chaton", "0", "N11"),
        DictLineUtf8("achat", "0", "N11"),
        DictLineUtf8("Lachat", "0", "W"),
        DictLineUtf8("Chaource", "0", "N11"),
    });
}

}  // namespace

TEST(SearchWord, ListsTheWordThenTheWordsContainingIt) {
    DictFixture dict(CatDictionary());
    SearchRun run("chat");
    run.Run(*dict, SearchWord);
    EXPECT_EQ(run.Dump(),
              "[- K] \n"
              "[biu K]Mot recherché :[bi B]  chat[bi K] : 4 lettres : [bi R]1[bi K] occurrence\n"
              "\n"
              "[- K]chat\n"
              "\n"
              "\n"
              "[bi B]chat[bi K] apparaît aussi dans [bi R]3[bi K] mots  : \n"
              "\n"
              "[- K]achat : (5 lettres)\n"
              "[- K]chaton : (6 lettres)\n"
              "[- K]chats : (5 lettres)\n"
              "\n");
    EXPECT_EQ(run.area.UpdateDepth(), 0);
    EXPECT_FALSE(run.list.Sorted());  // a printed listing leaves it unsorted
}

TEST(SearchWord, ShortUnknownInputGetsBothClosingLines) {
    DictFixture dict(CatDictionary());
    SearchRun run("ch");
    run.Run(*dict, SearchWord);
    EXPECT_EQ(run.Dump(),
              "[- K] \n"
              "[biu K]Mot recherché :[bi B]  ch[bi K] : 2 lettres\n"
              "[- K] \n"
              "[- K]Mot inconnu du dictionnaire : [- R]0[- K] occurrence\n"
              "\n"
              "\n"
              "\n"
              "[- K]Pas de recherche pour les mots de moins de trois lettres\n"
              "\n");
}

TEST(SearchWord, UnknownTextFoundNowhere) {
    DictFixture dict(CatDictionary());
    SearchRun run("xyz");
    run.Run(*dict, SearchWord);
    EXPECT_EQ(run.Dump(),
              "[- K] \n"
              "[biu K]Mot recherché :[bi B]  xyz[bi K] : 3 lettres\n"
              "[- K] \n"
              "[- K]Mot inconnu du dictionnaire : [- R]0[- K] occurrence\n"
              "\n"
              "\n"
              "\n"
              "[bi B]xyz[bi K] n'apparaît dans aucun mot\n");
}

TEST(SearchWord, HomographsOnceAloneAndOncePerLineWithAnalysis) {
    DictFixture dict(CatDictionary());
    SearchRun alone("chat");
    alone.Run(*dict, SearchWord);
    EXPECT_EQ(alone.Line(3), "chat");
    EXPECT_EQ(alone.Line(4), "");

    SearchRun analysed("chat");
    analysed.options.withAnalysis = true;
    analysed.Run(*dict, SearchWord);
    const auto runs = analysed.area.Runs(1);
    ASSERT_FALSE(runs.empty());
    EXPECT_EQ(runs.back().text, " occurences");
    EXPECT_EQ(analysed.Line(3), "chat : adjectif masculin - singulier");
    EXPECT_EQ(analysed.Line(4), "chat : nom commun masculin - singulier");
    EXPECT_EQ(analysed.Line(9), "achat : (5 lettres) : nom commun masculin - singulier");
    EXPECT_EQ(analysed.Line(11), "chats : (5 lettres) : nom commun masculin - pluriel");
    // A listing of 1 to 4999 words leaves the list unsorted for the next search.
    EXPECT_FALSE(analysed.list.Sorted());
}

TEST(SearchWord, CapitalisedFormIsNotTheWordButContainsIt) {
    DictFixture dict(CatDictionary());
    SearchRun run("chaource");
    run.Run(*dict, SearchWord);
    EXPECT_EQ(run.Line(3), "Mot inconnu du dictionnaire : 0 occurrence");
    EXPECT_EQ(run.Line(7), "chaource n'apparaît dans aucun mot");
}

TEST(SearchWord, ProperNounsOnlyWhenAsked) {
    DictFixture dict(CatDictionary());
    SearchRun without("lachat");
    without.Run(*dict, SearchWord);
    EXPECT_EQ(without.Line(3), "Mot inconnu du dictionnaire : 0 occurrence");

    SearchRun with("chat");
    with.options.properNouns = true;
    with.Run(*dict, SearchWord);
    EXPECT_EQ(with.Line(6), "chat apparaît aussi dans 4 mots  : ");
    EXPECT_EQ(with.Line(11), "Lachat : (6 lettres)");
}

TEST(SearchWord, LineWithoutCodeIsListedAndTheSearchGoesOn) {
    DictFixture dict(DictFixture::Framed({"abcd\t0\tABCD\t", "abcde\t0\tABCDE\t*N11", "xabc\t0\tABCX"}));
    SearchRun run("abc");
    run.Run(*dict, SearchWord);
    EXPECT_EQ(run.Line(7), "abc apparaît aussi dans 3 mots  : ");
    EXPECT_EQ(run.Line(9), "abcd : (4 lettres)");
    EXPECT_EQ(run.Line(11), "xabc : (4 lettres)");
}

TEST(SearchWord, OneContainingWordHasNoNumber) {
    DictFixture dict(DictFixture::Framed({DictLineUtf8("chaton", "0", "N11")}));
    SearchRun run("chat");
    run.Run(*dict, SearchWord);
    const std::vector<RecordingResultArea::Run> expected{{"chat", fsBold | fsItalic, rcBlue},
                                                         {A(" apparaît aussi dans  : "), fsBold | fsItalic, rcBlack}};
    EXPECT_EQ(run.area.Runs(7), expected);
    EXPECT_EQ(run.Line(9), "chaton : (6 lettres)");
}

TEST(SearchWord, LengthOrderings) {
    DictFixture dict(CatDictionary());
    SearchRun longest("cha");
    longest.options.longestFirst = true;
    longest.Run(*dict, SearchWord);
    std::vector<std::string> got;
    for (int i = 9; i < 13; ++i) got.push_back(longest.Line(i));
    EXPECT_EQ(got, (std::vector<std::string>{"chaton : (6 lettres)", "achat : (5 lettres)", "chats : (5 lettres)",
                                             "chat : (4 lettres)"}));

    SearchRun shortest("cha");
    shortest.options.shortestFirst = true;
    shortest.Run(*dict, SearchWord);
    got.clear();
    for (int i = 9; i < 13; ++i) got.push_back(shortest.Line(i));
    EXPECT_EQ(got, (std::vector<std::string>{"chat : (4 lettres)", "achat : (5 lettres)", "chats : (5 lettres)",
                                             "chaton : (6 lettres)"}));
}

TEST(SearchWord, ListsUpTo4999WordsAndCapsAt5000) {
    {
        DictFixture dict(QzqWords(4999));
        SearchRun run("qzq");
        run.Run(*dict, SearchWord);
        EXPECT_EQ(run.Line(7), "qzq apparaît aussi dans 4999 mots  : ");
        EXPECT_EQ(run.Line(9), "qzqaaa : (6 lettres)");
        EXPECT_EQ(run.Line(9 + 4998), "qzqhkg : (6 lettres)");
        EXPECT_EQ(run.area.LineCount(), 9 + 4999);
    }
    {
        DictFixture dict(QzqWords(5000));
        SearchRun run("qzq");
        run.Run(*dict, SearchWord);
        const std::vector<RecordingResultArea::Run> count{{"qzq", fsBold | fsItalic, rcBlue},
                                                          {A(" apparaît aussi dans "), fsBold | fsItalic, rcBlack},
                                                          {"5000", fsBold | fsItalic, rcRed},
                                                          {" mots  : ", fsBold | fsItalic, rcBlack}};
        EXPECT_EQ(run.area.Runs(7), count);
        EXPECT_EQ(run.Line(9), "Trop de mots à afficher, affinez votre recherche.");
        EXPECT_EQ(run.area.LineCount(), 10);
        EXPECT_TRUE(run.list.Sorted());
    }
}

TEST(SearchWord, FullAreaPutsTheCapMessageUnderTheFirstWordAndBlanksTheRest) {
    DictFixture dict(QzqWords(10));
    SearchRun probe("qzq");
    probe.Run(*dict, SearchWord);
    // Room for the heading and four entries, not for the fifth.
    std::string text = probe.area.Text();
    std::size_t end = 0;
    for (int line = 0; line <= 12; ++line) end = text.find("\r\n", end) + 2;

    SearchRun run("qzq", end + 1);
    run.Run(*dict, SearchWord);
    EXPECT_EQ(run.Line(9), "qzqaaa : (6 lettres)");
    EXPECT_EQ(run.Line(10), "Trop de mots à afficher, affinez votre recherche.");
    EXPECT_EQ(run.Line(11), "");
    EXPECT_EQ(run.Line(12), "");
    EXPECT_EQ(run.area.LineCount(), 13);  // the blanked lines stay
    EXPECT_EQ(run.area.UpdateDepth(), 0);

    // Not even the first entry fits: the message takes its line.
    std::size_t header = 0;
    for (int line = 0; line <= 8; ++line) header = text.find("\r\n", header) + 2;
    SearchRun tight("qzq", header + 1);
    tight.Run(*dict, SearchWord);
    EXPECT_EQ(tight.Line(9), "Trop de mots à afficher, affinez votre recherche.");
    EXPECT_EQ(tight.area.LineCount(), 10);
}
