// Mode "Anagramme": the words of the same letters, and with "+" one letter more.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_searches_support.h"

namespace {

std::vector<std::string> AnagramDictionary() {
    return DictFixture::Framed({
        DictLineUtf8("chat", "0", "N11"),
        DictLineUtf8("chat", "0", "J11"),
        DictLineUtf8("tach", "0", "N11"),
        DictLineUtf8("chats", "chat", "N12"),
        DictLineUtf8("tâche", "0", "N21"),
        DictLineUtf8("chate", "0", "N21"),
        DictLineUtf8("tache", "0", "N21"),
        DictLineUtf8("Chatz", "0", "W"),
        DictLineUtf8("tacha", "tacher", "V133"),
        DictLineUtf8("été", "0", "N11"),
    });
}

}  // namespace

TEST(SearchAnagrams, PlusListsOneBlockPerCompletingLetter) {
    DictFixture dict(AnagramDictionary());
    SearchRun run("chat+");
    run.Run(*dict, SearchAnagrams);
    EXPECT_EQ(run.Dump(),
              "[- K] \n"
              "[biu K]Anagrammes de :[bi B]  ACHT  [biu K]recherchés[bi K]  : 4 lettres : [bi R]2[bi K] anagrammes.\n"
              "[- K] \n"
              "[- K]chat\n"
              "[- K]tach\n"
              "\n"
              "\n"
              "[biu K]Recherche d'anagrammes supplémentaires :\n"
              "\n"
              "\n"
              "\n"
              "[biu K]Anagrammes de :[bi B]  ACHT + A  [biu K]recherchés[bi K] : [bi R]1[bi K] anagramme.\n"
              "\n"
              "[- K]tacha\n"
              "\n"
              "\n"
              "[biu K]Anagrammes de :[bi B]  ACHT + E  [biu K]recherchés[bi K] : [bi R]3[bi K] anagrammes.\n"
              "\n"
              "[- K]chate\n"
              "[- K]tache\n"
              "[- K]tâche\n"
              "\n"
              "\n"
              "[biu K]Anagrammes de :[bi B]  ACHT + S  [biu K]recherchés[bi K] : [bi R]1[bi K] anagramme.\n"
              "\n"
              "[- K]chats\n"
              "\n");
    EXPECT_EQ(run.area.UpdateDepth(), 0);
    EXPECT_EQ(run.area.UpdateBlocks(), 1);
    EXPECT_TRUE(run.list.Sorted());
}

TEST(SearchAnagrams, ProperNounCompletesTheKeyOnlyWhenAsked) {
    DictFixture dict(AnagramDictionary());
    SearchRun run("chat+");
    run.options.properNouns = true;
    run.Run(*dict, SearchAnagrams);
    const std::string text = run.Dump();
    EXPECT_NE(text.find("  ACHT + Z  "), std::string::npos);
    EXPECT_NE(text.find("[- K]Chatz\n"), std::string::npos);
}

TEST(SearchAnagrams, HomographsWithAnalysisAndAccentedInput) {
    DictFixture dict(AnagramDictionary());
    SearchRun run("chat");
    run.options.withAnalysis = true;
    run.Run(*dict, SearchAnagrams);
    EXPECT_EQ(run.Line(3), "chat : adjectif masculin - singulier");
    EXPECT_EQ(run.Line(4), "chat : nom commun masculin - singulier");
    EXPECT_EQ(run.Line(5), "tach : nom commun masculin - singulier");
    EXPECT_EQ(run.area.LineCount(), 6);  // no "+": nothing more

    SearchRun accented("été");
    accented.Run(*dict, SearchAnagrams);
    EXPECT_EQ(accented.Line(1), "Anagrammes de :  EET  recherchés  : 3 lettres : 1 anagramme.");
    EXPECT_EQ(accented.Line(3), "été");
}

TEST(SearchAnagrams, NoAnagramAndNoLetter) {
    DictFixture dict(AnagramDictionary());
    SearchRun none("x");
    none.Run(*dict, SearchAnagrams);
    EXPECT_EQ(none.Dump(),
              "[- K] \n"
              "[biu K]Anagrammes de :[bi B]  X  [biu K]recherchés[bi K]  : 1 lettre : [bi R]0[bi K] anagramme.\n"
              "[- K] \n");

    SearchRun empty("'-+");
    empty.Run(*dict, SearchAnagrams);
    EXPECT_EQ(empty.area.Text(), "");
    EXPECT_EQ(empty.area.UpdateBlocks(), 0);
}
