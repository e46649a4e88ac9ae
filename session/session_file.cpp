#include "session/session_file.h"

#include "common/file_helpers.h"
#include "common/format.h"
#include "common/text.h"
#include "results/listed_target.h"
#include "results/load_result.h"
#include "session/rescan.h"
#include "session/session_codec.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <optional>
#include <unistd.h>
#include <utility>

namespace pw {
namespace {

constexpr std::size_t kHeaderFieldsForParameters = 3; // method and the two options
constexpr std::size_t kHeaderFieldsForSession = 7;    // up to the duplicate count
constexpr std::size_t kStatusField = 10;
constexpr std::string_view kStatusTerminated = "1";
constexpr std::size_t kPathFields = 6;
constexpr std::size_t kResultFields = 9;
constexpr std::int64_t kStatusEvery = 500;
constexpr std::string_view kLineEnd = "\r\n";

SearchMethod methodFromNumber(std::int32_t number) {
    switch (number) {
    case 2:
        return SearchMethod::Crc32;
    case 3:
        return SearchMethod::SameName;
    case 4:
        return SearchMethod::ZeroSize;
    default:
        return SearchMethod::ByteToByte;
    }
}

std::string field(std::string_view stored, bool escaped) {
    return escaped ? unescapeSessionField(stored) : std::string(stored);
}

// An open file descriptor that closes itself.
class OpenFile {
public:
    explicit OpenFile(const std::string& path) : m_fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
    ~OpenFile() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;
    int fd() const { return m_fd; }

private:
    int m_fd;
};

// The header fields both readers use, and whether the file escapes its fields.
struct Header {
    SearchOptions options;
    bool escaped = false;
};

Header readHeaderOptions(const std::vector<std::string_view>& fields) {
    Header header;
    header.options.method = methodFromNumber(leadingNumber32(fields[0]));
    header.options.protectSystem = leadingNumber(fields[1]) != 0;
    header.options.includeHidden = leadingNumber(fields[2]) != 0;
    header.escaped = fields.size() > 9 && fields[9] == kSessionFormatVersion;
    return header;
}

SearchPathEntry readPathLine(const std::vector<std::string_view>& fields, bool escaped) {
    SearchPathEntry entry;
    entry.folder = field(fields[0], escaped);
    entry.subFolders = field(fields[1], escaped);
    entry.fileTypes = field(fields[2], escaped);
    entry.minSize = field(fields[3], escaped);
    entry.maxSize = field(fields[4], escaped);
    entry.icon = leadingNumber32(field(fields[5], escaped));
    return entry;
}

using StoredCellTexts = std::array<std::string, kResultFields>;

// The number of a zero-size row's stored group cell when the cell is exactly that number
// (a list exported from elsewhere), else 0: "N/A" and any other text show as they were.
std::int32_t storedGroupNumber(const std::string& text) {
    const std::int64_t number = leadingNumber(text);
    return number > 0 && number <= std::numeric_limits<std::int32_t>::max() &&
                   std::to_string(number) == text
               ? static_cast<std::int32_t>(number)
               : 0;
}

// A row from the nine cells a session stored: the typed values read from the texts, and
// each stored text those values would not show again kept as it stands, so that the file
// saves back unchanged. In grouped mode `group` is the loader's number, which replaces the
// stored "Group" cell (its "sortGrpno" keeps the stored text when they differ).
ResultTableRow storedRow(StoredCellTexts& cells, FolderText folder, std::int32_t group) {
    ResultTableRow row;
    row.name = std::move(cells[0]);
    row.folder = std::move(folder);
    row.size = static_cast<std::uint64_t>(std::max<std::int64_t>(leadingNumber(cells[1]), 0));
    row.modified = readDateText(cells[2]).value_or(LocalStamp{});
    row.version = std::move(cells[3]);
    row.group = group != 0 ? group : storedGroupNumber(cells[4]);
    for (const int column :
         {kColSize, kColModified, kColGroup, kColSortSize, kColSortDate, kColSortGrpno}) {
        std::string& stored = cells[static_cast<std::size_t>(column - 1)];
        if ((column != kColGroup || group == 0) && cellText(row, column) != stored) {
            row.stored.keep(column, std::move(stored));
        }
    }
    return row;
}

// Why a line could not be read; the line is the one after the last read.
std::string describeStop(LineReader::Status status, const LineReader& reader) {
    const std::string line = "line " + std::to_string(reader.lineNumber() + 1);
    return status == LineReader::Status::TooLong ? line + ": longer than 1 MiB"
                                                 : line + ": " + std::strerror(reader.error());
}

// Reads one session from a line source into a LoadedSession, step by step as the file
// is laid out. Every size comes from what was actually read, never from the header.
class SessionReader {
public:
    SessionReader(LineReader& reader, const OpenOptions& options, LoadedSession& session)
        : m_reader(reader), m_options(options), m_session(session) {}

    void run() {
        m_session.opened = true;
        if (readHeader() && readPaths()) {
            readResults();
        }
        finish();
    }

private:
    // Ends the reading: at the end of the file the session is complete; otherwise it is
    // damaged at the current line, and what was read so far stays.
    bool stop(LineReader::Status status) {
        if (status == LineReader::Status::End) {
            m_session.complete = true;
        } else {
            m_session.damage = describeStop(status, m_reader);
        }
        return false;
    }

    bool damaged(std::string_view what) {
        m_session.damage =
            "line " + std::to_string(m_reader.lineNumber()) + ": " + std::string(what);
        return false;
    }

    // A first line that is no header means the file is not a session at all.
    bool readHeader() {
        const auto status = m_reader.next(m_line);
        if (status != LineReader::Status::Line) {
            m_session.damage = status == LineReader::Status::End ? "the file is empty"
                                                                 : describeStop(status, m_reader);
            return false;
        }
        if (const std::string problem = sessionHeaderProblem(m_line); !problem.empty()) {
            return damaged(problem);
        }
        m_session.isSession = true;
        const auto fields = splitFields(m_line, ',');
        const Header header = readHeaderOptions(fields);
        m_escaped = header.escaped;
        m_session.formatVersion = header.escaped ? 2 : 1;
        SearchOptions& options = m_session.parameters.options;
        options = header.options;
        m_session.storedRowCount = std::max<std::int64_t>(leadingNumber(fields[3]), 0);
        m_session.totals.filesFound = leadingNumber32(fields[4]);
        m_session.totals.foldersFound = leadingNumber32(fields[5]);
        m_session.totals.duplicateCount = leadingNumber32(fields[6]);
        if (fields.size() > 7) {
            m_session.totals.duplicateSize = leadingNumber(fields[7]);
        }
        if (fields.size() > 8) {
            m_session.fuzzyStored = true;
            options.fuzzy = leadingNumber(fields[8]) != 0;
        }
        m_session.totals.cancelled =
            fields.size() > kStatusField && fields[kStatusField] == kStatusTerminated;
        m_grouped = options.method != SearchMethod::ZeroSize;
        m_rescan = m_options.reScan && m_grouped;
        // The header's row count is never trusted: nothing is reserved from it.
        m_fill.emplace(m_session.table, m_grouped, 0);
        return true;
    }

    bool readPaths() {
        for (;;) {
            const auto status = m_reader.next(m_line);
            if (status != LineReader::Status::Line) {
                return stop(status);
            }
            if (!m_line.empty() && m_line.front() == ';') {
                return true;
            }
            const auto fields = splitFields(m_line, ',');
            if (fields.size() < kPathFields) {
                return damaged("too few search-path fields");
            }
            m_session.parameters.paths.push_back(readPathLine(fields, m_escaped));
        }
    }

    // m_line holds the first result line, with its ";".
    void readResults() {
        std::string_view line = std::string_view(m_line).substr(1);
        for (;;) {
            const auto fields = splitFields(line, '?');
            if (fields.size() < kResultFields) {
                damaged("too few result fields");
                return;
            }
            StoredCellTexts cells;
            for (std::size_t i = 0; i < kResultFields; ++i) {
                cells[i] = field(fields[i], m_escaped);
            }
            ++m_session.resultLines;
            if (m_rescan) {
                m_stored.push_back({cells[0], cells[5],
                                    static_cast<std::uint64_t>(
                                        std::max<std::int64_t>(leadingNumber(cells[1]), 0))});
            } else {
                addRow(cells);
            }
            reportProgress();
            const auto status = m_reader.next(m_line);
            if (status != LineReader::Status::Line) {
                stop(status);
                return;
            }
            line = m_line;
        }
    }

    void addRow(StoredCellTexts& cells) {
        std::int32_t group = 0;
        if (m_grouped) {
            // Groups must stand together in the file: each change of the stored group
            // cell opens the next group number.
            group = m_fill->groupFor(cells[4] != m_previousGroup);
            m_previousGroup = cells[4];
        }
        m_fill->add(storedRow(cells, m_fill->folder(cells[5]), group));
    }

    void reportProgress() {
        if (!m_options.progress) {
            return;
        }
        SessionProgress progress;
        progress.value = m_session.resultLines;
        progress.maximum = std::max<std::int64_t>(
            {m_session.storedRowCount, m_session.resultLines, std::int64_t{1}});
        if (m_session.resultLines % kStatusEvery == 0) {
            progress.statusText =
                "Loading Searched Result...(" + std::to_string(m_session.resultLines) + ")";
        }
        m_options.progress(progress);
    }

    void finish() {
        if (m_rescan && m_session.resultLines > 1) {
            rescan();
        } else if (m_fill) {
            m_fill->finish();
        }
        m_session.table.searchFolders = includedFolders(m_session.parameters.paths);
    }

    void rescan() {
        ScanObserver quiet;
        CancelToken never;
        ScanObserver& observer = m_options.observer != nullptr ? *m_options.observer : quiet;
        const CancelToken& cancel = m_options.cancel != nullptr ? *m_options.cancel : never;
        const FileExistsFn exists = m_options.fileExists ? m_options.fileExists : FileExists;
        TableProgress progress;
        if (m_options.progress) {
            progress = [this](const std::string& text) { m_options.progress({text, 0, 0}); };
        }
        ScanResult result = compareStoredFiles(
            m_stored, includedFolders(m_session.parameters.paths), m_session.parameters.options,
            m_session.totals.filesFound, observer, cancel);
        m_stored = {};
        ScanOutcome outcome =
            LoadSearchResult(m_session.table, std::move(result), exists, progress);
        m_session.totals.filesFound = outcome.totals.filesFound;
        m_session.totals.duplicateCount = outcome.totals.duplicateCount;
        m_session.totals.duplicateSize = outcome.totals.duplicateSize;
        m_session.rescanned = true;
        m_session.cancelled = outcome.totals.cancelled;
        m_session.totals.cancelled = m_session.totals.cancelled || outcome.totals.cancelled;
        m_session.issues = std::move(outcome.issues);
    }

    LineReader& m_reader;
    const OpenOptions& m_options;
    LoadedSession& m_session;
    std::string m_line;
    bool m_escaped = false;
    bool m_grouped = true;
    bool m_rescan = false;
    std::optional<TableFill> m_fill;
    std::string m_previousGroup;
    std::vector<StoredFile> m_stored;
};

void appendJoined(std::string& out, std::initializer_list<std::string_view> fields, char separator,
                  bool firstIsPathFolder) {
    bool first = true;
    for (const std::string_view f : fields) {
        if (!first) {
            out += separator;
        }
        out += escapeSessionField(f, first && firstIsPathFolder);
        first = false;
    }
}

// The header and the search-path lines, each line ended.
std::string parameterText(const SessionParameters& parameters, const ScanTotals& totals,
                          int rowCount) {
    const SearchOptions& o = parameters.options;
    std::string text =
        std::to_string(sessionMethodNumber(o.method)) + "," + (o.protectSystem ? "1" : "0") + "," +
        (o.includeHidden ? "1" : "0") + "," + std::to_string(rowCount) + "," +
        std::to_string(totals.filesFound) + "," + std::to_string(totals.foldersFound) + "," +
        std::to_string(totals.duplicateCount) + "," + std::to_string(totals.duplicateSize) + "," +
        (o.fuzzy ? "1" : "0") + "," + std::string(kSessionFormatVersion) + "," +
        (totals.cancelled ? std::string(kStatusTerminated) : "0");
    for (const SearchPathEntry& entry : parameters.paths) {
        text += kLineEnd;
        appendJoined(text,
                     {entry.folder, entry.subFolders, entry.fileTypes, entry.minSize, entry.maxSize,
                      std::to_string(entry.icon)},
                     ',', true);
    }
    text += kLineEnd;
    return text;
}

} // namespace

int sessionMethodNumber(SearchMethod method) {
    switch (method) {
    case SearchMethod::ByteToByte:
        return 1;
    case SearchMethod::Crc32:
        return 2;
    case SearchMethod::SameName:
        return 3;
    case SearchMethod::ZeroSize:
        return 4;
    }
    return 1;
}

std::string sessionHeaderProblem(std::string_view firstLine) {
    const auto fields = splitFields(firstLine, ',');
    if (fields.size() < kHeaderFieldsForSession) {
        return "too few header fields";
    }
    const std::string_view method = trimBlanks(fields[0]);
    if (method.size() != 1 || method[0] < '1' || method[0] > '4') {
        return "no search method 1 to 4";
    }
    for (const std::string_view option : {fields[1], fields[2]}) {
        if (trimBlanks(option) != "0" && trimBlanks(option) != "1") {
            return "protect and hidden fields not 0 or 1";
        }
    }
    return {};
}

std::string sessionFileText(const SessionParameters& parameters, const ScanTotals& totals,
                            const ResultTable& table, SessionContent content,
                            const SessionProgressFn& progress) {
    std::string text = parameterText(parameters, totals, table.rowCount());
    if (content == SessionContent::ParametersOnly) {
        return text;
    }
    const std::int64_t count = table.rowCount();
    for (std::int64_t i = 0; i < count; ++i) {
        const ResultTableRow& row = table.rows()[static_cast<std::size_t>(i)];
        StoredCellTexts cells;
        for (std::size_t c = 0; c < kResultFields; ++c) {
            cells[c] = cellText(row, static_cast<int>(c) + 1);
        }
        if (i == 0) {
            text += ';';
        }
        appendJoined(text,
                     {cells[0], cells[1], cells[2], cells[3], cells[4], cells[5], cells[6],
                      cells[7], cells[8]},
                     '?', false);
        text += kLineEnd;
        if (progress) {
            progress({{}, i + 1, count});
        }
    }
    return text;
}

FileWriteResult WriteSessionFile(const std::string& path, const SessionParameters& parameters,
                                 const ScanTotals& totals, const ResultTable& table,
                                 SessionContent content, const SessionProgressFn& progress) {
    if (FileWriteResult listed = refuseListedTarget(path, table); !listed.ok) {
        return listed;
    }
    return replaceFileContent(path, sessionFileText(parameters, totals, table, content, progress));
}

FileWriteResult SaveDefaultParameters(SettingsStore& store, const WindowGeometry& window,
                                      const std::string& path, const SessionParameters& parameters,
                                      const ScanTotals& totals, int rowCount) {
    saveWindowSize(store, window);
    if (path.empty()) {
        return {};
    }
    return replaceFileContent(path, parameterText(parameters, totals, rowCount));
}

LoadedParameters LoadParameters(const std::string& path) {
    LoadedParameters loaded;
    const OpenFile file(path);
    if (file.fd() < 0) {
        return loaded;
    }
    LineReader reader(file.fd());
    std::string line;
    if (reader.next(line) != LineReader::Status::Line) {
        return loaded;
    }
    const auto header = splitFields(line, ',');
    if (header.size() < kHeaderFieldsForParameters) {
        return loaded;
    }
    const Header options = readHeaderOptions(header);
    loaded.parameters.options = options.options;
    loaded.fuzzyStored = header.size() > 8;
    for (;;) {
        const auto status = reader.next(line);
        if (status == LineReader::Status::End) {
            break;
        }
        if (status != LineReader::Status::Line) {
            return loaded;
        }
        if (!line.empty() && line.front() == ';') {
            break;
        }
        const auto fields = splitFields(line, ',');
        if (fields.size() < kPathFields) {
            return loaded;
        }
        loaded.parameters.paths.push_back(readPathLine(fields, options.escaped));
    }
    loaded.ok = true;
    return loaded;
}

LoadedSession OpenPairwellFile(const std::string& fileName, const OpenOptions& options) {
    LoadedSession session;
    const OpenFile file(fileName);
    if (file.fd() < 0) {
        session.damage = std::strerror(errno);
        return session;
    }
    LineReader reader(file.fd());
    SessionReader(reader, options, session).run();
    return session;
}

LoadedSession readSessionBytes(std::string_view bytes, const OpenOptions& options) {
    LoadedSession session;
    LineReader reader(bytes);
    SessionReader(reader, options, session).run();
    return session;
}

} // namespace pw
