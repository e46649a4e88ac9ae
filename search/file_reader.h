#pragma once
// Reading candidate files: only regular files, never through a link, and only while the
// file still has the size it was listed with. A file that fails any of this is reported
// and is simply not a duplicate.

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

    // Opens the file and checks it is a regular file of expectedSize bytes.
    bool open(const std::string& path, std::uint64_t expectedSize, ReadError& error);

    // Reads exactly length bytes at offset; a short read means the file changed.
    bool readAt(std::uint64_t offset, char* buffer, std::size_t length, ReadError& error) const;

    void close();

private:
    int m_fd = -1;
};

} // namespace pw
