#include "search/crc_ctrl.h"

#include <algorithm>
#include <cstdio>
#include <libdeflate.h>
#include <vector>

namespace pw {

bool CrcCtrl::CalculateFile(const ReadTarget& target) {
    constexpr std::size_t kBlock = 1 << 20;
    m_text.clear();
    m_error.clear();
    m_errno = 0;
    CandidateFile file;
    ReadError error;
    std::uint32_t crc = 0;
    const std::uint64_t expectedSize = target.listed.size;
    bool ok = file.open(target, error);
    if (ok) {
        const auto block = static_cast<std::size_t>(std::min<std::uint64_t>(kBlock, expectedSize));
        std::vector<char> buffer(block + 1); // room for the probe past the last byte
        std::uint64_t offset = 0;
        do {
            const auto length =
                static_cast<std::size_t>(std::min<std::uint64_t>(block, expectedSize - offset));
            ok = file.readAt(offset, buffer.data(), length, error);
            if (ok) {
                crc = libdeflate_crc32(crc, buffer.data(), length);
            }
            offset += length;
        } while (ok && offset < expectedSize);
    }
    if (!ok) {
        m_error = error.message;
        m_errno = error.error;
        return false;
    }
    char text[16];
    std::snprintf(text, sizeof text, "%08X", crc);
    m_text = text;
    return true;
}

} // namespace pw
