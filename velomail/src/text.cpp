#include "text.h"

#include <new>

namespace velomail {

namespace {

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

bool isHighSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool isLowSurrogate(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

} // namespace

std::string utf16ToUtf8(const char16_t* text) {
    std::string out;
    if (text == nullptr) {
        return out;
    }
    constexpr char32_t Replacement = 0xFFFD;
    for (const char16_t* p = text; *p != u'\0'; ++p) {
        if (isHighSurrogate(p[0]) && isLowSurrogate(p[1])) {
            appendUtf8(out, 0x10000 + ((static_cast<char32_t>(p[0]) - 0xD800) << 10) +
                                (static_cast<char32_t>(p[1]) - 0xDC00));
            ++p;
        } else if (isHighSurrogate(p[0]) || isLowSurrogate(p[0])) {
            appendUtf8(out, Replacement);
        } else {
            appendUtf8(out, p[0]);
        }
    }
    return out;
}

char16_t* newResultString(std::string_view ascii) {
    auto* text = new (std::nothrow) char16_t[ascii.size() + 1];
    if (text == nullptr) {
        return nullptr;
    }
    for (std::size_t i = 0; i < ascii.size(); ++i) {
        text[i] = static_cast<char16_t>(static_cast<unsigned char>(ascii[i]));
    }
    text[ascii.size()] = u'\0';
    return text;
}

void freeResultString(char16_t* text) {
    delete[] text;
}

} // namespace velomail
