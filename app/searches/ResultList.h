// The one list of result strings that every search fills: sorted (alphabetical, an
// entry equal to one present ignoring case is dropped) or unsorted (appended).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class ResultList;
// Negative when the entry at i1 goes first, 0 when equal, positive when it goes after.
using ResultListCompare = int (*)(const ResultList& list, int32_t i1, int32_t i2);
// The entry that a piece of text taken by TakeSorted stands for.
using ResultEntryMaker = std::string (*)(std::string_view piece);

class ResultList {
public:
    explicit ResultList(std::size_t capacity = 5500);

    bool Sorted() const { return sorted_; }
    // Switching to sorted drops the duplicates at once (the first of equal entries
    // stays) and sorts; to unsorted keeps the order. The sort itself waits until an
    // entry is read: a long list that is only counted is never sorted.
    void SetSorted(bool sorted);
    // Returns the entry's index, or -1 when a sorted list dropped it as a duplicate.
    int32_t Add(std::string s);
    void Clear();
    int32_t Count() const { return static_cast<int32_t>(items_.size() + taken_.size()); }
    const std::string& operator[](int32_t i) const {
        Arrange();
        return items_[static_cast<std::size_t>(i)];
    }
    void Put(int32_t i, const std::string& s);
    // Alphabetical sort of an unsorted list; nothing on a sorted one.
    void Sort();
    // Custom sort of an unsorted list; nothing on a sorted one.
    void CustomSort(ResultListCompare compare);
    const std::vector<std::string>& Items() const {
        Arrange();
        return items_;
    }
    // Adds ENTRIES and sorts the list, as adding them one by one in the order of their
    // PLACES (the smallest first) and then Sort would, whatever order they come in.
    // Entries that come nearly in the list's order cost a fraction of a sort.
    void AddAllAndSort(std::vector<std::string> entries, const std::vector<uint32_t>& places);

    // Makes an empty list sorted with the entries cut from TEXT at PIECES (offset and
    // length each), as adding them one by one would: of equal entries the first stays.
    // They stay in TEXT, uncopied, until an entry is read: a long list that is only
    // counted costs no string of its own per entry. With MAKE, each piece stands for
    // the entry MAKE(piece), made only when an entry is read; two entries must then be
    // equal exactly when their pieces are (case ignored), since the pieces are compared.
    void TakeSorted(std::string text, std::vector<std::pair<uint32_t, uint32_t>> pieces,
                    ResultEntryMaker make = nullptr);

private:
    // Puts the entries of a sorted list in order when SetSorted left that for later.
    void Arrange() const {
        if (arrangePending_) ArrangeNow();
    }
    void ArrangeNow() const;

    mutable std::vector<std::string> items_;
    bool sorted_ = false;
    mutable bool arrangePending_ = false;  // sorted, without duplicates, not yet in order
    // Entries taken by TakeSorted, after those of items_, until they are arranged.
    mutable std::string takenText_;
    mutable std::vector<std::pair<uint32_t, uint32_t>> taken_;  // offset and length in takenText_
    ResultEntryMaker takenMake_ = nullptr;                      // what the taken pieces stand for (themselves)
};

int CompareLongestFirst(const ResultList& list, int32_t i1, int32_t i2);
int CompareShortestFirst(const ResultList& list, int32_t i1, int32_t i2);
