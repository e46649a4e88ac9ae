#include "search/file_version.h"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <fcntl.h>
#include <optional>
#include <span>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace pw {
namespace {

constexpr char kNotAvailable[] = "N/A";

using Bytes = std::vector<std::uint8_t>;

// IMAGE_DOS_HEADER: e_magic "MZ" at 0, e_lfanew (offset of the PE signature) at 0x3C.
constexpr std::uint64_t kDosHeaderSize = 64;
constexpr std::size_t kLfanewField = 0x3C;

// "PE\0\0" followed by the COFF file header (IMAGE_FILE_HEADER, 20 bytes).
constexpr std::uint64_t kNtHeadersPrefixSize = 4 + 20;
constexpr std::size_t kNumberOfSectionsField = 4 + 2;
constexpr std::size_t kSizeOfOptionalHeaderField = 4 + 16;

// Optional header magic numbers, and where each places NumberOfRvaAndSizes, which is
// immediately followed by the data directories (8 bytes each: VirtualAddress, Size).
constexpr std::uint16_t kPe32Magic = 0x10B;
constexpr std::uint16_t kPe32PlusMagic = 0x20B;
constexpr std::uint64_t kPe32RvaCountField = 92;
constexpr std::uint64_t kPe32PlusRvaCountField = 108;
constexpr std::uint32_t kResourceDirectoryIndex = 2;
constexpr std::uint64_t kDataDirectorySize = 8;

// IMAGE_SECTION_HEADER.
constexpr std::uint64_t kSectionHeaderSize = 40;
constexpr std::size_t kVirtualSizeField = 8;
constexpr std::size_t kVirtualAddressField = 12;
constexpr std::size_t kSizeOfRawDataField = 16;
constexpr std::size_t kPointerToRawDataField = 20;

// IMAGE_RESOURCE_DIRECTORY (16 bytes, the entry counts at 12 and 14) followed by its
// IMAGE_RESOURCE_DIRECTORY_ENTRY array (8 bytes each: Name or Id, OffsetToData). The high
// bit of Name marks a named entry; the high bit of OffsetToData marks a subdirectory.
// Offsets inside the tree are relative to the start of the resource directory.
constexpr std::uint64_t kResourceDirectorySize = 16;
constexpr std::size_t kNamedEntriesField = 12;
constexpr std::size_t kIdEntriesField = 14;
constexpr std::uint64_t kResourceEntrySize = 8;
constexpr std::uint32_t kHighBit = 0x80000000U;
constexpr std::uint32_t kRtVersion = 16;

// IMAGE_RESOURCE_DATA_ENTRY: OffsetToData (an RVA, unlike the offsets of the tree), Size,
// CodePage, Reserved.
constexpr std::uint64_t kResourceDataEntrySize = 16;

// VS_VERSIONINFO: wLength, wValueLength, wType, szKey L"VS_VERSION_INFO" with its NUL,
// padding to a 32-bit boundary, then VS_FIXEDFILEINFO (13 DWORDs).
constexpr std::size_t kVersionKeyField = 6;
constexpr char kVersionKey[] = "VS_VERSION_INFO";
constexpr std::size_t kVersionKeyUnits = sizeof(kVersionKey); // Counts the terminating NUL.
constexpr std::size_t kFixedInfoField = (kVersionKeyField + kVersionKeyUnits * 2 + 3) & ~3U;
constexpr std::size_t kFixedInfoSize = 13 * 4;
constexpr std::size_t kVersionHeaderSize = kFixedInfoField + kFixedInfoSize;
constexpr std::uint32_t kFixedInfoSignature = 0xFEEF04BDU;
constexpr std::size_t kFileVersionMsField = kFixedInfoField + 8;
constexpr std::size_t kFileVersionLsField = kFixedInfoField + 12;

std::uint16_t readU16(std::span<const std::uint8_t> bytes, std::size_t pos) {
    return static_cast<std::uint16_t>(bytes[pos] | (bytes[pos + 1] << 8));
}

std::uint32_t readU32(std::span<const std::uint8_t> bytes, std::size_t pos) {
    return static_cast<std::uint32_t>(bytes[pos]) |
           (static_cast<std::uint32_t>(bytes[pos + 1]) << 8) |
           (static_cast<std::uint32_t>(bytes[pos + 2]) << 16) |
           (static_cast<std::uint32_t>(bytes[pos + 3]) << 24);
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return m_fd; }

private:
    int m_fd;
};

// Positioned reads of exact byte ranges of one open file. Every range is checked against
// the size seen when the file was opened before anything is allocated or read, so a
// damaged offset or length never makes an allocation larger than the file or a read past
// its end.
class FileReader {
public:
    FileReader(int fd, std::uint64_t size) : m_fd(fd), m_size(size) {}

    bool contains(std::uint64_t offset, std::uint64_t length) const {
        return offset <= m_size && length <= m_size - offset;
    }

    std::optional<Bytes> read(std::uint64_t offset, std::uint64_t length) const {
        if (!contains(offset, length)) {
            return std::nullopt;
        }
        Bytes bytes(static_cast<std::size_t>(length));
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t got = ::pread(m_fd, bytes.data() + done, bytes.size() - done,
                                        static_cast<off_t>(offset + done));
            if (got < 0 && errno == EINTR) {
                continue;
            }
            // An error, or the file became shorter since it was opened.
            if (got <= 0) {
                return std::nullopt;
            }
            done += static_cast<std::size_t>(got);
        }
        return bytes;
    }

private:
    int m_fd;
    std::uint64_t m_size;
};

struct Section {
    std::uint64_t virtualAddress;
    std::uint64_t mappedSize;
    std::uint64_t rawOffset;
};

// The parts of a PE image needed to find its version resource.
class PeImage {
public:
    explicit PeImage(const FileReader& file) : m_file(file) {}

    // Reads the headers and the section table; false for anything that is not a sound PE
    // image with a resource directory.
    bool load() {
        const auto dos = m_file.read(0, kDosHeaderSize);
        if (!dos || (*dos)[0] != 'M' || (*dos)[1] != 'Z') {
            return false;
        }
        const std::uint64_t ntOffset = readU32(*dos, kLfanewField);
        const auto nt = m_file.read(ntOffset, kNtHeadersPrefixSize);
        if (!nt || (*nt)[0] != 'P' || (*nt)[1] != 'E' || (*nt)[2] != 0 || (*nt)[3] != 0) {
            return false;
        }
        const std::uint64_t sectionCount = readU16(*nt, kNumberOfSectionsField);
        const std::uint64_t optionalSize = readU16(*nt, kSizeOfOptionalHeaderField);
        const std::uint64_t optionalOffset = ntOffset + kNtHeadersPrefixSize;
        return loadResourceDirectory(optionalOffset, optionalSize) &&
               loadSections(optionalOffset + optionalSize, sectionCount);
    }

    std::uint64_t resourceRva() const { return m_resourceRva; }

    // The file offset of [rva, rva + length) when the whole range lies in the raw data of
    // one section and inside the file; an image maps nothing else from the file.
    std::optional<std::uint64_t> mapRange(std::uint64_t rva, std::uint64_t length) const {
        for (const Section& section : m_sections) {
            if (rva < section.virtualAddress) {
                continue;
            }
            const std::uint64_t delta = rva - section.virtualAddress;
            if (delta <= section.mappedSize && length <= section.mappedSize - delta &&
                m_file.contains(section.rawOffset + delta, length)) {
                return section.rawOffset + delta;
            }
        }
        return std::nullopt;
    }

    std::optional<Bytes> readRva(std::uint64_t rva, std::uint64_t length) const {
        const auto offset = mapRange(rva, length);
        if (!offset) {
            return std::nullopt;
        }
        return m_file.read(*offset, length);
    }

private:
    bool loadResourceDirectory(std::uint64_t optionalOffset, std::uint64_t optionalSize) {
        if (optionalSize < 2) {
            return false;
        }
        const auto magic = m_file.read(optionalOffset, 2);
        if (!magic) {
            return false;
        }
        std::uint64_t countField = 0;
        switch (readU16(*magic, 0)) {
        case kPe32Magic:
            countField = kPe32RvaCountField;
            break;
        case kPe32PlusMagic:
            countField = kPe32PlusRvaCountField;
            break;
        default:
            return false;
        }
        // NumberOfRvaAndSizes and the directories up to and including the resource one.
        const std::uint64_t needed = 4 + (kResourceDirectoryIndex + 1) * kDataDirectorySize;
        if (optionalSize < countField + needed) {
            return false;
        }
        const auto fields = m_file.read(optionalOffset + countField, needed);
        if (!fields || readU32(*fields, 0) <= kResourceDirectoryIndex) {
            return false;
        }
        const std::size_t entry = 4 + kResourceDirectoryIndex * kDataDirectorySize;
        m_resourceRva = readU32(*fields, entry);
        // An unused data directory has both fields zero.
        return m_resourceRva != 0 && readU32(*fields, entry + 4) != 0;
    }

    bool loadSections(std::uint64_t tableOffset, std::uint64_t count) {
        // NumberOfSections is 16 bits, so reading the table in one piece reads at most
        // 2.6 MB, and only once the whole table is known to lie in the file.
        if (count == 0) {
            return false;
        }
        const auto table = m_file.read(tableOffset, count * kSectionHeaderSize);
        if (!table) {
            return false;
        }
        m_sections.reserve(static_cast<std::size_t>(count));
        for (std::size_t i = 0; i < count; ++i) {
            const std::span<const std::uint8_t> header =
                std::span(*table).subspan(i * kSectionHeaderSize, kSectionHeaderSize);
            const std::uint32_t virtualSize = readU32(header, kVirtualSizeField);
            const std::uint32_t rawSize = readU32(header, kSizeOfRawDataField);
            // Only the raw data backs the section in the file; a VirtualSize of zero is
            // written by some linkers and then the raw size alone counts.
            const std::uint32_t mapped =
                virtualSize == 0 ? rawSize : std::min(virtualSize, rawSize);
            m_sections.push_back(Section{readU32(header, kVirtualAddressField), mapped,
                                         readU32(header, kPointerToRawDataField)});
        }
        return true;
    }

    const FileReader& m_file;
    std::uint64_t m_resourceRva = 0;
    std::vector<Section> m_sections;
};

struct ResourceEntry {
    std::uint32_t name;
    std::uint32_t target;
};

// Where the bytes of one resource are, from its IMAGE_RESOURCE_DATA_ENTRY.
struct ResourceData {
    std::uint64_t rva;
    std::uint64_t size;
};

// Walks the three levels of the resource tree (type, name, language) down to the data
// entry of the version resource. Each level follows exactly one entry, and no structure of
// the tree may be reached twice, so a damaged tree that points back at itself ends here.
class ResourceTree {
public:
    explicit ResourceTree(const PeImage& image) : m_image(image) {}

    std::optional<ResourceData> findVersionData() {
        const auto types = readDirectory(0, SIZE_MAX);
        if (!types) {
            return std::nullopt;
        }
        const auto version = std::find_if(types->begin(), types->end(), [](const auto& entry) {
            return entry.name == kRtVersion;
        });
        if (version == types->end()) {
            return std::nullopt;
        }
        const auto names = followDirectory(version->target);
        if (!names || names->empty()) {
            return std::nullopt;
        }
        const auto languages = followDirectory(names->front().target);
        if (!languages || languages->empty()) {
            return std::nullopt;
        }
        const std::uint32_t dataOffset = languages->front().target;
        if ((dataOffset & kHighBit) != 0 || !visit(dataOffset)) {
            return std::nullopt;
        }
        const auto data =
            m_image.readRva(m_image.resourceRva() + dataOffset, kResourceDataEntrySize);
        if (!data) {
            return std::nullopt;
        }
        return ResourceData{readU32(*data, 0), readU32(*data, 4)};
    }

private:
    // The first entry of the subdirectory an entry points to (below the type level only the
    // first entry is used); nothing when the entry is not a subdirectory.
    std::optional<std::vector<ResourceEntry>> followDirectory(std::uint32_t target) {
        if ((target & kHighBit) == 0) {
            return std::nullopt;
        }
        return readDirectory(target & ~kHighBit, 1);
    }

    // Up to `limit` entries of the directory at `offset`. The whole entry array its counts
    // declare must lie in the image, which bounds the counts by what the file holds.
    std::optional<std::vector<ResourceEntry>> readDirectory(std::uint32_t offset,
                                                            std::size_t limit) {
        if (!visit(offset)) {
            return std::nullopt;
        }
        const std::uint64_t rva = m_image.resourceRva() + offset;
        const auto header = m_image.readRva(rva, kResourceDirectorySize);
        if (!header) {
            return std::nullopt;
        }
        const std::uint64_t count =
            std::uint64_t{readU16(*header, kNamedEntriesField)} + readU16(*header, kIdEntriesField);
        const std::uint64_t entriesRva = rva + kResourceDirectorySize;
        if (!m_image.mapRange(entriesRva, count * kResourceEntrySize)) {
            return std::nullopt;
        }
        const std::uint64_t wanted = std::min<std::uint64_t>(count, limit);
        const auto raw = m_image.readRva(entriesRva, wanted * kResourceEntrySize);
        if (!raw) {
            return std::nullopt;
        }
        std::vector<ResourceEntry> entries;
        entries.reserve(static_cast<std::size_t>(wanted));
        for (std::size_t i = 0; i < wanted; ++i) {
            entries.push_back(ResourceEntry{readU32(*raw, i * kResourceEntrySize),
                                            readU32(*raw, i * kResourceEntrySize + 4)});
        }
        return entries;
    }

    bool visit(std::uint32_t offset) {
        if (std::find(m_visited.begin(), m_visited.end(), offset) != m_visited.end()) {
            return false;
        }
        m_visited.push_back(offset);
        return true;
    }

    const PeImage& m_image;
    std::vector<std::uint32_t> m_visited;
};

// The file version from the VS_VERSIONINFO at the start of the resource data. Only its
// fixed part is read, whatever size the resource declares.
std::optional<std::string> readFileVersion(const PeImage& image, const ResourceData& data) {
    // The whole declared resource must be present: a truncated one is damaged.
    if (data.size < kVersionHeaderSize || !image.mapRange(data.rva, data.size)) {
        return std::nullopt;
    }
    const auto header = image.readRva(data.rva, kVersionHeaderSize);
    if (!header) {
        return std::nullopt;
    }
    const std::uint16_t length = readU16(*header, 0);
    const std::uint16_t valueLength = readU16(*header, 2);
    if (length < kVersionHeaderSize || length > data.size || valueLength < kFixedInfoSize) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < kVersionKeyUnits; ++i) {
        const auto expected = static_cast<std::uint8_t>(kVersionKey[i]);
        if (readU16(*header, kVersionKeyField + i * 2) != expected) {
            return std::nullopt;
        }
    }
    if (readU32(*header, kFixedInfoField) != kFixedInfoSignature) {
        return std::nullopt;
    }
    const std::uint32_t ms = readU32(*header, kFileVersionMsField);
    const std::uint32_t ls = readU32(*header, kFileVersionLsField);
    return std::to_string(ms >> 16) + "." + std::to_string(ms & 0xFFFFU) + "." +
           std::to_string(ls >> 16) + "." + std::to_string(ls & 0xFFFFU);
}

} // namespace

std::string GetFileVersionText(const std::string& fullPath) {
    // A NUL would cut the path short and name another file.
    if (!mayHaveFileVersion(fullPath) || fullPath.find('\0') != std::string::npos) {
        return kNotAvailable;
    }
    // Checked before opening, so that opening has no side effects on devices; checked again
    // on the open descriptor in case the entry was replaced in between. O_NONBLOCK keeps a
    // FIFO that slipped through from blocking the open.
    struct stat info {};
    if (::lstat(fullPath.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return kNotAvailable;
    }
    const FileDescriptor fd(
        ::open(fullPath.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC));
    if (fd.get() < 0 || ::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return kNotAvailable;
    }
    const FileReader file(fd.get(), static_cast<std::uint64_t>(info.st_size));
    PeImage image(file);
    if (!image.load()) {
        return kNotAvailable;
    }
    ResourceTree tree(image);
    const auto data = tree.findVersionData();
    if (!data) {
        return kNotAvailable;
    }
    return readFileVersion(image, *data).value_or(kNotAvailable);
}

bool mayHaveFileVersion(std::string_view name) {
    if (name.size() < 4) {
        return false;
    }
    std::string tail(name.substr(name.size() - 4));
    for (char& c : tail) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return tail == ".exe" || tail == ".dll" || tail == ".ocx";
}

} // namespace pw
