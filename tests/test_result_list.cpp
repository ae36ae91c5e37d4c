// The shared result list: its two states, its alphabetical order and the two length
// orderings of the searches.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "ResultList.h"
#include "Searches.h"
#include "cp1252.h"

namespace {

std::vector<std::string> Utf8Items(const ResultList& l) {
    std::vector<std::string> out;
    for (const auto& s : l.Items()) out.push_back(cp1252::ToUtf8(s));
    return out;
}

ResultList Unsorted(const std::vector<std::string>& utf8) {
    ResultList l;
    for (const auto& s : utf8) l.Add(A(s));
    return l;
}

}  // namespace

TEST(ResultList, SortedListInsertsInOrderAndDropsCaseVariants) {
    ResultList l;
    l.SetSorted(true);
    EXPECT_EQ(l.Add("chats"), 0);
    EXPECT_EQ(l.Add("Paris"), 1);
    EXPECT_EQ(l.Add("achat"), 0);
    EXPECT_EQ(l.Add("paris"), -1);  // equal to "Paris" ignoring case: the first stays
    EXPECT_EQ(l.Add("CHATS"), -1);
    EXPECT_EQ(l.Add(A("élève")), 2);
    EXPECT_EQ(l.Add("eleve"), 2);  // accents make texts different
    EXPECT_EQ(Utf8Items(l), (std::vector<std::string>{"achat", "chats", "eleve", "élève", "Paris"}));
    l.Clear();
    EXPECT_TRUE(l.Sorted());  // clearing keeps the state
    EXPECT_EQ(l.Count(), 0);
}

TEST(ResultList, UnsortedListAppendsAndKeepsDuplicates) {
    ResultList l = Unsorted({"b", "a", "B", "a"});
    EXPECT_FALSE(l.Sorted());
    EXPECT_EQ(Utf8Items(l), (std::vector<std::string>{"b", "a", "B", "a"}));
    l.Sort();
    ASSERT_EQ(l.Count(), 4);
    EXPECT_FALSE(l.Sorted());
    EXPECT_EQ(cp1252::ToUtf8(l[0]), "a");
    EXPECT_EQ(cp1252::ToUtf8(l[1]), "a");
}

TEST(ResultList, SwitchingToSortedSortsAtOnceKeepingTheFirstOfEqualEntries) {
    ResultList l = Unsorted({"Rome", "nice", "rome", "Nice", "arles", "ROME"});
    l.SetSorted(true);
    EXPECT_EQ(Utf8Items(l), (std::vector<std::string>{"arles", "nice", "Rome"}));
    // Back to unsorted keeps the order; appending goes to the end again.
    l.SetSorted(false);
    l.Add("aa");
    EXPECT_EQ(Utf8Items(l), (std::vector<std::string>{"arles", "nice", "Rome", "aa"}));
}

TEST(ResultList, SortingASortedListDoesNothing) {
    ResultList l;
    l.SetSorted(true);
    l.Add("b : (1 lettres)");
    l.Add("aaa : (3 lettres)");
    l.Sort();
    l.CustomSort(CompareLongestFirst);
    EXPECT_EQ(Utf8Items(l), (std::vector<std::string>{"aaa : (3 lettres)", "b : (1 lettres)"}));
}

TEST(ResultList, LengthOrderingsOfTheWordLookup) {
    const std::vector<std::string> entries{"chats : (5 lettres)", "chaton : (6 lettres)", "achat : (5 lettres)",
                                           "chat : (4 lettres)"};
    ResultList l = Unsorted(entries);
    l.CustomSort(CompareLongestFirst);
    EXPECT_EQ(Utf8Items(l), (std::vector<std::string>{"chaton : (6 lettres)", "achat : (5 lettres)",
                                                      "chats : (5 lettres)", "chat : (4 lettres)"}));
    ResultList s = Unsorted(entries);
    s.CustomSort(CompareShortestFirst);
    EXPECT_EQ(Utf8Items(s), (std::vector<std::string>{"chat : (4 lettres)", "achat : (5 lettres)",
                                                      "chats : (5 lettres)", "chaton : (6 lettres)"}));
}

TEST(ResultList, LengthComparisonsFoldAccentsAndUseTheKeyUpToTheColon) {
    ResultList l =
        Unsorted({"rôle : (4 lettres)", "role : (4 lettres)", "ab : x", "ab : y", "zz", "abc", "rôle : (4 lettres)"});
    // Same folded key, different texts: equal for the ordering.
    EXPECT_EQ(CompareLongestFirst(l, 0, 1), 0);
    EXPECT_EQ(CompareShortestFirst(l, 2, 3), 0);
    EXPECT_EQ(CompareLongestFirst(l, 0, 6), 0);
    // Without a colon the whole folded text is the key: longer first, then byte order.
    EXPECT_LT(CompareLongestFirst(l, 5, 4), 0);
    EXPECT_GT(CompareShortestFirst(l, 5, 4), 0);
    // The key ends at the first colon: "AB :" is shorter than "ROLE :".
    EXPECT_GT(CompareLongestFirst(l, 2, 1), 0);
    EXPECT_LT(CompareShortestFirst(l, 2, 1), 0);
}

TEST(ResultList, CompareLengthOrderingsByBytesOnEqualLength) {
    ResultList l = Unsorted({"zèbre : (5 lettres)", "abeil : (5 lettres)", "Zebre : (5 lettres)"});
    EXPECT_GT(CompareLongestFirst(l, 0, 1), 0);
    EXPECT_GT(CompareShortestFirst(l, 0, 1), 0);
    EXPECT_EQ(CompareLongestFirst(l, 0, 2), 0);  // ZEBRE : on both sides
}

TEST(ResultList, LengthOrderingsCompareHighBytesAsUnsigned) {
    // Œ (byte $8C) stays outside A-Z after folding and sorts after every plain letter.
    ResultList l = Unsorted({"œuf : (3 lettres)", "zoo : (3 lettres)", "été : (3 lettres)"});
    l.CustomSort(CompareLongestFirst);
    EXPECT_EQ(Utf8Items(l), (std::vector<std::string>{"été : (3 lettres)", "zoo : (3 lettres)", "œuf : (3 lettres)"}));
    EXPECT_LT(CompareShortestFirst(l, 1, 2), 0);
}

// Lists of every shape the searches hand over (nearly in order, with case variants and
// repeats, a few or many entries out of place, in a random order) give, through the
// batch roads, exactly what adding the entries one at a time gives; so do texts that
// stand for entries the list makes only when they are read.
TEST(ResultList, BatchRoadsGiveWhatAddingOneAtATimeGives) {
    const std::string tail = " : (3 lettres)";
    const ResultEntryMaker withTail = [](std::string_view w) { return std::string(w) + " : (3 lettres)"; };
    const std::vector<std::string> words = {"a",  "abbé", "abbe",  "Abbé", "ABBE",  "abc",   "a-b",   "a b",  "abcd",
                                            "b",  "bœuf", "boeuf", "BŒUF", "c'est", "cest",  "C'EST", "ça",   "ca",
                                            "Ça", "d",    "e",     "é",    "É",     "zèbre", "Zèbre", "zebre"};
    std::vector<std::string> base;
    for (const auto& w : words) base.push_back(A(w));
    std::sort(base.begin(), base.end(), [](const std::string& x, const std::string& y) {
        ResultList l;
        l.Add(x);
        l.Add(y);
        l.Sort();
        return l[0] == x && x != y;
    });
    std::mt19937 rng(99);
    for (int round = 0; round < 300; ++round) {
        // Nearly in order: the sorted words with repeats, and some moved away.
        std::vector<std::string> in;
        for (const auto& w : base)
            for (int k = static_cast<int>(rng() % 3); k > 0; --k) in.push_back(w + (round % 2 ? " : (3 lettres)" : ""));
        const int moves = round % 3 == 0 ? static_cast<int>(in.size()) : static_cast<int>(rng() % 4);
        for (int m = 0; m < moves && in.size() > 1; ++m) std::swap(in[rng() % in.size()], in[rng() % in.size()]);

        ResultList oneByOne;
        oneByOne.SetSorted(true);
        for (const auto& e : in) oneByOne.Add(e);
        ResultList switched;
        for (const auto& e : in) switched.Add(e);
        switched.SetSorted(true);
        ASSERT_EQ(switched.Count(), oneByOne.Count());
        ASSERT_EQ(switched.Items(), oneByOne.Items());

        ResultList unsortedOneByOne;
        for (const auto& e : in) unsortedOneByOne.Add(e);
        unsortedOneByOne.Sort();

        // The same entries handed over in another order, each with its place.
        std::vector<uint32_t> order(in.size());
        std::iota(order.begin(), order.end(), 0);
        std::shuffle(order.begin(), order.end(), rng);
        std::vector<std::string> entries;
        for (const uint32_t k : order) entries.push_back(in[k]);
        for (const bool sorted : {true, false}) {
            ResultList all;
            all.SetSorted(sorted);
            all.AddAllAndSort(entries, order);
            ASSERT_EQ(all.Items(), sorted ? oneByOne.Items() : unsortedOneByOne.Items()) << round;
        }

        // Through a batch, into an empty sorted list, a sorted one that holds an entry
        // already, and an unsorted one; on odd rounds the texts are the words alone.
        const ResultEntryMaker make = round % 2 ? withTail : nullptr;
        for (const int start : {0, 1, 2}) {
            ResultList reference, batched;
            reference.SetSorted(start != 2);
            batched.SetSorted(start != 2);
            if (start == 1) {
                reference.Add(A("bœuf") + (round % 2 ? tail : ""));
                batched.Add(A("bœuf") + (round % 2 ? tail : ""));
            }
            for (const auto& e : in) reference.Add(e);
            {
                ResultBatch batch(batched, make);
                if (round % 5 == 0) batch.Reserve(in.size(), 1000);
                for (const auto& e : in) batch.Add(make ? std::string_view(e).substr(0, e.size() - tail.size()) : e);
                batch.Finish();
            }
            ASSERT_EQ(batched.Count(), reference.Count()) << round << " " << start;
            ASSERT_EQ(batched.Sorted(), reference.Sorted());
            ASSERT_EQ(batched.Items(), reference.Items()) << round << " " << start;
        }
    }
}

// Every byte, upper or lower case or neither, at every place of texts of every length a
// long list meets: the list taken in one piece drops exactly the case variants that
// adding the texts one at a time drops.
TEST(ResultList, TakenListsDropTheCaseVariantsOfEveryByte) {
    for (const std::string& around :
         {std::string(), std::string("ab"), std::string("abcdef"), std::string("abcdefghijklm")}) {
        for (std::size_t at = 0; at <= around.size(); at += std::max<std::size_t>(1, around.size() / 2)) {
            std::string text;
            std::vector<std::pair<uint32_t, uint32_t>> pieces;
            ResultList oneByOne;
            oneByOne.SetSorted(true);
            for (int b = 1; b < 256; ++b) {
                const std::string t = around.substr(0, at) + static_cast<char>(b) + around.substr(at);
                pieces.emplace_back(static_cast<uint32_t>(text.size()), static_cast<uint32_t>(t.size()));
                text += t;
                oneByOne.Add(t);
            }
            ResultList taken;
            taken.TakeSorted(text, pieces);
            ASSERT_EQ(taken.Count(), oneByOne.Count()) << around << " " << at;
            ASSERT_EQ(taken.Items(), oneByOne.Items()) << around << " " << at;
        }
    }
}
