#include "common/text.h"

#include <algorithm>
#include <cctype>
#include <limits>

namespace pw {
namespace {

unsigned char byteAt(std::string_view text, std::size_t pos) {
    return static_cast<unsigned char>(text[pos]);
}

bool isContinuation(unsigned char b) {
    return (b & 0xC0u) == 0x80u;
}

} // namespace

char32_t decodeUtf8(std::string_view text, std::size_t& pos) {
    const unsigned char lead = byteAt(text, pos);
    if (lead < 0x80) {
        ++pos;
        return lead;
    }
    std::size_t length = 0;
    char32_t value = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0u) == 0xC0u) {
        length = 2;
        value = lead & 0x1Fu;
        minimum = 0x80;
    } else if ((lead & 0xF0u) == 0xE0u) {
        length = 3;
        value = lead & 0x0Fu;
        minimum = 0x800;
    } else if ((lead & 0xF8u) == 0xF0u) {
        length = 4;
        value = lead & 0x07u;
        minimum = 0x10000;
    }
    if (length == 0 || pos + length > text.size()) {
        ++pos;
        return lead;
    }
    for (std::size_t k = 1; k < length; ++k) {
        const unsigned char b = byteAt(text, pos + k);
        if (!isContinuation(b)) {
            ++pos;
            return lead;
        }
        value = (value << 6) | (b & 0x3Fu);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not UTF-8: the lead byte
    // then stands for itself like any other stray byte.
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        ++pos;
        return lead;
    }
    pos += length;
    return value;
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0u | (c >> 6)));
        out.push_back(static_cast<char>(0x80u | (c & 0x3Fu)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0u | (c >> 12)));
        out.push_back(static_cast<char>(0x80u | ((c >> 6) & 0x3Fu)));
        out.push_back(static_cast<char>(0x80u | (c & 0x3Fu)));
    } else {
        out.push_back(static_cast<char>(0xF0u | (c >> 18)));
        out.push_back(static_cast<char>(0x80u | ((c >> 12) & 0x3Fu)));
        out.push_back(static_cast<char>(0x80u | ((c >> 6) & 0x3Fu)));
        out.push_back(static_cast<char>(0x80u | (c & 0x3Fu)));
    }
}

std::string lowerText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        const unsigned char lead = byteAt(text, pos);
        if (lead < 0x80) {
            out.push_back(static_cast<char>(std::tolower(lead)));
            ++pos;
            continue;
        }
        const std::size_t start = pos;
        const char32_t c = decodeUtf8(text, pos);
        if (pos == start + 1 && c == lead) {
            out.push_back(static_cast<char>(lead)); // a stray byte stays as it is
        } else {
            appendUtf8(out, lowerCodePoint(c));
        }
    }
    return out;
}

int compareText(std::string_view a, std::string_view b) {
    // Bytes both texts share compare equal whatever they encode, and decoding is in step
    // again right after an ASCII byte, which no sequence spans: the common prefix up to
    // its last ASCII byte is passed over at memory speed (sorted paths share long ones).
    std::size_t start = static_cast<std::size_t>(
        std::mismatch(a.begin(), a.end(), b.begin(), b.end()).first - a.begin());
    while (start > 0 && byteAt(a, start - 1) >= 0x80) {
        --start;
    }
    std::size_t i = start;
    std::size_t j = start;
    while (i < a.size() && j < b.size()) {
        const unsigned char ca = byteAt(a, i);
        const unsigned char cb = byteAt(b, j);
        char32_t la = 0;
        char32_t lb = 0;
        if (ca < 0x80 && cb < 0x80) {
            la = lowerCodePoint(ca);
            lb = lowerCodePoint(cb);
            ++i;
            ++j;
        } else {
            la = lowerCodePoint(decodeUtf8(a, i));
            lb = lowerCodePoint(decodeUtf8(b, j));
        }
        if (la != lb) {
            return la < lb ? -1 : 1;
        }
    }
    if (i < a.size()) {
        return 1;
    }
    return j < b.size() ? -1 : 0;
}

int compareBinary(std::string_view a, std::string_view b) {
    // For UTF-8, byte order is code point order.
    const int c = a.compare(b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

std::string_view trimBlanks(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

bool isNumeric(std::string_view text) {
    text = trimBlanks(text);
    std::size_t pos = 0;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        ++pos;
    }
    bool digits = false;
    bool point = false;
    for (; pos < text.size(); ++pos) {
        const char c = text[pos];
        if (c >= '0' && c <= '9') {
            digits = true;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (!digits) {
        return false;
    }
    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
        ++pos;
        if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
            ++pos;
        }
        const std::size_t exponentStart = pos;
        while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
            ++pos;
        }
        if (pos == exponentStart) {
            return false;
        }
    }
    return pos == text.size();
}

bool isValidUtf8(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        const unsigned char lead = byteAt(text, pos);
        if (lead < 0x80) {
            ++pos;
            continue;
        }
        const std::size_t start = pos;
        const char32_t c = decodeUtf8(text, pos);
        if (pos == start + 1 && c == lead) {
            return false;
        }
    }
    return true;
}

std::int64_t leadingNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    // Accumulated as a negative number, whose range reaches the minimum.
    constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
    std::int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        const int digit = text[i] - '0';
        if (value < (kMin + digit) / 10) {
            value = kMin;
            break;
        }
        value = value * 10 - digit;
    }
    if (negative) {
        return value;
    }
    return value == kMin ? std::numeric_limits<std::int64_t>::max() : -value;
}

std::int32_t leadingNumber32(std::string_view text) {
    const std::int64_t value = leadingNumber(text);
    if (value > std::numeric_limits<std::int32_t>::max()) {
        return std::numeric_limits<std::int32_t>::max();
    }
    if (value < std::numeric_limits<std::int32_t>::min()) {
        return std::numeric_limits<std::int32_t>::min();
    }
    return static_cast<std::int32_t>(value);
}

} // namespace pw
