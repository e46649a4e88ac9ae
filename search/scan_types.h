#pragma once
// What a scan takes and what it gives back. Plain values only: the desktop program and the
// command-line front end both build a ScanRequest and read a ScanResult.

#include "common/text.h"

#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace pw {

// Row icons of the search-path list; the session file stores these numbers.
inline constexpr int kSearchIcon = 15;
inline constexpr int kExcludeIcon = 16;

// One row of the search-path list, every cell as the user entered it.
struct SearchPathEntry {
    std::string folder;             // full path of the folder
    std::string subFolders = "Yes"; // exactly "Yes" enters sub-folders
    std::string fileTypes = "All files(*.*)";
    std::string minSize; // KB; used only when numeric
    std::string maxSize; // KB; blank means no maximum
    int icon = kSearchIcon;

    bool excluded() const { return icon == kExcludeIcon; }
};

enum class SearchMethod { ByteToByte, Crc32, SameName, ZeroSize };

struct SearchOptions {
    SearchMethod method = SearchMethod::ByteToByte;
    bool fuzzy = false;         // with ByteToByte: at least half of the 1000-byte blocks equal
    bool protectSystem = true;  // keep the operating system's trees out
    bool includeHidden = false; // take names that begin with "."
};

// Above this many candidate files the scan asks ScanObserver::confirmManyFiles first.
inline constexpr std::int32_t kManyFilesLimit = 100000;

struct ScanRequest {
    std::vector<SearchPathEntry> paths;
    SearchOptions options;
    // The front ends keep the default; tests lower it instead of building 100001 files.
    std::int32_t manyFilesLimit = kManyFilesLimit;
};

// The folder texts of the searched (not excluded) rows: the folders below which a listed
// file is opened again without following any symbolic link.
std::vector<std::string> includedFolders(const std::vector<SearchPathEntry>& paths);

// A folder text ending in "/", held once and shared by the rows of the files in it.
using FolderText = std::shared_ptr<const std::string>;
inline FolderText makeFolderText(std::string folder) {
    return std::make_shared<const std::string>(std::move(folder));
}

// One row handed from a search to the result list. Rows of a group are consecutive and
// carry the group's id, 1 for the first group of the scan, 2 for the next, and so on;
// rows of the zero-size listing carry 0.
struct ResultRow {
    std::string name;
    FolderText folder; // never null in a row a search made
    std::uint64_t size = 0;
    std::int64_t mtime = 0; // seconds since the epoch
    std::string version;    // file version text or "N/A"
    std::int32_t group = 0;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;

    std::string fullPath() const { return joinPath(*folder, name); }
};

// A problem with one file or folder that did not stop the scan: it travels with the result.
struct FileIssue {
    std::string path;
    std::string operation; // "list", "read", ...
    int error = 0;         // errno
    std::string message;
};

// Set by the front end to stop a running scan; the scan returns what it found so far.
class CancelToken {
public:
    void cancel() { m_flag.store(true, std::memory_order_relaxed); }
    void reset() { m_flag.store(false, std::memory_order_relaxed); }
    bool cancelled() const { return m_flag.load(std::memory_order_relaxed); }

private:
    std::atomic<bool> m_flag{false};
};

// How a scan ended and what it counted: what a scan returns, what a session keeps and
// what the front ends show.
struct ScanTotals {
    std::int32_t filesFound = 0;
    std::int32_t foldersFound = 0;
    std::int32_t duplicateCount = 0;
    std::int64_t duplicateSize = 0; // bytes
    bool cancelled = false;         // the "Search Terminated." ending: cancelled or stopped

    // The closing texts of the status bar panels 1 to 4: "Search Completed." or "Search
    // Terminated.", "Duplicate Files: 3  Size: 1.50 KB", "Files : 12", "Folders : 4".
    std::string statusText() const;
    std::string duplicatesText() const;
    std::string filesText() const;
    std::string foldersText() const;
};

struct ScanResult {
    ScanTotals totals;
    bool grouped = true; // false after the zero-size listing
    // A deque, so that the result list can free the rows block by block as it takes them.
    std::deque<ResultRow> rows;
    std::int32_t groups = 0; // the number of groups, the id of the last
    std::vector<FileIssue> issues;
    std::vector<std::string> searchFolders; // includedFolders() of the request
};

} // namespace pw
