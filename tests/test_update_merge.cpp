// The merge of an update into the user's dictionary, the own words and LEXTRANS.TXT,
// on real files.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "DictFixture.h"
#include "FileSizeLimit.h"
#include "Global.h"
#include "LineFinder.h"
#include "UpdateFixture.h"
#include "collate.h"
#include "cp1252.h"

namespace {

std::string L(const char* word, const char* code = "N21") { return DictLine(word, "0", code); }

// Runs steps 3 to 6 and returns the four counts.
std::vector<int32_t> Merge(TDictionaryMerge& merge) {
    merge.OpenFiles();
    std::vector<int32_t> counts;
    counts.push_back(merge.SortDictionary());
    counts.push_back(merge.RemoveDeletedLines());
    counts.push_back(merge.AddNewLines());
    merge.WriteDictionary();
    counts.push_back(merge.FindOwnWords());
    return counts;
}

TEST(UpdateMerge, WholeUpdateOfADictionaryTheWordEditorChanged) {
    UpdateFixture f;
    const TUpdatePaths& p = f.Paths();
    const std::string oldVersion = VersionLine("LEX26120");
    const std::string newVersion = VersionLine("LEX27010");
    // The user's file, LF line breaks: unordered, a case duplicate, an empty line, and a
    // word the editor appended after the closing version line.
    WriteFileBytes(p.DictionaryPath,
                   UpdateFixture::Lines(
                       {oldVersion, L("poire"), L("abricot", "N11"), L("Banane"), L("cerise"), L("CERISE"), L("fraise"),
                        L("kiwi", "N11"), "", "oire\t0\tEIOPR\t*N21", L("zeste", "N11"), oldVersion, L("mangue")},
                       "\n"));
    // The update: "zeste" out of the server's order, "banane" in another case, "datte" twice.
    WriteFileBytes(p.UpdateTextPath,
                   UpdateFixture::Lines({newVersion, L("zeste", "N11"), L("abricot", "N11"), L("banane"), L("cerise"),
                                         L("datte"), L("datte"), L("figue"), L("poire"), L("pomme"), newVersion}));
    // The delete list, CR line breaks: a line in another case, and one the user lacks.
    WriteFileBytes(p.DeleteListPath, UpdateFixture::Lines({"FRAISE\t0\tAEFIRS\t*N21", L("groseille")}, "\r"));

    TDictionaryMerge merge(p);
    EXPECT_EQ(Merge(merge), (std::vector<int32_t>{10, 1, 3, 4}));
    EXPECT_EQ(ReadFileBytes(p.DictionaryPath),
              UpdateFixture::Lines({newVersion, "", L("abricot", "N11"), L("Banane"), L("cerise"), L("datte"),
                                    L("figue"), L("kiwi", "N11"), L("mangue"), "oire\t0\tEIOPR\t*N21", L("poire"),
                                    L("pomme"), L("zeste", "N11"), newVersion}));

    // Own words: the user's form of "banane", the words the update lacks; not "zeste",
    // which the update holds out of its order, nor "oire", part of "poire".
    const std::string words = UpdateFixture::Lines({"", L("Banane"), L("kiwi", "N11"), L("mangue")});
    EXPECT_EQ(merge.WordsText(), words);
    EXPECT_EQ(UploadBody(merge.WordsText()), "AJOUTER=" + words);

    ASSERT_TRUE(merge.WriteTransferFile(true));
    EXPECT_EQ(ReadFileBytes(p.TransferPath), words);
    ASSERT_TRUE(merge.WriteTransferFile(false));
    EXPECT_EQ(ReadFileBytes(p.TransferPath),
              words + "\r\n\r\n" +
                  A("Conformément à votre souhait, ces mots n'ont pas été envoyés à Lexorama.\r\n"
                    "Pensez à envoyer ce fichier à  contact@lexorama.fr  pour participer à l'enrichissement "
                    "du dictionnaire.\r\n"));
    merge.Release();
    EXPECT_EQ(UpdateFixture::Names(f.Root()), (std::vector<std::string>{"LEXOTOT.TXT", "docs", "tmp"}));

    EXPECT_EQ(SortCaption(0), A("Tri alphabétique de votre dictionnaire : 0 mots valides"));
    EXPECT_EQ(RemovedCaption(1), A("Suppression des mots érronés de votre dictionnaire : 1 mot"));
    EXPECT_EQ(AddedCaption(2), A("Recherche des nouveaux mots dans la mise à jour : 2 mots"));
    EXPECT_EQ(OwnWordsCaption(5), A("Recherche des nouveaux mots dans votre dictionnaire : 5 mots"));
}

// The own words are the merged lines that the update text holds nowhere, as exact
// text: the same lines whether the server's text runs in the dictionary's order, in
// byte order, backwards or shuffled.
TEST(UpdateMerge, OwnWordsWhateverOrderTheUpdateIsIn) {
    std::mt19937 rng(22);
    const std::vector<std::string> syllables = {"ba", "Be", A("bé"), "co", "CO", A("cô"),
                                                "-",  "'",  "ra",    "ri", " ",  "t"};
    auto word = [&] {
        std::string w;
        for (int n = 1 + static_cast<int>(rng() % 4); n > 0; --n) w += syllables[rng() % syllables.size()];
        return w + "\t0\tX\t*N1" + std::to_string(rng() % 3);
    };
    std::vector<std::string> user, update;
    for (int i = 0; i < 2000; ++i) {
        std::string w = word();
        const unsigned r = rng() % 10;
        if (r < 7) update.push_back(w);         // known to both
        if (r == 7) update.push_back(w + "s");  // the user's line inside a longer one
        if (r != 8) user.push_back(w);          // r == 9: the user's own
        if (r == 8) update.push_back(w);        // the update's alone
    }
    for (int i = 0; i < 30; ++i) user.push_back("mot sans tabulation " + std::to_string(i));
    update.push_back("mot sans tabulation 7 et plus");

    auto ownWords = [&](const std::vector<std::string>& updateOrder) {
        UpdateFixture f;
        const TUpdatePaths& p = f.Paths();
        WriteFileBytes(p.DictionaryPath, UpdateFixture::Lines(user));
        WriteFileBytes(p.UpdateTextPath, UpdateFixture::Lines(DictFixture::Framed(updateOrder, "LEX27010")));
        TDictionaryMerge merge(p);
        Merge(merge);
        return merge.OwnWords();
    };
    std::vector<std::string> sorted = update;
    SortIgnoreCase(sorted, false);
    const std::vector<std::string> expected = ownWords(sorted);
    // The rule itself, literally: a merged line that the text holds nowhere.
    std::string updateText;
    for (const auto& l : update) updateText += l + "\r\n";
    std::vector<std::string> merged = user;
    merged.insert(merged.end(), update.begin(), update.end());
    SortIgnoreCase(merged, true);
    std::vector<std::string> model;
    for (const auto& l : merged)
        if (l.empty() || updateText.find(l) == std::string::npos) model.push_back(l);
    EXPECT_EQ(expected, model);
    EXPECT_GT(model.size(), 100u);

    std::vector<std::string> bytes = update;
    std::sort(bytes.begin(), bytes.end());
    std::vector<std::string> backwards(sorted.rbegin(), sorted.rend());
    std::vector<std::string> shuffled = update;
    std::shuffle(shuffled.begin(), shuffled.end(), rng);
    for (const auto* order : {&bytes, &backwards, &shuffled}) EXPECT_EQ(ownWords(*order), expected);
}

// A dictionary holding only its version lines takes the update whole; one without any
// keeps its first and last words; an empty delete list removes nothing; with no own
// word LEXTRANS.TXT is left alone.
TEST(UpdateMerge, DictionariesWithoutWordsOrWithoutVersionLines) {
    const std::string newVersion = VersionLine("LEX27010");
    const std::vector<std::string> update = {L("abricot", "N11"), L("cerise"), L("poire")};
    std::vector<std::string> framed = update;
    framed.insert(framed.begin(), newVersion);
    framed.push_back(newVersion);
    for (const bool noWords : {true, false}) {
        UpdateFixture f;
        const TUpdatePaths& p = f.Paths();
        WriteFileBytes(p.DictionaryPath, noWords
                                             ? UpdateFixture::Lines({VersionLine("LEX26120"), VersionLine("LEX26120")})
                                             : UpdateFixture::Lines({L("poire"), L("abricot", "N11")}));
        WriteFileBytes(p.UpdateTextPath, UpdateFixture::Lines(framed));
        WriteFileBytes(p.TransferPath, "earlier");
        WriteFileBytes(p.DeleteListPath, "");
        TDictionaryMerge merge(p);
        EXPECT_EQ(Merge(merge), (std::vector<int32_t>{noWords ? 0 : 2, 0, noWords ? 3 : 1, 0}));
        EXPECT_EQ(ReadFileBytes(p.DictionaryPath), UpdateFixture::Lines(framed));
        EXPECT_TRUE(merge.WriteTransferFile(false));
        EXPECT_EQ(ReadFileBytes(p.TransferPath), "earlier");
    }
}

// The merge's lists against the rule they implement, applied literally: lines added one
// by one to a sorted list (binary search, the first of equal lines stays), removed one
// by one, the update's lines added one by one; on random lines with case variants, in
// no order, then sorted with lines appended as the word editor does.
TEST(UpdateMerge, SameResultAsAddingLinesOneByOne) {
    std::mt19937 rng(2026);
    const std::vector<std::string> syllables = {"ba", "Be", A("bé"), "co", "CO", A("cô"), "-", "'", "ra", "ri", " "};
    auto word = [&] {
        std::string w;
        for (int n = 1 + static_cast<int>(rng() % 4); n > 0; --n) w += syllables[rng() % syllables.size()];
        return w + "\t0\tX\t*N11";
    };
    auto less = [](const std::string& a, const std::string& b) { return CompareTextIgnoreCase(a, b) < 0; };
    std::vector<std::string> shuffled, update, deletes;
    for (int i = 0; i < 1500; ++i) shuffled.push_back(word());
    for (int i = 0; i < 1500; ++i) update.push_back(word());
    for (int i = 0; i < 300; ++i) deletes.push_back(word());
    std::vector<std::string> appended = shuffled;
    std::stable_sort(appended.begin(), appended.end(), less);
    for (int i = 0; i < 20; ++i) appended.push_back(word());

    for (const auto& user : {shuffled, appended}) {
        std::vector<std::string> model;
        auto add = [&](const std::string& line) {
            const auto at = std::lower_bound(model.begin(), model.end(), line, less);
            if (at == model.end() || CompareTextIgnoreCase(*at, line) != 0) model.insert(at, line);
        };
        for (const auto& l : user) add(l);
        const auto sorted = static_cast<int32_t>(model.size());
        std::vector<std::string> deleteList;
        std::swap(model, deleteList);
        for (const auto& l : deletes) add(l);
        std::swap(model, deleteList);
        int32_t removed = 0;
        for (const auto& d : deleteList) {
            const auto at = std::lower_bound(model.begin(), model.end(), d, less);
            if (at != model.end() && CompareTextIgnoreCase(*at, d) == 0) {
                model.erase(at);
                ++removed;
            }
        }
        const auto before = static_cast<int32_t>(model.size());
        for (const auto& l : update) add(l);
        const auto added = static_cast<int32_t>(model.size()) - before;

        UpdateFixture f;
        const TUpdatePaths& p = f.Paths();
        WriteFileBytes(p.DictionaryPath, UpdateFixture::Lines(user));
        WriteFileBytes(p.UpdateTextPath, UpdateFixture::Lines(DictFixture::Framed(update, "LEX27010")));
        WriteFileBytes(p.DeleteListPath, UpdateFixture::Lines(deletes, "\n"));
        TDictionaryMerge merge(p);
        const std::vector<int32_t> counts = Merge(merge);
        EXPECT_EQ(std::vector<int32_t>(counts.begin(), counts.end() - 1),
                  (std::vector<int32_t>{sorted, removed, added}));
        EXPECT_EQ(ReadFileBytes(p.DictionaryPath), UpdateFixture::Lines(DictFixture::Framed(model, "LEX27010")));
    }
}

// The own-words lookup answers what the plain text search answers, before and after it
// files the lines: texts with and without three tabs, whole lines and parts of lines,
// lines with more tabs and with stray line breaks.
TEST(UpdateMerge, LineFinderAgreesWithTheTextSearch) {
    std::mt19937 rng(99);
    auto field = [&] {
        static const char* const parts[] = {"a", "b", "ab", "ba", "", "\n", "\r"};
        std::string f;
        for (int n = static_cast<int>(rng() % 3); n >= 0; --n) f += parts[rng() % 7];
        return f;
    };
    auto line = [&](int tabs) {
        std::string l = field();
        for (int t = 0; t < tabs; ++t) l += "\t" + field();
        return l;
    };
    std::vector<std::string> file;
    for (int i = 0; i < 400; ++i) file.push_back(line(rng() % 8 == 0 ? 4 : (rng() % 8 == 1 ? 2 : 3)));
    DictFixture dict(file);
    std::vector<std::string> lines;
    for (int32_t i = 0; i < dict->GetCount(); ++i) lines.push_back(dict->Get(i));
    TLineFinder finder(*dict, lines);
    for (int q = 0; q < 4000; ++q) {
        std::string text;
        if (q < 40) {
            text = "zz\tz\tz\tz" + std::to_string(q);  // absent: these fill the index
        } else if (q % 3 == 0) {
            const std::string& l = lines[rng() % lines.size()];
            const std::size_t from = rng() % (l.size() + 1);
            text = l.substr(from, rng() % (l.size() - from + 1));
        } else {
            text = line(q % 3 == 1 ? 3 : static_cast<int>(rng() % 5));
        }
        const auto start = static_cast<int32_t>(rng() % lines.size());
        ASSERT_EQ(finder.Find(text, start), dict->FindText(text, start)) << q << " [" << text << "] " << start;
    }
}

// Failures before the rewrite leave the dictionary as it was and nothing beside it.
TEST(UpdateMerge, FailuresLeaveTheDictionaryAsItWas) {
    UpdateFixture f;
    const TUpdatePaths& p = f.Paths();
    auto expectFailure = [&](const std::string& caption, const std::string& text, auto&& step) {
        try {
            step();
            ADD_FAILURE() << "no failure: " << text;
        } catch (const EUpdateError& e) {
            EXPECT_EQ(e.Caption(), caption);
            EXPECT_EQ(std::string(e.what()).substr(0, text.size()), text);
        }
    };
    auto missing = [](const std::string& name) {
        return name + " absent.\r\n" + A("Le fichier ") + name +
               A(" n'a pas été trouvé.\r\nLa mise à jour n'est pas possible.");
    };
    expectFailure("Dictionnaire absent", missing(p.DictionaryPath), [&] { TDictionaryMerge(p).OpenFiles(); });

    const std::string dictionary = UpdateFixture::Lines(DictFixture::Framed({L("poire")}, "LEX26120"));
    WriteFileBytes(p.DictionaryPath, dictionary);
    expectFailure("Dictionnaire absent", missing(p.UpdateTextPath), [&] { TDictionaryMerge(p).OpenFiles(); });

    WriteFileBytes(p.UpdateTextPath, UpdateFixture::Lines(DictFixture::Framed({L("abricot", "N11"), L("poire")})));
    {
        // Another program writing to the dictionary: the merge does not start.
        const ITabStringsPtr writer = TTabStringsFile::Create(p.DictionaryPath, true);
        expectFailure("Erreur", "", [&] { TDictionaryMerge(p).OpenFiles(); });
    }
    // A pipe under the dictionary's name: refused at once, never waited on.
    ASSERT_EQ(::unlink(p.DictionaryPath.c_str()), 0);
    ASSERT_EQ(::mkfifo(p.DictionaryPath.c_str(), 0600), 0);
    expectFailure("Erreur",
                  A("Erreur [13] à l'ouverture de ") + p.DictionaryPath +
                      A(" : ce n'est pas un fichier ordinaire mais un tube nommé."),
                  [&] { TDictionaryMerge(p).OpenFiles(); });
    ASSERT_EQ(::unlink(p.DictionaryPath.c_str()), 0);
    WriteFileBytes(p.DictionaryPath, dictionary);

    // Whole copies that a killed update left beside the dictionary go with the next
    // merge; one of a process still running, and any other name, stay.
    const pid_t ended = ::fork();
    if (ended == 0) ::_exit(0);
    ::waitpid(ended, nullptr, 0);
    const std::string stale = p.DictionaryPath + ".new" + std::to_string(ended) + "-3";
    const std::string live = p.DictionaryPath + ".new" + std::to_string(::getpid()) + "-0";
    const std::string other = p.DictionaryPath + ".new" + std::to_string(ended) + "-x";
    for (const std::string* name : {&stale, &live, &other}) WriteFileBytes(*name, dictionary);

    // A rewrite that runs out of room (the file size limit stands for a full disk).
    TDictionaryMerge merge(p);
    merge.OpenFiles();
    EXPECT_FALSE(std::filesystem::exists(stale));
    EXPECT_EQ(ReadFileBytes(live), dictionary);
    EXPECT_EQ(ReadFileBytes(other), dictionary);
    std::filesystem::remove(live);
    std::filesystem::remove(other);
    merge.SortDictionary();
    merge.AddNewLines();
    {
        const FileSizeLimit limit(100);
        expectFailure("Erreur", A("Erreur [1B] à l'écriture de ") + p.DictionaryPath, [&] { merge.WriteDictionary(); });
    }
    EXPECT_EQ(ReadFileBytes(p.DictionaryPath), dictionary);
    EXPECT_EQ(UpdateFixture::Names(f.Root()), (std::vector<std::string>{"LEXOTOT.TXT", "docs", "tmp"}));
    merge.Release();  // as the failed update does: the dictionary is held until then

    // A documents folder that is not there, or none at all: LEXTRANS.TXT cannot be
    // written, and says so.
    WriteFileBytes(p.DictionaryPath, UpdateFixture::Lines({L("kiwi", "N11")}));
    TUpdatePaths gone = p;
    gone.TransferPath = (f.Root() / "none" / "LEXTRANS.TXT").string();
    TUpdatePaths none = MakeUpdatePaths(p.UpdateVersion, p.TempFolder, "");
    none.DictionaryPath = p.DictionaryPath;
    for (const TUpdatePaths& nowhere : {gone, none}) {
        TDictionaryMerge own(nowhere);
        EXPECT_EQ(Merge(own).back(), 1);
        EXPECT_FALSE(own.WriteTransferFile(true));
    }
    EXPECT_EQ(TransferErrorText(), A("Echec de l'écriture de LEXTRANS.TXT"));
}

}  // namespace
