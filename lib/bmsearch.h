// Boyer-Moore search of a byte pattern in a block of memory (bad-character rule only).
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
    int32_t CoreSearch(const uint8_t* text, int32_t n) const;

    std::array<uint8_t, 256> SkipTable{};
    std::string Pattern;
    const uint8_t* PatternPtr = nullptr;
    int32_t PatternLength = 0;
};
