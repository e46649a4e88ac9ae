#pragma once
// Reading candidate files: never through a link, and only while the file is still the
// file the listing saw. A file that fails any of this is reported and is simply not a
// duplicate. The size is checked by the reads themselves: a read that ends early means the
// file shrank, and the read of a file's last bytes asks for one byte more, which must not
// come. After those last bytes the open file is looked at once more: a file rewritten
// while it was read, or replaced, is not the file whose bytes were compared.

#include <cstddef>
#include <cstdint>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>

namespace pw {

struct ReadError {
    int error = 0; // errno, or 0 when the file changed
    std::string message;
};

// What the listing saw of a file. The change time moves with every write and with every
// change of the modification time; the modification time is kept too because the change
// time may be taken from a coarse clock. Device and inode tell whether it is still the
// same file.
struct FileIdentity {
    std::uint64_t size = 0;
    std::int64_t mtime = 0; // seconds
    std::int64_t ctimeNs = 0;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
};

// The identity of a file from its status.
FileIdentity identityOf(const struct stat& st);

// A listed file and where to open it again: `path` below the search folder open as
// `folderFd`, starting at `relative` (AT_FDCWD and 0 for a path opened as it stands).
// Below that folder no symbolic link is followed.
struct ReadTarget {
    std::string path; // the full path, as messages show it
    int folderFd = AT_FDCWD;
    std::size_t relative = 0;
    FileIdentity listed;
};

// The points at which tests may change a tree while a scan reads it: before a file is
// opened, and after its last bytes were read but before the file is looked at again.
enum class ReadEvent { BeforeOpen, AfterLastRead };
using ReadHook = void (*)(ReadEvent event, const std::string& path);
// Installs a hook that every reader calls at those points; nullptr removes it. The hook
// runs on the reading threads.
void setReadHookForTests(ReadHook hook);

class CandidateFile {
public:
    CandidateFile() = default;
    ~CandidateFile();
    CandidateFile(const CandidateFile&) = delete;
    CandidateFile& operator=(const CandidateFile&) = delete;
    CandidateFile(CandidateFile&& other) noexcept;
    CandidateFile& operator=(CandidateFile&& other) noexcept;

    bool open(const ReadTarget& target, ReadError& error);

    // Reads exactly length bytes at offset. When they are the last bytes of the file,
    // buffer must have room for length + 1 bytes (the probe for a file that grew), and the
    // file must still be the listed file afterwards.
    bool readAt(std::uint64_t offset, char* buffer, std::size_t length, ReadError& error) const;

    void close();
    bool isOpen() const { return m_fd >= 0; }

private:
    bool unchanged() const;

    int m_fd = -1;
    const std::string* m_path = nullptr;
    FileIdentity m_listed;
};

} // namespace pw
