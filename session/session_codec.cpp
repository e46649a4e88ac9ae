#include "session/session_codec.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace pw {
namespace {

constexpr std::size_t kReadChunk = 64 * 1024;
constexpr char kHexDigits[] = "0123456789ABCDEF";

int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

void appendEscape(std::string& out, unsigned char byte) {
    out += '%';
    out += kHexDigits[byte >> 4];
    out += kHexDigits[byte & 0x0F];
}

} // namespace

std::string escapeSessionField(std::string_view field, bool leadingSemicolon) {
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        const char c = field[i];
        if (c == '%' || c == ',' || c == '?' || c == '\r' || c == '\n' ||
            (c == ';' && i == 0 && leadingSemicolon)) {
            appendEscape(out, static_cast<unsigned char>(c));
        } else {
            out += c;
        }
    }
    return out;
}

std::string unescapeSessionField(std::string_view field) {
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '%' && i + 2 < field.size()) {
            const int high = hexValue(field[i + 1]);
            const int low = hexValue(field[i + 2]);
            if (high >= 0 && low >= 0) {
                out += static_cast<char>(high * 16 + low);
                i += 2;
                continue;
            }
        }
        out += field[i];
    }
    return out;
}

std::vector<std::string_view> splitFields(std::string_view line, char separator) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = line.find(separator, start);
        if (end == std::string_view::npos) {
            fields.push_back(line.substr(start));
            return fields;
        }
        fields.push_back(line.substr(start, end - start));
        start = end + 1;
    }
}

LineReader::LineReader(int fd) : m_fd(fd), m_storage(kReadChunk) {
    m_data = m_storage.data();
}

LineReader::LineReader(std::string_view bytes)
    : m_data(bytes.data()), m_size(bytes.size()), m_eof(true) {}

bool LineReader::refill() {
    m_pos = 0;
    m_size = 0;
    for (;;) {
        const ssize_t got = ::read(m_fd, m_storage.data(), m_storage.size());
        if (got > 0) {
            m_size = static_cast<std::size_t>(got);
            return true;
        }
        if (got == 0) {
            m_eof = true;
            return false;
        }
        if (errno != EINTR) {
            m_error = errno;
            m_eof = true;
            m_stopped = true;
            return false;
        }
    }
}

LineReader::Status LineReader::next(std::string& line) {
    line.clear();
    if (m_stopped) {
        return m_error != 0 ? Status::Error : Status::End;
    }
    bool started = false;
    for (;;) {
        if (m_pos == m_size && (m_eof || !refill())) {
            if (m_error != 0) {
                return Status::Error;
            }
            if (!started) {
                return Status::End;
            }
            break;
        }
        started = true;
        const char* begin = m_data + m_pos;
        const auto* newline = static_cast<const char*>(std::memchr(begin, '\n', m_size - m_pos));
        const std::size_t take =
            newline != nullptr ? static_cast<std::size_t>(newline - begin) : m_size - m_pos;
        // One byte of slack for the CR of a line end that the check must not count.
        if (line.size() + take > kMaxLineBytes + 1) {
            m_stopped = true;
            return Status::TooLong;
        }
        line.append(begin, take);
        m_pos += take;
        if (newline != nullptr) {
            ++m_pos;
            break;
        }
    }
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    if (line.size() > kMaxLineBytes) {
        m_stopped = true;
        return Status::TooLong;
    }
    ++m_lineNumber;
    return Status::Line;
}

} // namespace pw
