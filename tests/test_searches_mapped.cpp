// The searches read the dictionary in place through the store's view of its text (one
// pass for the keys of "+", one searcher for each walk, lines tested where they lie),
// the lines cut as the store cuts them, whatever the file's line break.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <unistd.h>

#include "test_searches_support.h"

namespace {

std::vector<std::string> TrickyDictionary() {
    return DictFixture::Framed({
        DictLineUtf8("chien", "0", "N11"),
        DictLineUtf8("Chien", "0", "N11"),  // a case variant: the first stays
        DictLineUtf8("niche", "0", "N21"),
        DictLineUtf8("Chine", "0", "W"),  // a proper noun
        DictLineUtf8("chiens", "chien", "N12"),
        DictLineUtf8("chiner", "0", "V000"),
        DictLineUtf8("chine", "chiner", "V111"),
        DictLineUtf8("chinent", "chiner", "V116"),
        DictLineUtf8("chiné", "chiner", "V611"),
        DictLineUtf8("échine", "0", "N21"),
        DictLineUtf8("à-chien", "0", "N11"),
        DictLineUtf8("chi'en", "0", "N11"),
        "bizarre\tCEHINS\tABEIRRZ\t*N11",    // a lemma spelled like a key
        "twice\tCEHINT\tCEHINT\t*N11",       // two fields of one key: listed once
        "split\tCEHINR\tCEHINU\t*N11",       // fields of two keys: in both blocks
        "desordre\tCEHIZN\tDDEEORRS\t*N11",  // letters of a key, out of order
        "tiret\tCEHI-N\tEIRTT\t*N11",        // a key with a hyphen in it
        "chichi\tchichi\tCCHHII",            // no code, no marker
        "sans tabulation chien",
        "",
        "\tCEHIN\t",  // fields only
        DictLineUtf8("enchérir", "0", "V000"),
        DictLineUtf8("machin", "0", "N11"),
        DictLineUtf8("chichiteux", "0", "J11"),
        DictLineUtf8("chien", "0", "J11"),  // a homograph at the end
    });
}

struct Case {
    void (*search)(SearchContext&);
    const char* text;
};

struct Outcome {
    std::string dump;
    std::vector<std::string> list;
};

Outcome RunCase(const ITabStrings& dict, const Case& c, int options) {
    SearchRun run(c.text);
    run.options.withAnalysis = (options & 1) != 0;
    run.options.properNouns = (options & 2) != 0;
    run.Run(dict, c.search);
    return {run.Dump(), run.list.Items()};
}

const std::vector<Case> kCases = {
    {SearchAnagrams, "chien+"},   {SearchAnagrams, "chien"},   {SearchAnagrams, "niche+"}, {SearchAnagrams, "hi+"},
    {SearchWord, "chi"},          {SearchWord, "chien"},       {SearchWord, "ch"},         {SearchWord, "chichi"},
    {ConjugateVerb, "chine"},     {ConjugateVerb, "chinent"},  {ConjugateVerb, "chien"},   {SearchMaskedWords, "*ien"},
    {SearchMaskedWords, "ch?n*"}, {SearchMaskedWords, "?hi*"}, {SearchMaskedWords, "*e?"},
};

// Every case, with and without analysis and proper nouns, prints more than one line
// and the same on both dictionaries, and leaves the same list.
::testing::AssertionResult PrintTheSame(const ITabStrings& got, const ITabStrings& want,
                                        const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        for (int options = 0; options < 4; ++options) {
            const Outcome a = RunCase(got, c, options);
            const Outcome b = RunCase(want, c, options);
            if (a.dump != b.dump || a.list != b.list || b.dump.find('\n') == b.dump.rfind('\n'))
                return ::testing::AssertionFailure() << c.text << " options " << options << ":\n"
                                                     << a.dump << "instead of\n"
                                                     << b.dump;
        }
    }
    return ::testing::AssertionSuccess();
}

}  // namespace

TEST(SearchesInPlace, PrintTheSameWhateverTheLineBreak) {
    DictFixture crlf(TrickyDictionary(), false, "\r\n");
    for (const std::string lineBreak : {"\n", "\r"}) {
        DictFixture dict(TrickyDictionary(), false, lineBreak);
        EXPECT_TRUE(PrintTheSame(*dict, *crlf, kCases)) << "line break " << int(lineBreak[0]);
    }
}

// Another program may cut the file short under the store's view: the searches then read
// zeros where the lost lines were, and print what the lines left give, without a crash.
TEST(SearchesInPlace, ADictionaryCutShortBehindTheStorePrintsWhatIsLeft) {
    std::vector<std::string> lines = TrickyDictionary();
    const std::vector<std::string> filler = QzqWords(3000);  // pages enough to lose whole ones
    lines.insert(lines.end() - 1, filler.begin() + 1, filler.end() - 1);
    DictFixture dict(lines);
    const int32_t kept = 40;
    DictFixture reference(std::vector<std::string>(lines.begin(), lines.begin() + kept));
    ASSERT_EQ(::truncate(dict.Path().c_str(), dict->GetView().Start(kept)), 0);
    ASSERT_TRUE(dict->IsChangedBehind());

    std::vector<Case> cases = kCases;
    cases.push_back({SearchWord, "qzq"});
    cases.push_back({SearchMaskedWords, "qz*"});
    EXPECT_TRUE(PrintTheSame(*dict, *reference, cases));
}

// What the one pass for "+" must find, spelled out for the key CEHIN.
TEST(SearchesInPlace, PlusFilesEveryLineUnderEachKeyItsFieldsSpell) {
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
