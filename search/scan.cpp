#include "search/scan.h"

#include "common/format.h"
#include "search/enumeration.h"
#include "search/searches.h"

#include <cstring>
#include <filesystem>
#include <new>

namespace pw {
namespace {

void progress(ScanObserver& observer, ScanStage stage, std::string text) {
    ScanProgress p;
    p.stage = stage;
    p.statusText = std::move(text);
    observer.progress(p);
}

// Walks every included row. A failure of a row (its size limits do not fit) asks the
// observer: Retry walks the row again, Abort cancels the scan.
bool enumerate(const ScanRequest& request, ScanObserver& observer, const CancelToken& cancel,
               CandidateSet& candidates, ScanResult& result) {
    ExcludedFolders excluded;
    for (const SearchPathEntry& entry : request.paths) {
        if (entry.excluded()) {
            excluded.add(entry.folder);
        }
    }
    EnumerationContext context{
        request.options,
        excluded,
        cancel,
        [&observer](const ScanProgress& p) { observer.progress(p); },
        [&observer](const RuntimeError& e) { return observer.runtimeError(e); },
        &result.issues};
    for (const SearchPathEntry& entry : request.paths) {
        if (entry.excluded()) {
            continue;
        }
        for (;;) {
            try {
                const FolderCounts counts = GetFiles(entry, context, candidates);
                result.totals.filesFound += counts.files;
                result.totals.foldersFound += counts.folders;
                break;
            } catch (const ScanFailure& failure) {
                const RuntimeError error{failure.number(), failure.what(), "Scanning",
                                         entry.folder};
                if (observer.runtimeError(error) != ErrorAnswer::Retry) {
                    return false;
                }
            }
        }
        if (cancel.cancelled()) {
            break;
        }
    }
    return true;
}

void search(const ScanRequest& request, ScanObserver& observer, const CancelToken& cancel,
            CandidateSet& candidates, ScanResult& result) {
    const SearchMethod method = request.options.method;
    progress(observer, ScanStage::Sorting, "Starting search engine, please wait...");
    sortCandidates(candidates, method == SearchMethod::SameName ? RecordOrder::NameFirst
                                                                : RecordOrder::SizeFirst);
    SearchContext context{candidates, request.options, cancel, observer, result};
    const char* label = method == SearchMethod::SameName ? "Find Same Name" : "Find Same";
    try {
        switch (method) {
        case SearchMethod::ByteToByte:
        case SearchMethod::Crc32:
            FindDuplicatesBySize(context);
            break;
        case SearchMethod::SameName:
            FindSameNames(context);
            break;
        case SearchMethod::ZeroSize:
            ListZeroSizeFiles(context);
            break;
        }
    } catch (const std::bad_alloc&) {
        // What was found so far is kept. A retry could not bring back the candidates the
        // search has already consumed, so the search ends whatever the answer.
        observer.runtimeError({7, "Out of memory", label, {}});
    }
}

} // namespace

std::string absoluteFolder(std::string_view folder) {
    namespace fs = std::filesystem;
    if (folder.empty()) {
        return {};
    }
    std::error_code ec;
    fs::path path = fs::absolute(fs::path(folder), ec);
    if (ec) {
        path = fs::path(folder);
    }
    std::string text = path.lexically_normal().string();
    while (text.size() > 1 && text.back() == '/') {
        text.pop_back();
    }
    return text;
}

std::vector<std::string> includedFolders(const std::vector<SearchPathEntry>& paths) {
    std::vector<std::string> folders;
    for (const SearchPathEntry& entry : paths) {
        if (!entry.excluded()) {
            folders.push_back(entry.folder);
        }
    }
    return folders;
}

std::string manyFilesTitle(std::int32_t filesFound) {
    return "You are about to scan a collection of too many files, total " +
           std::to_string(filesFound) + " files.  ";
}

std::string ScanTotals::statusText() const {
    return cancelled ? "Search Terminated." : "Search Completed.";
}

std::string ScanTotals::duplicatesText() const {
    return "Duplicate Files: " + std::to_string(duplicateCount) +
           "  Size: " + FormatSize(static_cast<double>(duplicateSize));
}

std::string ScanTotals::filesText() const {
    return "Files : " + std::to_string(filesFound);
}

std::string ScanTotals::foldersText() const {
    return "Folders : " + std::to_string(foldersFound);
}

ScanResult StartScan(const ScanRequest& original, ScanObserver& observer,
                     const CancelToken& cancel) {
    ScanRequest request = original;
    for (SearchPathEntry& entry : request.paths) {
        entry.folder = absoluteFolder(entry.folder);
    }
    ScanResult result;
    result.grouped = request.options.method != SearchMethod::ZeroSize;
    result.searchFolders = includedFolders(request.paths);
    CandidateSet candidates;
    bool aborted = !enumerate(request, observer, cancel, candidates, result);
    if (!aborted && result.totals.filesFound > 0 && !cancel.cancelled()) {
        if (result.totals.filesFound <= request.manyFilesLimit ||
            observer.confirmManyFiles(result.totals.filesFound)) {
            search(request, observer, cancel, candidates, result);
        }
    }
    result.totals.cancelled = aborted || cancel.cancelled();
    return result;
}

} // namespace pw
