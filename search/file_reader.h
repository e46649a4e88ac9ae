#pragma once
// Reading candidate files: never through a link, and only while the file still has the
// size it was listed with. A file that fails any of this is reported and is simply not a
// duplicate. The size is checked by the reads themselves (no stat per file): a read that
// ends early means the file shrank, and the read of a file's last bytes asks for one byte
// more, which must not come.

#include <cstddef>
#include <cstdint>
#include <string>

namespace pw {

struct ReadError {
    int error = 0; // errno, or 0 when the file changed
    std::string message;
};

class CandidateFile {
public:
    CandidateFile() = default;
    ~CandidateFile();
    CandidateFile(const CandidateFile&) = delete;
    CandidateFile& operator=(const CandidateFile&) = delete;
    CandidateFile(CandidateFile&& other) noexcept;
    CandidateFile& operator=(CandidateFile&& other) noexcept;

    bool open(const std::string& path, std::uint64_t expectedSize, ReadError& error);

    // Reads exactly length bytes at offset. When they are the last bytes of the file,
    // buffer must have room for length + 1 bytes (the probe for a file that grew).
    bool readAt(std::uint64_t offset, char* buffer, std::size_t length, ReadError& error) const;

    void close();
    bool isOpen() const { return m_fd >= 0; }

private:
    int m_fd = -1;
    std::uint64_t m_size = 0;
};

} // namespace pw
