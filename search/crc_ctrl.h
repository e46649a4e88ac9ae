#pragma once
// The CRC-32 calculator of the CRC search method: a mode, a calculation for one file, and
// the result read back as text.

#include "search/file_reader.h"

#include <cstdint>
#include <string>

namespace pw {

class CrcCtrl {
public:
    // The calculator's mode; the search sets 6. Every mode computes the standard
    // CRC-32 (the polynomial of zlib and PNG), so the value is only kept.
    void setMode(std::int32_t mode) { m_mode = mode; }
    std::int32_t mode() const { return m_mode; }

    // Computes the CRC-32 of a listed file, synchronously. Returns false, and leaves the
    // text empty, when the file cannot be read in full as it was listed.
    bool CalculateFile(const ReadTarget& file);

    // The last result: eight upper-case hexadecimal digits, or empty after a failure.
    const std::string& crcText() const { return m_text; }

    // The failure of the last calculation, for the scan's list of problems.
    const std::string& lastError() const { return m_error; }
    int lastErrno() const { return m_errno; }

private:
    std::int32_t m_mode = 0;
    std::string m_text;
    std::string m_error;
    int m_errno = 0;
};

} // namespace pw
