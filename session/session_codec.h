#pragma once
// The pieces of the session format that have nothing to do with a window: the field
// escaping of format version 2, splitting a line into fields, and reading a file line by
// line within a fixed bound.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pw {

// The format version written into the tenth header field. A file with it carries escaped
// fields; a file without it is read field by field as stored.
inline constexpr std::string_view kSessionFormatVersion = "2";

// A field of a version 2 file: "%", ",", "?", CR and LF become "%25", "%2C", "%3F", "%0D",
// "%0A", so that a folder with a comma or a name with a question mark keeps its field.
// With leadingSemicolon, a ";" at the start also becomes "%3B": a search-path line that
// began with ";" would otherwise be taken for the start of the result section.
std::string escapeSessionField(std::string_view field, bool leadingSemicolon = false);

// The reverse: every "%" followed by two hexadecimal digits becomes that byte; any other
// "%" stays as it is, so a damaged field decodes to something rather than failing.
std::string unescapeSessionField(std::string_view field);

// The fields of a line between each separator, as many as there are (an empty line is one
// empty field). The views point into `line`.
std::vector<std::string_view> splitFields(std::string_view line, char separator);

// Reads lines from an open file descriptor (not owned) or from bytes in memory. A line ends
// at LF; a CR before the LF is dropped, so CR LF and LF-only files read alike. The last line
// may lack its line end. A line longer than kMaxLineBytes is never held: reading stops with
// TooLong, and the reader stays at the end.
class LineReader {
public:
    static constexpr std::size_t kMaxLineBytes = 1024 * 1024;

    enum class Status { Line, End, TooLong, Error };

    explicit LineReader(int fd);
    explicit LineReader(std::string_view bytes);

    Status next(std::string& line);
    // The 1-based number of the line last returned.
    std::int64_t lineNumber() const { return m_lineNumber; }
    // The errno of an Error.
    int error() const { return m_error; }

private:
    bool refill();

    int m_fd = -1;
    std::vector<char> m_storage;
    const char* m_data = nullptr;
    std::size_t m_pos = 0;
    std::size_t m_size = 0;
    bool m_eof = false;
    bool m_stopped = false;
    int m_error = 0;
    std::int64_t m_lineNumber = 0;
};

} // namespace pw
