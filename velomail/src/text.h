#pragma once
// Conversions between the UTF-16 texts of the interface and the bytes that go on the wire.

#include <string>
#include <string_view>

namespace velomail {

// The UTF-8 form of a NUL-terminated UTF-16 text; null gives an empty text. An unpaired
// surrogate becomes U+FFFD, so malformed input can never produce malformed UTF-8.
std::string utf16ToUtf8(const char16_t* text);

// A NUL-terminated UTF-16 copy of an ASCII text, allocated the way VmFreeString frees it;
// null when memory is short.
char16_t* newResultString(std::string_view ascii);

// Frees a string from newResultString.
void freeResultString(char16_t* text);

} // namespace velomail
