// Search of a byte pattern in a block of memory. The skip table of the Boyer-Moore
// method (bad-character rule) is kept for the pattern; the scan itself filters the
// text sixteen positions at a time on two of the pattern's rarest bytes and compares
// the candidates whole, which finds the same leftmost occurrence several times faster.
// Bytes are compared exactly, as unsigned values: case-sensitive, blind to lines.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

class IBMSearch {
public:
    virtual ~IBMSearch() = default;
    // Offset from buffer of the first occurrence that begins at or after start and
    // ends at or before bufLength; -1 when there is none.
    virtual int32_t Search(const uint8_t* buffer, int32_t bufLength, int32_t start) const = 0;
};

using IBMSearchPtr = std::shared_ptr<IBMSearch>;

class TBMSearch final : public IBMSearch {
public:
    explicit TBMSearch(const std::string& pattern);
    static IBMSearchPtr Create(const std::string& pattern) { return std::make_shared<TBMSearch>(pattern); }

    int32_t Search(const uint8_t* buffer, int32_t bufLength, int32_t start) const override;

    // The shift of one byte value (exposed for checks of the table).
    uint8_t GetSkip(uint8_t byte) const { return SkipTable[byte]; }

private:
    void BuildSkipTable(const uint8_t* p, int32_t m);
    void ChooseAnchors();
    int32_t CoreSearch(const uint8_t* text, int32_t n) const;

    std::array<uint8_t, 256> SkipTable{};
    std::string Pattern;
    const uint8_t* PatternPtr = nullptr;
    int32_t PatternLength = 0;
    // Two positions of the pattern whose bytes are rare in dictionary text: a text
    // position can start an occurrence only when both bytes are in place.
    int32_t Anchor1 = 0;
    int32_t Anchor2 = 0;
};
