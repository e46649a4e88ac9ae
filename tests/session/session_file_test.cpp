// Writing and reading session files: the layout, escaping, old files, damaged files and
// the re-scan of a loaded session.

#include "common/format.h"
#include "session/export_writers.h"
#include "session/session_codec.h"
#include "session/session_file.h"
#include "support/table_with.h"
#include "support/temp_tree.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <optional>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pw {
namespace {

using test::TempTree;

ResultTableRow tableRow(const std::string& name, const std::string& folder, std::uint64_t size,
                        std::int32_t group) {
    ResultRow r;
    r.name = name;
    r.folder = makeFolderText(folder);
    r.size = size;
    r.version = "N/A";
    r.mtime = 1141747509;
    return makeTableRow(std::move(r), group);
}

SessionParameters twoPaths() {
    SessionParameters p;
    p.options.method = SearchMethod::Crc32;
    p.options.protectSystem = false;
    p.options.includeHidden = true;
    SearchPathEntry in;
    in.folder = "/data/photos";
    in.minSize = "10";
    SearchPathEntry out;
    out.folder = "/data/photos/cache";
    out.subFolders = "No";
    out.fileTypes = "";
    out.icon = kExcludeIcon;
    p.paths = {in, out};
    return p;
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find("\r\n", start);
        EXPECT_NE(end, std::string::npos) << "every line ends in CR LF";
        if (end == std::string::npos) {
            break;
        }
        out.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return out;
}

TEST(SessionWrite, HeaderPathsAndResultLinesAreLaidOutAsStored) {
    const ResultTable table =
        test::tableWith({tableRow("a.txt", "/d/", 1234, 3), tableRow("b", "/e/", 1234, 3)});
    const ScanTotals totals{120, 14, 1, 1234};
    std::vector<std::int64_t> progress;
    const std::string text = sessionFileText(
        twoPaths(), totals, table, SessionContent::ParametersAndResult,
        [&progress](const SessionProgress& p) { progress.push_back(p.value * 10 + p.maximum); });
    EXPECT_EQ(progress, (std::vector<std::int64_t>{12, 22}));
    const auto l = lines(text);
    ASSERT_EQ(l.size(), 5u);
    EXPECT_EQ(l[0], "2,0,1,2,120,14,1,1234,0,2,0");
    EXPECT_EQ(l[1], "/data/photos,Yes,All files(*.*),10,,15");
    EXPECT_EQ(l[2], "/data/photos/cache,No,,,,16");
    const std::string date = DateText(1141747509);
    EXPECT_EQ(l[3], ";a.txt?1234?" + date + "?N/A?3?/d/?000000001234?" + SortDateText(1141747509) +
                        "?00000000003");
    EXPECT_EQ(l[4], "b?1234?" + date + "?N/A?3?/e/?000000001234?" + SortDateText(1141747509) +
                        "?00000000003");

    // Parameters only: the header still counts the rows of the list.
    const auto p =
        lines(sessionFileText(twoPaths(), totals, table, SessionContent::ParametersOnly));
    ASSERT_EQ(p.size(), 3u);
    EXPECT_EQ(p[0], l[0]);
    // An empty list writes no result line whatever was asked.
    EXPECT_EQ(lines(sessionFileText(twoPaths(), totals, ResultTable{},
                                    SessionContent::ParametersAndResult))
                  .size(),
              3u);
}

// Regression: unescaped fields let a "," in a folder or a "?" in a name shift every later
// field of the line, so the session came back corrupted.
TEST(SessionRoundTrip, HostileNamesAndFoldersSurviveSaveAndLoad) {
    TempTree tree;
    SessionParameters params = twoPaths();
    params.paths[0].folder = ";odd,folder%2C";
    params.paths[0].fileTypes = "Pictures(*.jpg;*.png)";
    const std::string badUtf8 = "bad\xff\xfe";
    const ResultTable table = test::tableWith(
        {tableRow("what?.txt", "/a,b/%41/", 10, 1), tableRow(";semi\r\nline", "/x?y/", 10, 1),
         tableRow(badUtf8, "/z/", 7, 2), tableRow("ok", "/z/", 7, 2)});
    const std::string path = tree.path("s.pwf");
    ASSERT_TRUE(
        WriteSessionFile(path, params, {4, 3, 2, 17}, table, SessionContent::ParametersAndResult)
            .ok);

    const LoadedSession loaded = OpenPairwellFile(path);
    EXPECT_TRUE(loaded.opened);
    EXPECT_TRUE(loaded.complete) << loaded.damage;
    EXPECT_EQ(loaded.formatVersion, 2);
    ASSERT_EQ(loaded.parameters.paths.size(), 2u);
    EXPECT_EQ(loaded.parameters.paths[0].folder, ";odd,folder%2C");
    EXPECT_EQ(loaded.parameters.paths[0].fileTypes, "Pictures(*.jpg;*.png)");
    ASSERT_EQ(loaded.table.rowCount(), 4);
    for (int i = 1; i <= 4; ++i) {
        const auto& got = loaded.table.row(i);
        const auto& want = table.row(i);
        for (int c = 1; c <= kColumnCount; ++c) {
            EXPECT_EQ(cellText(got, c), cellText(want, c)) << "row " << i << " column " << c;
        }
        EXPECT_TRUE(got.stored.empty());
        EXPECT_FALSE(got.marked);
    }
    EXPECT_EQ(loaded.totals.foldersFound, 3);
    EXPECT_EQ(loaded.totals.duplicateSize, 17);
}

// Regression: how the scan ended was not stored, so a session saved from a cancelled scan
// loaded as "Search Completed.".
TEST(SessionRoundTrip, ATerminatedScanLoadsTerminated) {
    ScanTotals totals{1, 2, 3, 4};
    totals.cancelled = true;
    const std::string text =
        sessionFileText(twoPaths(), totals, ResultTable{}, SessionContent::ParametersOnly);
    // The nine fields a reader of the older layout takes, the version, then the status.
    EXPECT_EQ(text.substr(0, text.find("\r\n")), "2,0,1,0,1,2,3,4,0,2,1");
    EXPECT_EQ(readSessionBytes(text).totals.statusText(), "Search Terminated.");
    // Without the field, or with another text in it, a session reads as completed.
    for (const std::string header : {"2,0,1,0,1,2,3,4,0,2\r\n", "2,0,1,0,1,2,3,4,0,2,x\r\n"}) {
        EXPECT_EQ(readSessionBytes(header).totals.statusText(), "Search Completed.") << header;
    }
}

// A result line with its Group cell replaced.
std::string withGroup(std::string line, const std::string& group) {
    std::size_t at = 0;
    for (int k = 0; k < 4; ++k) {
        at = line.find('?', at) + 1;
    }
    return line.replace(at, line.find('?', at) - at, group);
}

// Regression: a stored time of 12 AM or 12 PM read back as the other half of the day gave
// the loaded row the wrong time.
TEST(SessionLoad, GroupsAreRenumberedAndOnlyTextsTheValuesWouldNotShowAreKept) {
    const std::vector<std::string> rows{
        // a size with a leading zero; a group number the loader renumbers
        "a.b.c?0100?3/7/2006 4:05:09 PM?N/A?3?/p/?000000000100?20060307160509?00000000003",
        // a date text with leading zeros, and a sort key another program wrote
        "noext?100?03/07/2006 04:05:09 PM?N/A?3?/q/?000000000100?20990101000000?00000000003",
        // nothing a scan would write
        "x?12abc?d?1.0?7?/p/?k?s?g",
        // ordinary rows of group 2, at 12:05 AM and 12:05 PM
        "y?100?3/7/2006 12:05:09 AM?N/A?7?/p/?000000000100?20060307000509?00000000002",
        "z.?100?3/7/2006 12:05:09 PM?N/A?7?/r/?000000000100?20060307120509?00000000002"};
    std::string text = "1,1,0,5,9,2,3,300,1\r\n/data,Yes,All files(*.*),,,15\r\n";
    for (std::size_t i = 0; i < rows.size(); ++i) {
        text += (i == 0 ? ";" : "") + rows[i] + "\r\n";
    }
    std::vector<std::string> status;
    OpenOptions options;
    options.progress = [&status](const SessionProgress& p) {
        EXPECT_EQ(p.maximum, 5);
        if (!p.statusText.empty()) {
            status.push_back(p.statusText);
        }
    };
    const LoadedSession s = readSessionBytes(text, options);
    EXPECT_TRUE(s.complete) << s.damage;
    EXPECT_EQ(s.formatVersion, 1);
    EXPECT_TRUE(s.parameters.options.fuzzy);
    EXPECT_TRUE(status.empty());
    EXPECT_EQ(s.totals.duplicateSize, 300);
    ASSERT_EQ(s.table.rowCount(), 5);
    EXPECT_EQ(s.table.GroupCount, 2);
    EXPECT_EQ(s.table.GroupSizes, (std::vector<std::int32_t>{0, 2, 3}));
    EXPECT_EQ(s.table.RowShadeTable, (std::vector<std::int32_t>{1, 1, 2, 2, 2, 0}));
    EXPECT_TRUE(s.table.shadingInstalled);
    EXPECT_EQ(s.table.distinctFolderTexts(), (std::vector<std::string>{"/p/", "/q/", "/r/"}));
    EXPECT_EQ(cellText(s.table.row(1), kColExt), "c");
    EXPECT_EQ(cellText(s.table.row(5), kColExt), "");
    EXPECT_EQ(s.table.row(3).size, 12u);
    // The midnight and noon rows keep no texts of their own: their saved cells below come
    // from the times read.
    EXPECT_TRUE(s.table.row(4).stored.empty());
    EXPECT_TRUE(s.table.row(5).stored.empty());

    // Saved again, every row reads as stored but for its renumbered Group cell.
    const auto l = lines(
        sessionFileText(s.parameters, s.totals, s.table, SessionContent::ParametersAndResult));
    ASSERT_EQ(l.size(), 7u);
    const std::string renumbered[] = {"1", "1", "2", "2", "2"};
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(l[i + 2], withGroup((i == 0 ? ";" : "") + rows[i], renumbered[i]));
    }
}

TEST(SessionLoad, OldFilesWithoutTheVersionAreReadAsStored) {
    // A "%2C" in an old file is a folder's own text, not an escape.
    const std::string text = "3,0,0,0,,,0\r\n/x%2Cy,No,*.txt,1,2,16\r\n";
    const LoadedSession s = readSessionBytes(text);
    EXPECT_TRUE(s.complete);
    EXPECT_EQ(s.formatVersion, 1);
    EXPECT_EQ(s.parameters.options.method, SearchMethod::SameName);
    EXPECT_FALSE(s.fuzzyStored);
    EXPECT_FALSE(s.parameters.options.fuzzy);
    EXPECT_EQ(s.totals.duplicateSize, 0);
    ASSERT_EQ(s.parameters.paths.size(), 1u);
    EXPECT_EQ(s.parameters.paths[0].folder, "/x%2Cy");
    EXPECT_EQ(s.parameters.paths[0].icon, 16);
    EXPECT_EQ(s.table.rowCount(), 0);
    EXPECT_FALSE(s.showTotals());
    EXPECT_FALSE(s.table.shadingInstalled);

    // An old result line with a "?" in its name yields more fields; the first nine count.
    const LoadedSession extra = readSessionBytes("1,1,0,1,1,1,0\n;a?b?1?d?v?1?/p/?k?s?g\n");
    EXPECT_TRUE(extra.complete);
    ASSERT_EQ(extra.table.rowCount(), 1);
    EXPECT_EQ(extra.table.row(1).name, "a");
    EXPECT_EQ(extra.table.row(1).folderText(), "1");
    EXPECT_FALSE(extra.showTotals()); // one result line: the totals stay hidden
}

TEST(SessionLoad, ZeroSizeRowsKeepTheirUngroupedCells) {
    const std::string text = "4,1,0,2,2,1,0,0,0,2\r\n"
                             ";e1?0?d?N/A?N/A?/p/?000000000000?20060307123456?\r\n"
                             "e2?0?d?N/A?N/A?/p/?000000000000?20060307123456?\r\n";
    const LoadedSession s = readSessionBytes(text);
    EXPECT_TRUE(s.complete);
    EXPECT_FALSE(s.table.grouped());
    ASSERT_EQ(s.table.rowCount(), 2);
    EXPECT_EQ(cellText(s.table.row(2), kColGroup), "N/A");
    EXPECT_EQ(s.table.GroupCount, 0);
    EXPECT_FALSE(s.table.shadingInstalled);
}

TEST(SessionLoad, DamagedFilesStopAtTheDamagedLineKeepingWhatWasRead) {
    struct Case {
        std::string text;
        std::size_t paths;
        int rows;
    };
    const std::string header = "1,1,0,999999999999,1,1,0,0,0\r\n";
    const std::string row = "n?1?d?v?1?/p/?s?t?g";
    const Case cases[] = {
        {header + "/a,Yes,m,,,15\r\n/b,Yes\r\n/c,Yes,m,,,15\r\n", 1, 0}, // short path line
        {header + "/a,Yes,m,,,15\r\n\r\n", 1, 0},                        // empty line
        {header + ";" + row + "\r\nn?1?d\r\n" + row + "\r\n", 0, 1},     // short result line
        {header + ";" + row + "\r\n" + std::string(2 * 1024 * 1024, 'x') + "\r\n", 0, 1},
    };
    for (const Case& c : cases) {
        const LoadedSession s = readSessionBytes(c.text);
        EXPECT_TRUE(s.opened);
        EXPECT_TRUE(s.isSession);
        EXPECT_FALSE(s.complete) << c.text.substr(0, 80);
        EXPECT_FALSE(s.damage.empty());
        EXPECT_EQ(s.parameters.paths.size(), c.paths) << c.text.substr(0, 80);
        EXPECT_EQ(s.table.rowCount(), c.rows) << c.text.substr(0, 80);
    }
    // A file without any ";" line is a parameter file: complete, no rows, whatever the
    // header's row count claims.
    const LoadedSession noResult = readSessionBytes(header + "/a,Yes,m,,,15\r\n");
    EXPECT_TRUE(noResult.complete);
    EXPECT_EQ(noResult.storedRowCount, 999999999999);
    EXPECT_EQ(noResult.table.rowCount(), 0);
}

// Regression: whatever was loaded counted as a session, so an empty file or a program was
// reported as a damaged session instead of as no session at all.
TEST(SessionLoad, OnlyAFileOpeningWithAHeaderIsASession) {
    const std::string notSessions[] = {
        "",
        "1,1,0,5,1,1\r\n/a,Yes,m,,,15\r\n", // six header fields
        "5,1,0,0,0,0,0\r\n",
        "1,2,0,0,0,0,0\r\n",
        std::string("\177ELF\2\1,,,,,,\0\n", 14),
        std::string(2 * 1024 * 1024, ','),
    };
    for (const std::string& text : notSessions) {
        const LoadedSession s = readSessionBytes(text);
        EXPECT_FALSE(s.isSession) << text.substr(0, 20);
        EXPECT_FALSE(s.complete);
        EXPECT_EQ(s.table.rowCount(), 0);
        EXPECT_TRUE(s.damage.starts_with(text.empty() ? "the file is empty" : "line 1: "))
            << s.damage;
    }
    EXPECT_EQ(sessionHeaderProblem("4, 1 ,0,,,,"), "");
}

TEST(SessionParameters, LoadParametersStopsAtTheResultSection) {
    TempTree tree;
    const std::string path =
        tree.addFile("p.pwf", "2,1,1,1,1,1,0,0,1,2\r\n/a%2Cb,Yes,m,1,2,15\r\n;broken\r\n");
    const LoadedParameters p = LoadParameters(path);
    EXPECT_TRUE(p.ok);
    EXPECT_EQ(p.parameters.options.method, SearchMethod::Crc32);
    EXPECT_TRUE(p.parameters.options.protectSystem);
    EXPECT_TRUE(p.parameters.options.includeHidden);
    EXPECT_FALSE(p.parameters.options.fuzzy); // stays as a new session has it
    ASSERT_EQ(p.parameters.paths.size(), 1u);
    EXPECT_EQ(p.parameters.paths[0].folder, "/a,b");

    const std::string shortLine = tree.addFile("q.pwf", "1,1,0\r\n/a,Yes,m,1,2,15\r\n/b,No\r\n");
    const LoadedParameters q = LoadParameters(shortLine);
    EXPECT_FALSE(q.ok);
    EXPECT_EQ(q.parameters.paths.size(), 1u); // the rows read so far stay
    EXPECT_FALSE(LoadParameters(tree.addFile("r.pwf", "1,1\r\n")).ok);
    EXPECT_FALSE(LoadParameters(tree.path("none.pwf")).ok);
    EXPECT_FALSE(OpenPairwellFile(tree.path("none.pwf")).opened);
}

TEST(SessionParameters, DefaultParametersStoreTheGeometryAndTheParameterSectionAlone) {
    TempTree tree;
    MemorySettingsStore store;
    const std::string path = tree.path("default.pwf");
    ASSERT_TRUE(
        SaveDefaultParameters(store, {9000, 6000, 15, 30}, path, twoPaths(), {7, 8, 9, 10}, 42).ok);
    const std::string text = tree.read("default.pwf");
    EXPECT_EQ(text, "2,0,1,42,7,8,9,10,0,2,0\r\n/data/photos,Yes,All files(*.*),10,,15\r\n"
                    "/data/photos/cache,No,,,,16\r\n");
    EXPECT_EQ(loadWindowSize(store), (WindowGeometry{9000, 6000, 15, 30}));

    // Without a path only the geometry is stored.
    EXPECT_TRUE(SaveDefaultParameters(store, {1, 2, 3, 4}, "", twoPaths(), {}, 0).ok);
    EXPECT_EQ(loadWindowSize(store), (WindowGeometry{1, 2, 3, 4}));
}

// A folder mounted read-only onto itself: the superuser writes through permission bits,
// not through a read-only mount. Unmounted at the end.
class ReadOnlyBind {
public:
    explicit ReadOnlyBind(const std::string& folder) : m_folder(folder) {
        m_mounted = ::mount(folder.c_str(), folder.c_str(), nullptr, MS_BIND, nullptr) == 0;
        m_readOnly = m_mounted && ::mount(nullptr, folder.c_str(), nullptr,
                                          MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0;
    }
    ~ReadOnlyBind() {
        if (m_mounted) {
            ::umount2(m_folder.c_str(), MNT_DETACH);
        }
    }
    ReadOnlyBind(const ReadOnlyBind&) = delete;
    ReadOnlyBind& operator=(const ReadOnlyBind&) = delete;
    bool readOnly() const { return m_readOnly; }

private:
    std::string m_folder;
    bool m_mounted = false;
    bool m_readOnly = false;
};

// Regression: every permission failure was reported as "File is already open please
// close it and proceed.", which sent the user looking for a program that held the file.
TEST(SessionWriteFailure, AnUnwritableFileNamesItsCauseAndIsNotReplaced) {
    TempTree tree;
    const std::string path = tree.addFile("ro/old.pwf", "old");
    std::string cause = "Permission denied";
    std::optional<ReadOnlyBind> bind;
    if (::geteuid() == 0) {
        bind.emplace(tree.path("ro"));
        if (!bind->readOnly()) {
            GTEST_SKIP() << "the superuser may write read-only files, and mounting is not "
                            "permitted here";
        }
        cause = "Read-only file system";
    } else {
        ::chmod(path.c_str(), 0444);
    }
    const FileWriteResult r =
        WriteSessionFile(path, twoPaths(), {}, ResultTable{}, SessionContent::ParametersOnly);
    EXPECT_EQ(r.message(), "Cannot write " + path + ": " + cause + ".");
    EXPECT_EQ(r.title, "Error");
    EXPECT_EQ(tree.read("ro/old.pwf"), "old");
}

// Regression: a session or export written over a file of the result list destroyed it
// while the list still showed it as the duplicate of its twin.
TEST(ListedTargets, AFileOfTheListIsNeverWrittenOver) {
    TempTree tree;
    const std::string a = tree.addFile("a/x.txt", "same");
    const std::string b = tree.addFile("b/x.txt", "same");
    const std::string unlisted = tree.addFile("c/x.txt", "other");
    const std::string link = tree.addSymlink(b, "link.csv");
    const ResultTable table = test::tableWith(
        {tableRow("x.txt", tree.path("a/"), 4, 1), tableRow("x.txt", tree.path("b/"), 4, 1)});
    const std::string listed = ", a file of the result list; choose another file name.";
    EXPECT_EQ(
        WriteSessionFile(a, twoPaths(), {}, table, SessionContent::ParametersAndResult).message(),
        a + " is " + a + listed);
    EXPECT_EQ(ExportDelimited(link, table, {}, ",").message(), link + " is " + b + listed);
    EXPECT_EQ(ExportHtml(a, table, {}, {}).message(), a + " is " + a + listed);
    EXPECT_EQ(tree.read("a/x.txt"), "same");
    EXPECT_EQ(tree.read("b/x.txt"), "same");
    // A file of the same name that is not listed is an ordinary target.
    EXPECT_TRUE(ExportDelimited(unlisted, table, {}, ",").ok);
}

// The session format's building blocks: field escaping, splitting and the bounded line
// reader.
TEST(SessionFieldEscape, SeparatorsLineEndsAndPercentBecomeHexEscapes) {
    EXPECT_EQ(escapeSessionField("a,b?c%d\r\ne"), "a%2Cb%3Fc%25d%0D%0Ae");
    EXPECT_EQ(escapeSessionField("plain name.txt"), "plain name.txt");
    // A leading ";" is escaped only where it would open the result section.
    EXPECT_EQ(escapeSessionField(";x;", true), "%3Bx;");
    EXPECT_EQ(escapeSessionField(";x;", false), ";x;");
}

TEST(SessionFieldEscape, DamagedEscapesStayAsTheyAre) {
    EXPECT_EQ(unescapeSessionField("100%"), "100%");
    EXPECT_EQ(unescapeSessionField("%4"), "%4");
    EXPECT_EQ(unescapeSessionField("%zz%2c"), "%zz,");
    EXPECT_EQ(unescapeSessionField("%%41"), "%A");
}

TEST(SessionFields, SplitKeepsEmptyFieldsAtBothEnds) {
    EXPECT_EQ(splitFields("", ',').size(), 1u);
    EXPECT_EQ(splitFields(",a,,b,", ','), (std::vector<std::string_view>{"", "a", "", "b", ""}));
}

std::vector<std::string> readAll(LineReader& reader, LineReader::Status& last) {
    std::vector<std::string> lines;
    std::string line;
    while ((last = reader.next(line)) == LineReader::Status::Line) {
        lines.push_back(line);
    }
    return lines;
}

TEST(SessionLineReader, CrLfAndLfLinesReadAlikeAndTheLastMayLackItsEnd) {
    for (const std::string text : {"a\r\nb\r\n\r\nc", "a\nb\n\nc\n", "a\r\nb\n\r\nc\r\n"}) {
        LineReader reader(text);
        LineReader::Status last{};
        EXPECT_EQ(readAll(reader, last), (std::vector<std::string>{"a", "b", "", "c"})) << text;
        EXPECT_EQ(last, LineReader::Status::End);
        EXPECT_EQ(reader.lineNumber(), 4);
    }
}

TEST(SessionLineReader, NulBytesAndLoneCarriageReturnsStayInTheLine) {
    const std::string text("x\0y\rz\n", 6);
    LineReader reader(text);
    std::string line;
    ASSERT_EQ(reader.next(line), LineReader::Status::Line);
    EXPECT_EQ(line, std::string("x\0y\rz", 5));
}

TEST(SessionLineReader, ALineLongerThanOneMebibyteStopsTheReading) {
    const std::string exact(LineReader::kMaxLineBytes, 'x');
    const std::string text = "first\r\n" + exact + "\r\n" + exact + "y\r\nnever\r\n";
    LineReader reader(text);
    LineReader::Status last{};
    const auto lines = readAll(reader, last);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1].size(), LineReader::kMaxLineBytes);
    EXPECT_EQ(last, LineReader::Status::TooLong);
    std::string line;
    EXPECT_EQ(reader.next(line), LineReader::Status::End);
}

TEST(SessionLineReader, AFileReadsInChunksAsMemoryDoes) {
    test::TempTree tree;
    // Lines that straddle the reader's 64 KiB chunks.
    std::string text;
    std::vector<std::string> expected;
    for (int i = 0; i < 300; ++i) {
        expected.push_back(std::string(static_cast<std::size_t>(i * 37 % 5000), 'a' + i % 26));
        text += expected.back() + (i % 2 == 0 ? "\r\n" : "\n");
    }
    const std::string path = tree.addFile("lines.txt", text);
    const int fd = ::open(path.c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    LineReader reader(fd);
    LineReader::Status last{};
    EXPECT_EQ(readAll(reader, last), expected);
    EXPECT_EQ(last, LineReader::Status::End);
    ::close(fd);
}

TEST(SessionLineReader, AFolderIsAReadErrorNotALine) {
    test::TempTree tree;
    const int fd = ::open(tree.root().c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    LineReader reader(fd);
    std::string line;
    EXPECT_EQ(reader.next(line), LineReader::Status::Error);
    EXPECT_NE(reader.error(), 0);
    ::close(fd);
}

} // namespace
} // namespace pw
