#pragma once
// The session file (".pwf"): the search parameters, the search-path rows and, optionally,
// the result list with the scan totals, so that a search can be looked at again later.
// The default session that keeps the last run's parameters is the same format without
// the result section.
//
// Layout, lines ending in CR LF: a header "method,protect,hidden,rows,files,folders,
// duplicates,duplicateBytes,fuzzy,2,status"; one line per search path "folder,Yes|No,mask,
// min,max,icon"; then, when the result is kept, one line per result row with its nine
// cells joined by "?", the first of them prefixed with ";". The tenth header field is the
// format version: its files escape the fields (session_codec.h). Files without it are read
// as stored. The eleventh is how the scan ended: "1" terminated (cancelled, or stopped on
// an error), "0" completed; any other text, or no field as in older files, reads as
// completed. Readers that know nine or ten header fields still read the files written here.

#include "common/file_replace.h"
#include "results/result_table.h"
#include "search/scan_observer.h"
#include "search/scan_types.h"
#include "session/session_progress.h"
#include "settings/settings_table.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace pw {

// The search method, the three options and the search-path rows.
struct SessionParameters {
    SearchOptions options;
    std::vector<SearchPathEntry> paths;
};

enum class SessionContent { ParametersOnly, ParametersAndResult };

// The method's number in the header: 1 byte to byte, 2 CRC-32, 3 same name, 4 zero size.
int sessionMethodNumber(SearchMethod method);

// Why a file's first line is not a session header, or "" when it is one. A header has at
// least seven fields, a method number 1 to 4 and the protect and hidden fields 0 or 1. A
// file whose first line fails this is not a session at all (an empty file, a picture, a
// program), as opposed to a session damaged further down.
std::string sessionHeaderProblem(std::string_view firstLine);

// The whole text of a session file. The header counts the table's rows whatever
// `content` says; result lines are written only for ParametersAndResult and a table with
// rows. Progress: value = position of the row just written, maximum = row count.
std::string sessionFileText(const SessionParameters& parameters, const ScanTotals& totals,
                            const ResultTable& table, SessionContent content,
                            const SessionProgressFn& progress = {});

// Writes a session file at `path`, replacing any file there in one step: a failure leaves
// the old file as it was. A file of the table's rows is never written over; the failures
// and refusals are those of replaceFileContent and refuseListedTarget.
FileWriteResult WriteSessionFile(const std::string& path, const SessionParameters& parameters,
                                 const ScanTotals& totals, const ResultTable& table,
                                 SessionContent content, const SessionProgressFn& progress = {});

// Run at the start of every scan and when the main window closes: stores the main window's
// geometry in the settings, then, unless `path` is empty, writes the parameter section
// alone (the default session kept for the next start); the header records `rowCount`
// rows. Callers may ignore the answer: a default session that cannot be written only
// means the next start begins with the defaults.
FileWriteResult SaveDefaultParameters(SettingsStore& store, const WindowGeometry& window,
                                      const std::string& path, const SessionParameters& parameters,
                                      const ScanTotals& totals, int rowCount);

struct LoadedParameters {
    // True when the file was read to its end or to its result section; false when it could
    // not be opened or a line was damaged (too few fields, too long, unreadable). The
    // rows read before a damaged line are kept.
    bool ok = false;
    SessionParameters parameters;
    bool fuzzyStored = false; // the header carried the fuzzy value (it is not applied)
};

// Reads the method, the protect and hidden options and the search paths of a session
// file; the result section is never read. The fuzzy option stays off, as a new session
// has it.
LoadedParameters LoadParameters(const std::string& path);

struct OpenOptions {
    bool reScan = false;                 // compare the stored rows again by content
    bool reCheck = false;                // offered by the dialog; loading does not use it
    const CancelToken* cancel = nullptr; // stops a re-scan's comparison
    ScanObserver* observer = nullptr;    // the re-scan's progress and run-time questions
    SessionProgressFn progress;          // "Loading Searched Result...(n)" and the row count
    std::function<bool(const std::string&)> fileExists; // for the re-scan's result list
};

// Everything a session file gave.
struct LoadedSession {
    bool opened = false;    // false: the file could not be opened
    bool isSession = false; // the first line is a header; false: not a session, see `damage`
    bool complete = false;  // read to its end; false: stopped early, see `damage`
    std::string damage;     // where and why reading stopped early, for a message
    int formatVersion = 1;  // 2 when the header carried the version field
    SessionParameters parameters;
    bool fuzzyStored = false; // the header carried the fuzzy value
    // After a re-scan, the re-scan's duplicates; "Search Terminated." when the saved scan
    // was, or when the re-scan was cancelled.
    ScanTotals totals;
    std::int64_t storedRowCount = 0; // the header's row count, as written (never trusted)
    std::int64_t resultLines = 0;    // result lines actually read
    ResultTable table;               // rows, group tables, distinct folders, mode
    bool rescanned = false;
    bool cancelled = false;        // the re-scan's comparison was cancelled
    std::vector<FileIssue> issues; // files the re-scan could not read

    // Whether the front end shows the totals' texts: only when more than one result line
    // was read; otherwise it hides those panels.
    bool showTotals() const { return resultLines > 1; }
};

// Reads a whole session file: parameters, search paths, result rows with their group
// tables and the distinct folders, and the totals. Groups are renumbered 1, 2, 3 ... by
// the changes of the stored group cell (the "sortGrpno" cells keep their stored text);
// after a zero-size listing the rows keep their stored "N/A" and no group tables are made.
// With reScan, a method other than the zero-size listing and more than one result line,
// the stored files are compared again by content, and only the groups that still hold
// form the table. A damaged file never throws: reading ends at the damaged line, keeping
// what was read. Blocking; run it on a worker thread in a program with a window.
LoadedSession OpenPairwellFile(const std::string& fileName, const OpenOptions& options = {});

// The same, over the bytes of a session file held in memory.
LoadedSession readSessionBytes(std::string_view bytes, const OpenOptions& options = {});

} // namespace pw
