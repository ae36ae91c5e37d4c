// The shared result list: its two states, its alphabetical order and the two length
// orderings of the searches.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ResultList.h"
#include "cp1252.h"

namespace {

std::vector<std::string> Utf8Items(const ResultList& l)
{
    std::vector<std::string> out;
    for (const auto& s : l.Items()) out.push_back(cp1252::ToUtf8(s));
    return out;
}

ResultList Unsorted(const std::vector<std::string>& utf8)
{
    ResultList l;
    for (const auto& s : utf8) l.Add(A(s));
    return l;
}

}  // namespace

TEST(ResultList, SortedListInsertsInOrderAndDropsCaseVariants)
{
    ResultList l;
    l.SetSorted(true);
    EXPECT_EQ(l.Add("chats"), 0);
    EXPECT_EQ(l.Add("Paris"), 1);
    EXPECT_EQ(l.Add("achat"), 0);
    EXPECT_EQ(l.Add("paris"), -1);  // equal to "Paris" ignoring case: the first stays
    EXPECT_EQ(l.Add("CHATS"), -1);
    EXPECT_EQ(l.Add(A("élève")), 2);
    EXPECT_EQ(l.Add("eleve"), 2);   // accents make texts different
    EXPECT_EQ(Utf8Items(l), (std::vector<std::string>{"achat", "chats", "eleve", "élève", "Paris"}));
    l.Clear();
    EXPECT_TRUE(l.Sorted());        // clearing keeps the state
    EXPECT_EQ(l.Count(), 0);
}

TEST(ResultList, UnsortedListAppendsAndKeepsDuplicates)
{
    ResultList l = Unsorted({"b", "a", "B", "a"});
    EXPECT_FALSE(l.Sorted());
    EXPECT_EQ(Utf8Items(l), (std::vector<std::string>{"b", "a", "B", "a"}));
    l.Sort();
    ASSERT_EQ(l.Count(), 4);
    EXPECT_FALSE(l.Sorted());
    EXPECT_EQ(cp1252::ToUtf8(l[0]), "a");
    EXPECT_EQ(cp1252::ToUtf8(l[1]), "a");
}

TEST(ResultList, SwitchingToSortedSortsAtOnceKeepingTheFirstOfEqualEntries)
{
    ResultList l = Unsorted({"Rome", "nice", "rome", "Nice", "arles", "ROME"});
    l.SetSorted(true);
    EXPECT_EQ(Utf8Items(l), (std::vector<std::string>{"arles", "nice", "Rome"}));
    // Back to unsorted keeps the order; appending goes to the end again.
    l.SetSorted(false);
    l.Add("aa");
    EXPECT_EQ(Utf8Items(l), (std::vector<std::string>{"arles", "nice", "Rome", "aa"}));
}

TEST(ResultList, SortingASortedListDoesNothing)
{
    ResultList l;
    l.SetSorted(true);
    l.Add("b : (1 lettres)");
    l.Add("aaa : (3 lettres)");
    l.Sort();
    l.CustomSort(CompareLongestFirst);
    EXPECT_EQ(Utf8Items(l), (std::vector<std::string>{"aaa : (3 lettres)", "b : (1 lettres)"}));
}

TEST(ResultList, LengthOrderingsOfTheWordLookup)
{
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

TEST(ResultList, LengthComparisonsFoldAccentsAndUseTheKeyUpToTheColon)
{
    ResultList l = Unsorted({"rôle : (4 lettres)", "role : (4 lettres)", "ab : x", "ab : y", "zz", "abc", "rôle : (4 lettres)"});
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

TEST(ResultList, CompareLengthOrderingsByBytesOnEqualLength)
{
    ResultList l = Unsorted({"zèbre : (5 lettres)", "abeil : (5 lettres)", "Zebre : (5 lettres)"});
    EXPECT_GT(CompareLongestFirst(l, 0, 1), 0);
    EXPECT_GT(CompareShortestFirst(l, 0, 1), 0);
    EXPECT_EQ(CompareLongestFirst(l, 0, 2), 0);  // ZEBRE : on both sides
}

TEST(ResultList, LengthOrderingsCompareHighBytesAsUnsigned)
{
    // Œ (byte $8C) stays outside A-Z after folding and sorts after every plain letter.
    ResultList l = Unsorted({"œuf : (3 lettres)", "zoo : (3 lettres)", "été : (3 lettres)"});
    l.CustomSort(CompareLongestFirst);
    EXPECT_EQ(Utf8Items(l), (std::vector<std::string>{"été : (3 lettres)", "zoo : (3 lettres)", "œuf : (3 lettres)"}));
    EXPECT_LT(CompareShortestFirst(l, 1, 2), 0);
}
