#include "search/candidates.h"

#include "common/format.h"
#include "common/text.h"
#include "search/sort_array.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <sys/resource.h>
#include <system_error>
#include <thread>

namespace pw {
namespace {

constexpr std::size_t kArenaBlock = 64 * 1024;
constexpr std::uint64_t kTwelveDigits = 1'000'000'000'000ULL;

// Walks the lower-cased code points of a record as if its fields, joined by "?", were one
// text. The size key and the date text are made only when a comparison reaches them, which
// for most pairs of records it never does.
class RecordCursor {
public:
    RecordCursor(const CandidateSet& set, const Candidate& c, RecordOrder order)
        : m_candidate(c), m_sizePiece(order == RecordOrder::SizeFirst ? 0 : 2) {
        m_pieces[order == RecordOrder::SizeFirst ? 2 : 0] = c.fileName();
        m_pieces[1] = m_pieces[3] = m_pieces[5] = "?";
        m_pieces[4] = set.folder(c);
    }

    // Next code point, or -1 at the end of the record.
    std::int64_t next() {
        materialize();
        while (m_piece < m_pieces.size() && m_pos >= m_pieces[m_piece].size()) {
            ++m_piece;
            m_pos = 0;
            materialize();
        }
        if (m_piece == m_pieces.size()) {
            return -1;
        }
        const std::string_view text = m_pieces[m_piece];
        const auto byte = static_cast<unsigned char>(text[m_pos]);
        if (byte < 0x80) {
            ++m_pos;
            return byte >= 'A' && byte <= 'Z' ? byte + ('a' - 'A') : byte;
        }
        return lowerCodePoint(decodeUtf8(text, m_pos));
    }

    // Moves both cursors past what their records share byte for byte from here, as long as
    // they stand at the same place of the same field: equal bytes are equal code points.
    // Records of one size often share their name and most of their folder, and this spares
    // decoding and lower-casing all of it.
    void skipCommonBytes(RecordCursor& other) {
        for (;;) {
            materialize();
            other.materialize();
            if (m_piece != other.m_piece || m_pos != other.m_pos || m_piece == m_pieces.size()) {
                return;
            }
            const std::string_view a = std::string_view(m_pieces[m_piece]).substr(m_pos);
            const std::string_view b = std::string_view(other.m_pieces[m_piece]).substr(m_pos);
            std::size_t same = static_cast<std::size_t>(
                std::mismatch(a.begin(), a.end(), b.begin(), b.end()).first - a.begin());
            if (same == a.size() && same == b.size()) {
                ++m_piece;
                ++other.m_piece;
                m_pos = other.m_pos = 0;
                continue;
            }
            // Stop at the start of the code point in which they differ.
            while (same > 0 && (continuation(a, same) || continuation(b, same))) {
                --same;
            }
            m_pos += same;
            other.m_pos += same;
            return;
        }
    }

    // Skips the first field (and its "?"); used when both records' first fields are known
    // to be equal.
    void skipFirstField() {
        m_piece = 2;
        m_pos = 0;
    }

private:
    static constexpr std::size_t kDatePiece = 6;

    static bool continuation(std::string_view text, std::size_t pos) {
        return pos < text.size() && (static_cast<unsigned char>(text[pos]) & 0xC0) == 0x80;
    }

    void materialize() {
        if (m_piece == m_sizePiece && m_sizeKey.empty()) {
            m_sizeKey = SizeKey(m_candidate.size);
            m_pieces[m_sizePiece] = m_sizeKey;
        } else if (m_piece == kDatePiece && m_date.empty()) {
            m_date = DateText(m_candidate.mtime);
            m_pieces[kDatePiece] = m_date;
        }
    }

    const Candidate& m_candidate;
    std::size_t m_sizePiece;
    std::array<std::string_view, 7> m_pieces{};
    std::string m_sizeKey;
    std::string m_date;
    std::size_t m_piece = 0;
    std::size_t m_pos = 0;
};

int compareCursors(RecordCursor& a, RecordCursor& b) {
    a.skipCommonBytes(b);
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

// The order of two record fields followed by their "?", when their first difference,
// lower-cased, lies between two different ASCII characters: what the cursors would find
// there, without making them. 0 when the fields are equal (`equal` tells) or differ
// otherwise; the cursors decide then. Most pairs of candidates the sort holds side by
// side are settled here.
int compareFieldsQuickly(std::string_view a, std::string_view b, bool& equal) {
    const auto [endA, endB] = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
    equal = endA == a.end() && endB == b.end();
    if (equal) {
        return 0;
    }
    auto lowerAt = [](std::string_view field, std::string_view::iterator at) -> unsigned {
        const unsigned byte = at == field.end() ? '?' : static_cast<unsigned char>(*at);
        return byte >= 'A' && byte <= 'Z' ? byte + ('a' - 'A') : byte;
    };
    const unsigned x = lowerAt(a, endA);
    const unsigned y = lowerAt(b, endB);
    if (x >= 0x80 || y >= 0x80 || x == y) {
        return 0;
    }
    return x < y ? -1 : 1;
}

} // namespace

std::uint32_t CandidateSet::addRoot(std::string_view folder, UniqueFd fd) {
    m_roots.push_back({std::move(fd), folder.size()});
    return static_cast<std::uint32_t>(m_roots.size() - 1);
}

std::uint32_t CandidateSet::addFolder(std::string_view folder, std::uint32_t root) {
    m_folders.emplace_back(storeText(folder), folder.size());
    m_sharedFolders.emplace_back();
    m_folderRoots.push_back(root);
    return static_cast<std::uint32_t>(m_folders.size() - 1);
}

std::size_t CandidateSet::openFolderRoom() const {
    rlimit limit{};
    const std::size_t allowed =
        ::getrlimit(RLIMIT_NOFILE, &limit) == 0
            ? std::min<std::size_t>(static_cast<std::size_t>(limit.rlim_cur) / 2, kMaxOpenFolders)
            : 0;
    return allowed > m_roots.size() ? allowed - m_roots.size() : 0;
}

ReadTarget CandidateSet::readTarget(const Candidate& c) const {
    return targetBelow(m_folderRoots[c.folder], fullPath(c), c.identity());
}

ReadTarget CandidateSet::targetBelow(std::uint32_t root, std::string path,
                                     FileIdentity listed) const {
    ReadTarget target{std::move(path), AT_FDCWD, 0, listed};
    if (root < m_roots.size()) {
        target.folderFd = m_roots[root].fd.get();
        target.relative = m_roots[root].length;
    }
    return target;
}

std::jthread CandidateSet::closeKeptFolders() {
    std::vector<Root> roots;
    roots.swap(m_roots);
    auto close = [roots = std::move(roots)]() mutable { roots.clear(); };
    try {
        return std::jthread(std::move(close));
    } catch (const std::system_error&) {
        return {}; // the descriptors went with the closure
    }
}

const FolderText& CandidateSet::sharedFolder(const Candidate& c) const {
    FolderText& shared = m_sharedFolders[c.folder];
    if (!shared) {
        shared = makeFolderText(std::string(m_folders[c.folder]));
    }
    return shared;
}

const char* CandidateSet::storeText(std::string_view text) {
    if (m_blocks.empty() || m_blockUsed + text.size() > m_blockSize) {
        m_blockSize = std::max(kArenaBlock, text.size());
        m_blocks.push_back(std::make_unique<char[]>(m_blockSize));
        m_blockUsed = 0;
    }
    char* slot = m_blocks.back().get() + m_blockUsed;
    if (!text.empty()) {
        std::memcpy(slot, text.data(), text.size());
    }
    m_blockUsed += text.size();
    return slot;
}

Candidate& CandidateSet::add(std::uint32_t folder, std::string_view name) {
    Candidate& c = m_items.emplace_back();
    c.name = storeText(name);
    c.nameLength = static_cast<std::uint32_t>(name.size());
    c.folder = folder;
    return c;
}

int compareRecords(const CandidateSet& set, const Candidate& a, const Candidate& b,
                   RecordOrder order) {
    // Two 12-digit size keys compare as their numbers; longer keys compare as text.
    if (order == RecordOrder::SizeFirst && a.size != b.size && a.size < kTwelveDigits &&
        b.size < kTwelveDigits) {
        return a.size < b.size ? -1 : 1;
    }
    // Both records go on with their names: the size keys are equal, or come after them.
    // After equal names and equal sizes come the folders.
    if (order == RecordOrder::NameFirst || a.size == b.size) {
        bool equal = false;
        if (const int quick = compareFieldsQuickly(a.fileName(), b.fileName(), equal); quick != 0) {
            return quick;
        }
        if (equal && order == RecordOrder::SizeFirst) {
            if (const int quick = compareFieldsQuickly(set.folder(a), set.folder(b), equal);
                quick != 0) {
                return quick;
            }
        }
    }
    RecordCursor x(set, a, order);
    RecordCursor y(set, b, order);
    if (order == RecordOrder::SizeFirst) {
        if (a.size == b.size) {
            x.skipFirstField();
            y.skipFirstField();
        }
    }
    return compareCursors(x, y);
}

void sortCandidates(CandidateSet& set, RecordOrder order) {
    auto compare = [&set, order](const Candidate& a, const Candidate& b) {
        return compareRecords(set, a, b, order);
    };
    constexpr std::size_t kWorthAThread = 20000;
    auto& items = set.items();
    if (items.size() < kWorthAThread) {
        SortList(items, true, compare);
    } else {
        SortListOnTwoThreads(items, true, compare);
    }
}

} // namespace pw
