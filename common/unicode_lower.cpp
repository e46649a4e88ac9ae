#include "common/text.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace pw {
namespace {

struct LowerRange {
    std::uint32_t first;
    std::uint32_t last;
    std::int32_t delta;
    std::uint32_t stride;
};

constexpr LowerRange kLowerRanges[] = {
#include "common/unicode_lower_table.inc"
};

} // namespace

char32_t lowerCodePoint(char32_t c) {
    if (c < 0x80) {
        return (c >= U'A' && c <= U'Z') ? c + 32 : c;
    }
    const auto* end = std::end(kLowerRanges);
    const auto* it = std::lower_bound(
        std::begin(kLowerRanges), end, static_cast<std::uint32_t>(c),
        [](const LowerRange& range, std::uint32_t value) { return range.last < value; });
    if (it == end || c < it->first || (c - it->first) % it->stride != 0) {
        return c;
    }
    return static_cast<char32_t>(static_cast<std::int64_t>(c) + it->delta);
}

} // namespace pw
