#include "cli/path_quoting.h"

#include "common/text.h"

namespace pw::cli {
namespace {

bool isControl(char32_t c) {
    return c < 0x20 || c == 0x7F || (c >= 0x80 && c <= 0x9F);
}

// The escape bash's $'...' reads back as the control character c, or "" for \xHH.
std::string_view namedEscape(char32_t c) {
    switch (c) {
    case '\a':
        return "\\a";
    case '\b':
        return "\\b";
    case '\t':
        return "\\t";
    case '\n':
        return "\\n";
    case '\v':
        return "\\v";
    case '\f':
        return "\\f";
    case '\r':
        return "\\r";
    case 0x1B:
        return "\\e";
    default:
        return "";
    }
}

// \xHH takes at most two hex digits, so a following hex digit of the name is safe.
void appendHexBytes(std::string& out, std::string_view bytes) {
    constexpr char kHex[] = "0123456789abcdef";
    for (const char byte : bytes) {
        const auto b = static_cast<unsigned char>(byte);
        out += "\\x";
        out += kHex[b >> 4];
        out += kHex[b & 0x0F];
    }
}

} // namespace

bool needsQuoting(std::string_view path) {
    if (path.starts_with("$'") || !isValidUtf8(path)) {
        return true;
    }
    for (std::size_t i = 0; i < path.size(); ++i) {
        const auto b = static_cast<unsigned char>(path[i]);
        // In valid UTF-8 the C1 controls are exactly C2 80 to C2 9F.
        if (b < 0x20 || b == 0x7F ||
            (b == 0xC2 && i + 1 < path.size() && static_cast<unsigned char>(path[i + 1]) <= 0x9F)) {
            return true;
        }
    }
    return false;
}

std::string shellQuoted(std::string_view path) {
    std::string out = "$'";
    std::size_t pos = 0;
    while (pos < path.size()) {
        const std::size_t start = pos;
        const auto lead = static_cast<unsigned char>(path[pos]);
        const char32_t c = decodeUtf8(path, pos);
        const std::string_view bytes = path.substr(start, pos - start);
        const bool stray = pos == start + 1 && lead >= 0x80;
        if (stray || isControl(c)) {
            const std::string_view named = namedEscape(c);
            if (named.empty()) {
                appendHexBytes(out, bytes);
            } else {
                out += named;
            }
        } else if (c == '\\' || c == '\'') {
            out += '\\';
            out += bytes;
        } else {
            out += bytes;
        }
    }
    out += '\'';
    return out;
}

std::string shownPath(std::string_view path) {
    return needsQuoting(path) ? shellQuoted(path) : std::string(path);
}

} // namespace pw::cli
