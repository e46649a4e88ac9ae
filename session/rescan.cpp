#include "session/rescan.h"

#include "search/candidates.h"
#include "search/searches.h"

#include <cstdio>
#include <ctime>
#include <new>
#include <sys/stat.h>
#include <unordered_map>

namespace pw {

std::int64_t parseDateText(std::string_view text) {
    const std::string copy(text.substr(0, 64));
    int month = 0;
    int day = 0;
    int year = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    char half[3] = {};
    if (std::sscanf(copy.c_str(), "%d/%d/%d %d:%d:%d %2s", &month, &day, &year, &hour, &minute,
                    &second, half) != 7 ||
        month < 1 || month > 12 || day < 1 || day > 31 || year < 1601 || year > 9999 || hour < 1 ||
        hour > 12 || minute < 0 || minute > 59 || second < 0 || second > 59) {
        return -1;
    }
    const std::string_view suffix(half);
    if (suffix != "AM" && suffix != "PM") {
        return -1;
    }
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour % 12 + (suffix == "PM" ? 12 : 0);
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = -1;
    const std::time_t time = std::mktime(&tm);
    return time == static_cast<std::time_t>(-1) ? -1 : static_cast<std::int64_t>(time);
}

ScanResult compareStoredFiles(const std::vector<StoredFile>& files, const SearchOptions& options,
                              std::int32_t filesFound, ScanObserver& observer,
                              const CancelToken& cancel) {
    CandidateSet candidates;
    std::unordered_map<std::string, std::uint32_t> folders;
    for (const StoredFile& file : files) {
        // The search drops second listings by device and inode, and reads the files; a
        // stored path that is gone, or is now a link or a device, has nothing to compare.
        struct stat st {};
        const std::string path = file.folder + file.name;
        if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
            continue;
        }
        auto [it, added] = folders.try_emplace(file.folder, 0);
        if (added) {
            it->second = candidates.addFolder(file.folder);
        }
        Candidate& c = candidates.add(it->second, file.name);
        c.size = file.size;
        const std::int64_t stored = parseDateText(file.dateText);
        c.mtime = stored >= 0 ? stored : static_cast<std::int64_t>(st.st_mtime);
        c.device = static_cast<std::uint64_t>(st.st_dev);
        c.inode = static_cast<std::uint64_t>(st.st_ino);
    }
    // The search walks runs of equal size, so the stored order (perhaps sorted by name
    // before it was saved) is put into the scan's record order first.
    sortCandidates(candidates, RecordOrder::SizeFirst);

    SearchOptions compare = options;
    if (compare.method != SearchMethod::Crc32) {
        compare.fuzzy = compare.fuzzy && compare.method == SearchMethod::ByteToByte;
        compare.method = SearchMethod::ByteToByte;
    }
    ScanResult result;
    result.grouped = true;
    result.filesFound = filesFound;
    SearchContext context{candidates, compare, cancel, observer, result};
    try {
        FindDuplicatesBySize(context);
    } catch (const std::bad_alloc&) {
        // The groups confirmed so far stay; the candidates already consumed cannot be
        // compared again, so the re-scan ends whatever the answer.
        observer.runtimeError({7, "Out of memory", "File Opening", {}});
    }
    result.cancelled = cancel.cancelled();
    return result;
}

} // namespace pw
