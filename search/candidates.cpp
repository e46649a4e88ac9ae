#include "search/candidates.h"

#include "common/format.h"
#include "common/text.h"
#include "search/sort_array.h"

#include <array>
#include <cstring>

namespace pw {
namespace {

constexpr std::size_t kArenaBlock = 64 * 1024;
constexpr std::uint64_t kTwelveDigits = 1'000'000'000'000ULL;

// Walks the lower-cased code points of a record as if its fields, joined by "?", were one
// text. The date text ends every record and is made only when a comparison reaches it,
// which happens only for records whose other fields tie.
class RecordCursor {
public:
    RecordCursor(std::string_view first, std::string_view second, std::string_view folder,
                 std::int64_t mtime)
        : m_pieces{first, "?", second, "?", folder, "?", {}}, m_mtime(mtime) {}

    // Next code point, or -1 at the end of the record.
    std::int64_t next() {
        while (m_piece < m_pieces.size() && m_pos >= m_pieces[m_piece].size()) {
            ++m_piece;
            m_pos = 0;
            if (m_piece == kDatePiece && m_date.empty()) {
                m_date = DateText(m_mtime);
                m_pieces[kDatePiece] = m_date;
            }
        }
        if (m_piece == m_pieces.size()) {
            return -1;
        }
        const std::string_view text = m_pieces[m_piece];
        const auto byte = static_cast<unsigned char>(text[m_pos]);
        if (byte < 0x80) {
            ++m_pos;
            return lowerCodePoint(byte);
        }
        return lowerCodePoint(decodeUtf8(text, m_pos));
    }

    // Skips the first field (and its "?"); used when both records' first fields are known
    // to be equal.
    void skipFirstField() {
        m_piece = 2;
        m_pos = 0;
    }

private:
    static constexpr std::size_t kDatePiece = 6;

    std::array<std::string_view, 7> m_pieces;
    std::int64_t m_mtime;
    std::string m_date;
    std::size_t m_piece = 0;
    std::size_t m_pos = 0;
};

int compareCursors(RecordCursor& a, RecordCursor& b) {
    for (;;) {
        const std::int64_t x = a.next();
        const std::int64_t y = b.next();
        if (x != y) {
            return x < y ? -1 : 1;
        }
        if (x < 0) {
            return 0;
        }
    }
}

} // namespace

std::uint32_t CandidateSet::addFolder(std::string folder) {
    m_folders.push_back(std::move(folder));
    return static_cast<std::uint32_t>(m_folders.size() - 1);
}

const char* CandidateSet::storeName(std::string_view name) {
    if (m_blocks.empty() || m_blockUsed + name.size() > m_blockSize) {
        m_blockSize = std::max(kArenaBlock, name.size());
        m_blocks.push_back(std::make_unique<char[]>(m_blockSize));
        m_blockUsed = 0;
    }
    char* slot = m_blocks.back().get() + m_blockUsed;
    if (!name.empty()) {
        std::memcpy(slot, name.data(), name.size());
    }
    m_blockUsed += name.size();
    return slot;
}

Candidate& CandidateSet::add(std::uint32_t folder, std::string_view name) {
    Candidate& c = m_items.emplace_back();
    c.name = storeName(name);
    c.nameLength = static_cast<std::uint32_t>(name.size());
    c.folder = folder;
    return c;
}

const char* CandidateSet::adoptNames(std::string names) {
    return m_adopted.emplace_back(std::move(names)).data();
}

Candidate& CandidateSet::addAdopted(std::uint32_t folder, const char* name, std::uint32_t length) {
    Candidate& c = m_items.emplace_back();
    c.name = name;
    c.nameLength = length;
    c.folder = folder;
    return c;
}

int compareRecords(const CandidateSet& set, const Candidate& a, const Candidate& b,
                   RecordOrder order) {
    if (order == RecordOrder::SizeFirst) {
        // Two 12-digit size keys compare as their numbers; longer keys compare as text.
        const bool shortKeys = a.size < kTwelveDigits && b.size < kTwelveDigits;
        if (shortKeys && a.size != b.size) {
            return a.size < b.size ? -1 : 1;
        }
        const std::string aKey = SizeKey(a.size);
        const std::string bKey = SizeKey(b.size);
        RecordCursor x(aKey, a.fileName(), set.folder(a), a.mtime);
        RecordCursor y(bKey, b.fileName(), set.folder(b), b.mtime);
        if (a.size == b.size) {
            x.skipFirstField();
            y.skipFirstField();
        }
        return compareCursors(x, y);
    }
    const std::string aKey = SizeKey(a.size);
    const std::string bKey = SizeKey(b.size);
    RecordCursor x(a.fileName(), aKey, set.folder(a), a.mtime);
    RecordCursor y(b.fileName(), bKey, set.folder(b), b.mtime);
    return compareCursors(x, y);
}

void sortCandidates(CandidateSet& set, RecordOrder order) {
    SortList(set.items(), true, [&set, order](const Candidate& a, const Candidate& b) {
        return compareRecords(set, a, b, order);
    });
}

} // namespace pw
