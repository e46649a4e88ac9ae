#pragma once
// Text helpers shared by the engine. Texts are UTF-8 byte strings; file names that are not
// valid UTF-8 are kept as bytes, so every function here accepts any byte sequence.

#include <cstdint>
#include <string>
#include <string_view>

namespace pw {

// A folder text (ending in "/") followed by a name: a full path, made with one allocation.
inline std::string joinPath(std::string_view folder, std::string_view name) {
    std::string path;
    path.reserve(folder.size() + name.size());
    return path.append(folder).append(name);
}

// Simple (one-to-one) Unicode lower-case mapping of one code point.
char32_t lowerCodePoint(char32_t c);

// Decodes the code point that starts at text[pos] and advances pos. A byte that does not
// start a valid UTF-8 sequence decodes as itself (its value 0x80..0xFF) and advances by one.
char32_t decodeUtf8(std::string_view text, std::size_t& pos);

// Appends the UTF-8 encoding of c. Code points 0x80..0xFF that came from invalid bytes are
// not told apart from real ones here; callers that must keep bytes do not round-trip.
void appendUtf8(std::string& out, char32_t c);

// The text with every valid code point lower-cased; invalid bytes are copied unchanged.
std::string lowerText(std::string_view text);

// Three-way comparisons by code point: -1, 0 or 1. compareText lower-cases first
// ("text comparison", without regard to letter case); compareBinary does not.
int compareText(std::string_view a, std::string_view b);
int compareBinary(std::string_view a, std::string_view b);

// Leading and trailing blanks (U+0020) removed, as a Trim of the user's texts does.
std::string_view trimBlanks(std::string_view text);

// Whether a text reads as a number: optional blanks, an optional sign, digits with at most
// one decimal point, an optional exponent. Used for the size boxes of a search path.
bool isNumeric(std::string_view text);

// Whether the text is valid UTF-8.
bool isValidUtf8(std::string_view text);

// The number at the start of a stored text, after any blanks or tabs: an optional sign and
// the digits that follow, anything after them ignored; 0 when there is none. Saturates at
// the limits of a signed 64-bit number instead of overflowing.
std::int64_t leadingNumber(std::string_view text);

// The same, clamped to a signed 32-bit number.
std::int32_t leadingNumber32(std::string_view text);

} // namespace pw
