// The searches read a dictionary file in place (one pass for the keys of "+", one
// searcher for each walk, lines tested where they lie). Through any other ITabStrings
// they take the plain road: FindText from line to line, Get for every line. Both roads
// must print the same, run for run, and leave the same list, whatever the file holds.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_searches_support.h"

namespace {

std::vector<std::string> TrickyDictionary()
{
    return DictFixture::Framed({
        DictLineUtf8("chien", "0", "N11"),
        DictLineUtf8("Chien", "0", "N11"),            // a case variant: the first stays
        DictLineUtf8("niche", "0", "N21"),
        DictLineUtf8("Chine", "0", "W"),              // a proper noun
        DictLineUtf8("chiens", "chien", "N12"),
        DictLineUtf8("chiner", "0", "V000"),
        DictLineUtf8("chine", "chiner", "V111"),
        DictLineUtf8("chinent", "chiner", "V116"),
        DictLineUtf8("chiné", "chiner", "V611"),
        DictLineUtf8("échine", "0", "N21"),
        DictLineUtf8("à-chien", "0", "N11"),
        DictLineUtf8("chi'en", "0", "N11"),
        "bizarre\tCEHINS\tABEIRRZ\t*N11",              // a lemma spelled like a key
        "twice\tCEHINT\tCEHINT\t*N11",                  // two fields of one key: listed once
        "split\tCEHINR\tCEHINU\t*N11",                  // fields of two keys: in both blocks
        "desordre\tCEHIZN\tDDEEORRS\t*N11",             // letters of a key, out of order
        "tiret\tCEHI-N\tEIRTT\t*N11",                    // a key with a hyphen in it
        "chichi\tchichi\tCCHHII",                       // no code, no marker
        "sans tabulation chien",
        "",
        "\tCEHIN\t",                                    // fields only
        DictLineUtf8("enchérir", "0", "V000"),
        DictLineUtf8("machin", "0", "N11"),
        DictLineUtf8("chichiteux", "0", "J11"),
        DictLineUtf8("chien", "0", "J11"),             // a homograph at the end
    });
}

struct Case {
    void (*search)(SearchContext&);
    const char* text;
};

}  // namespace

TEST(SearchesInPlace, PrintWhatThePlainRoadPrints)
{
    const Case cases[] = {
        {SearchAnagrams, "chien+"}, {SearchAnagrams, "chien"},   {SearchAnagrams, "niche+"},
        {SearchAnagrams, "hi+"},    {SearchWord, "chi"},         {SearchWord, "chien"},
        {SearchWord, "ch"},         {SearchWord, "chichi"},      {ConjugateVerb, "chine"},
        {ConjugateVerb, "chinent"}, {ConjugateVerb, "chien"},    {SearchMaskedWords, "*ien"},
        {SearchMaskedWords, "ch?n*"}, {SearchMaskedWords, "?hi*"}, {SearchMaskedWords, "*e?"},
    };
    for (const std::string lineBreak : {"\r\n", "\n", "\r"}) {
        DictFixture dict(TrickyDictionary(), false, lineBreak);
        const ForwardingStrings plain(dict.Ptr());
        for (const Case& c : cases) {
            for (int options = 0; options < 4; ++options) {
                SearchRun inPlace(c.text);
                SearchRun reference(c.text);
                for (SearchRun* run : {&inPlace, &reference}) {
                    run->options.withAnalysis = (options & 1) != 0;
                    run->options.properNouns = (options & 2) != 0;
                }
                inPlace.Run(*dict, c.search);
                reference.Run(plain, c.search);
                const std::string what = std::string(c.text) + " options " + std::to_string(options);
                ASSERT_EQ(inPlace.Dump(), reference.Dump()) << what;
                ASSERT_EQ(inPlace.list.Items(), reference.list.Items()) << what;
                ASSERT_GT(inPlace.area.LineCount(), 1) << what;
            }
        }
    }
}

// What the one pass for "+" must find, spelled out for the key CEHIN.
TEST(SearchesInPlace, PlusFilesEveryLineUnderEachKeyItsFieldsSpell)
{
    DictFixture dict(TrickyDictionary());
    SearchRun run("chien+");
    run.Run(*dict, SearchAnagrams);
    // The fields-only line lists an empty word, which joins the line above it.
    EXPECT_EQ(run.Dump(),
              "[- K] \n"
              "[biu K]Anagrammes de :[bi B]  CEHIN  [biu K]recherchés[bi K]  : 5 lettres : [bi R]6[bi K] anagrammes.\n"
              "[- K] \n"
              "[- K]chi'en\n"
              "[- K]chien\n"
              "[- K]chine\n"
              "[- K]chiné\n"
              "[- K]niche\n"
              "\n"
              "\n"
              "\n"
              "[biu K]Recherche d'anagrammes supplémentaires :\n"
              "\n"
              "\n"
              "\n"
              "[biu K]Anagrammes de :[bi B]  CEHIN + A  [biu K]recherchés[bi K] : [bi R]1[bi K] anagramme.\n"
              "\n"
              "[- K]à-chien\n"
              "\n"
              "\n"
              "[biu K]Anagrammes de :[bi B]  CEHIN + E  [biu K]recherchés[bi K] : [bi R]1[bi K] anagramme.\n"
              "\n"
              "[- K]échine\n"
              "\n"
              "\n"
              "[biu K]Anagrammes de :[bi B]  CEHIN + R  [biu K]recherchés[bi K] : [bi R]2[bi K] anagrammes.\n"
              "\n"
              "[- K]chiner\n"
              "[- K]split\n"
              "\n"
              "\n"
              "[biu K]Anagrammes de :[bi B]  CEHIN + S  [biu K]recherchés[bi K] : [bi R]2[bi K] anagrammes.\n"
              "\n"
              "[- K]bizarre\n"
              "[- K]chiens\n"
              "\n"
              "\n"
              "[biu K]Anagrammes de :[bi B]  CEHIN + T  [biu K]recherchés[bi K] : [bi R]1[bi K] anagramme.\n"
              "\n"
              "[- K]twice\n"
              "\n"
              "\n"
              "[biu K]Anagrammes de :[bi B]  CEHIN + U  [biu K]recherchés[bi K] : [bi R]1[bi K] anagramme.\n"
              "\n"
              "[- K]split\n"
              "\n");
}
