#pragma once
// Folder enumeration: turns one search-path row into candidate files.

#include "search/candidates.h"
#include "search/scan_observer.h"
#include "search/scan_types.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace pw {

// A run-time failure with its error number ("Overflow" is 6, "Type mismatch" 13).
class ScanFailure : public std::runtime_error {
public:
    ScanFailure(std::int32_t number, const std::string& description)
        : std::runtime_error(description), m_number(number) {}
    std::int32_t number() const { return m_number; }

private:
    std::int32_t m_number;
};

// The size limits of a row in bytes. A minimum that is not numeric is no minimum; a blank
// maximum is no maximum. Throws ScanFailure when a limit does not fit a signed 64-bit byte
// count ("Overflow") or a non-blank maximum is not a number ("Type mismatch").
struct SizeLimits {
    std::int64_t minBytes = 0;
    std::optional<std::int64_t> maxBytes;
};
SizeLimits parseSizeLimits(std::string_view minText, std::string_view maxText);

// The folder texts of the excluded rows; a folder is excluded when its text is one of
// them followed by "/".
class ExcludedFolders {
public:
    void add(std::string_view folder);
    bool contains(std::string_view folderWithSlash) const;
    bool empty() const { return m_folders.empty(); }

private:
    std::vector<std::string> m_folders;
};

struct FolderCounts {
    std::int32_t files = 0;
    std::int32_t folders = 0;
};

struct EnumerationContext {
    const SearchOptions& options;
    const ExcludedFolders& excluded;
    const CancelToken& cancel;
    // Progress texts; called on the scanning thread, at most a few times a second.
    std::function<void(const ScanProgress&)> progress;
    // Asked, on the scanning thread, when listing a folder fails unexpectedly (out of
    // memory): Retry lists the folder again, Abort leaves it.
    std::function<ErrorAnswer(const RuntimeError&)> runtimeError;
    std::vector<FileIssue>* issues = nullptr;
};

// Walks one included row and appends its accepted files to `out`, a folder's files by name
// and then its sub-folders by name, whatever order the file system lists them in. Folders
// are listed on several threads; `progress` and `runtimeError` are only called on the
// calling thread. Returns the files taken and the folders entered. A folder that cannot be
// listed contributes nothing (it is reported in issues, sorted by path); symbolic links are
// never followed; pseudo file systems (proc, sysfs, ...) are never entered. Cancellation
// stops the walk at the next entry. Throws ScanFailure for size limits that do not fit.
FolderCounts GetFiles(const SearchPathEntry& entry, const EnumerationContext& context,
                      CandidateSet& out);

} // namespace pw
