// The front end's pieces without a scan: group numbering, the two writers and the
// argument parser.

#include "cli/actions.h"
#include "cli/cli_observer.h"
#include "cli/json_reader.h"
#include "cli/json_writer.h"
#include "cli/options.h"
#include "cli/path_quoting.h"
#include "cli/text_writer.h"
#include "common/format.h"
#include "results/load_result.h"

#include <cstdio>
#include <functional>
#include <gtest/gtest.h>
#include <set>
#include <sstream>

namespace pw::cli {
namespace {

using namespace std::string_literals;

ResultRow makeRow(std::string folder, std::string name, std::int32_t group,
                  std::uint64_t size = 10) {
    ResultRow row;
    row.folder = makeFolderText(std::move(folder));
    row.name = std::move(name);
    row.group = group;
    row.size = size;
    row.version = "N/A";
    return row;
}

ScanResult groupedResult(std::initializer_list<std::pair<std::string, int>> rows) {
    ScanResult result;
    for (const auto& [name, group] : rows) {
        result.rows.push_back(makeRow("/d/", name, group));
    }
    return result;
}

// Every file exists except the named ones.
FileExistsFn allBut(std::set<std::string> vanished) {
    return [vanished = std::move(vanished)](const std::string& path) {
        return vanished.count(path) == 0;
    };
}

// The result list the front end prints: the scan's rows as the result table holds them.
ResultTable listResult(ScanResult result, const FileExistsFn& fileExists) {
    ResultTable table;
    LoadSearchResult(table, std::move(result), fileExists);
    return table;
}

// What `write` prints to a stream of its own.
std::string printed(const std::function<void(std::FILE*)>& write) {
    std::FILE* file = std::tmpfile();
    write(file);
    std::string text(static_cast<std::size_t>(std::ftell(file)), '\0');
    std::rewind(file);
    text.resize(std::fread(text.data(), 1, text.size(), file));
    std::fclose(file);
    return text;
}

std::string written(const ResultTable& table, PathEnd end, bool marked = false) {
    std::ostringstream out;
    marked ? writeMarkedText(out, table, end) : writeText(out, table, end);
    return out.str();
}

TEST(TextWriter, SeparatesGroupsByOneEmptyEntry) {
    const auto result = groupedResult({{"a1", 1}, {"a2", 1}, {"b1", 2}, {"b2", 2}});
    ResultTable table = listResult(result, allBut({}));
    EXPECT_EQ(written(table, PathEnd::Newline), "/d/a1\n/d/a2\n\n/d/b1\n/d/b2\n");
    EXPECT_EQ(written(table, PathEnd::Nul), "/d/a1\0/d/a2\0\0/d/b1\0/d/b2\0"s);
    table.setMarked(2, true);
    table.setMarked(4, true);
    EXPECT_EQ(written(table, PathEnd::Nul, true), "/d/a2\0/d/b2\0"s);

    ScanResult zero;
    zero.grouped = false;
    zero.rows = {makeRow("/z/", "e1", 0, 0), makeRow("/z/", "e2", 0, 0)};
    EXPECT_EQ(written(listResult(zero, allBut({})), PathEnd::Newline), "/z/e1\n/z/e2\n");
    EXPECT_EQ(written(listResult(zero, allBut({})), PathEnd::Nul), "/z/e1\0/z/e2\0"s);
}

// Regression: a newline in a name split one path over two lines, so a crafted folder name
// could make another file's path a line of its own; escape bytes reached the terminal.
TEST(PathQuoting, APathThatCouldBeMisreadIsShellQuoted) {
    EXPECT_EQ(shownPath("/d/plain name Übersicht 写真"), "/d/plain name Übersicht 写真");
    EXPECT_EQ(shownPath("/d/a\n/etc/passwd"), "$'/d/a\\n/etc/passwd'");
    EXPECT_EQ(shownPath("/d/\x1b]0;x\x07\t\r\x7f"), "$'/d/\\e]0;x\\a\\t\\r\\x7f'");
    EXPECT_EQ(shownPath("/d/it's\\\n"), "$'/d/it\\'s\\\\\\n'");
    // A C1 control in UTF-8, and stray bytes: each byte as \xHH, followed safely by a
    // hex digit of the name.
    EXPECT_EQ(shownPath("/d/\xc2\x9b"
                        "1m"),
              "$'/d/\\xc2\\x9b1m'");
    EXPECT_EQ(shownPath("/d/\xff\xfe"
                        "a"),
              "$'/d/\\xff\\xfea'");
    // A name that looks quoted is quoted itself, so a line never means two paths.
    EXPECT_EQ(shownPath("$'x'"), "$'$\\'x\\''");
    EXPECT_FALSE(needsQuoting("/d/\xc2\xa0nbsp"));

    const auto result = groupedResult({{"a\nb", 1}, {"c", 1}});
    const ResultTable table = listResult(result, allBut({}));
    std::ostringstream out;
    EXPECT_TRUE(writeText(out, table));
    EXPECT_EQ(out.str(), "$'/d/a\\nb'\n/d/c\n");
    EXPECT_EQ(written(table, PathEnd::Nul), "/d/a\nb\0/d/c\0"s);

    // The progress line shows the folder being listed the same way.
    EXPECT_EQ(printed([](std::FILE* err) {
                  CliObserver(err, true, false, std::nullopt)
                      .progress({ScanStage::Enumerating, "Scanning... /d/\x1b[2J", {}, 0, 0});
              }),
              "Scanning... $'/d/\\e[2J'\n");
}

// Every file of a group marked: the run is refused and names the group, unless allowed.
TEST(RunAction, AGroupWithEveryFileMarkedIsRefusedUnlessAllowed) {
    ResultTable table = listResult(groupedResult({{"a1", 1}, {"a2", 1}}), allBut({}));
    table.setMarked(1, true);
    table.setMarked(2, true);
    CliOptions options;
    options.action = Action::Trash;
    const auto act = [&](bool done) {
        return printed([&](std::FILE* err) {
            EXPECT_EQ(runAction(options, table, CancelToken{}, {}, err), done);
        });
    };
    EXPECT_EQ(act(false), "pairwell-cli: group 1 would keep no file: every file of it is marked\n"
                          "  /d/a1\n  /d/a2\n"
                          "pairwell-cli: nothing was trashed; --allow-whole-group acts on such "
                          "groups too\n");
    options.allowWholeGroup = true;
    options.dryRun = true;
    EXPECT_EQ(act(true),
              "would trash /d/a1\nwould trash /d/a2\nWould trash 2 files; 0 files left.\n");
}

// Valid UTF-8 keeps its characters; a text that is not has every byte escaped, so the
// output is always valid JSON.
TEST(JsonString, EscapesWhatJsonRequiresAndEveryByteOfInvalidUtf8) {
    const auto json = [](std::string_view text) {
        std::string out;
        appendJsonString(out, text);
        return out;
    };
    EXPECT_EQ(json("a\"b\\c\nd\te\x01 Übersicht 写真"),
              "\"a\\\"b\\\\c\\nd\\te\\u0001 Übersicht 写真\"");
    EXPECT_EQ(json("x\xFF\""), "\"\\u0078\\u00ff\\u0022\"");
    // A truncated multi-byte sequence and a lone continuation byte are invalid too.
    EXPECT_EQ(json("\xC3"), "\"\\u00c3\"");
    EXPECT_EQ(json("\x80z"), "\"\\u0080\\u007a\"");
    EXPECT_NO_THROW(test::parseJson(json("\x80z")));
}

TEST(JsonWriter, WritesSummaryAndRowsWithGroupNumbers) {
    ScanResult result = groupedResult({{"a1", 1}, {"a2", 1}, {"b1", 2}, {"b2", 2}});
    result.rows[0].size = 1234;
    result.rows[0].folder = makeFolderText("/bad\xFE/");
    const JsonSummary summary{{7, 2, 2, 2468}, "byte", false};
    std::ostringstream out;
    writeJson(out, summary, listResult(result, allBut({"/bad\xFE/a1"})));

    const auto doc = test::parseJson(out.str());
    EXPECT_EQ(doc["status"].string(), "Search Completed.");
    EXPECT_EQ(doc["method"].string(), "byte");
    EXPECT_FALSE(doc["fuzzy"].boolean());
    EXPECT_EQ(doc["files"].number(), 7);
    EXPECT_EQ(doc["folders"].number(), 2);
    EXPECT_EQ(doc["duplicate_count"].number(), 2);
    EXPECT_EQ(doc["duplicate_size"].number(), 2468);
    const auto& rows = doc["rows"].array();
    ASSERT_EQ(rows.size(), 3u); // the row whose file vanished is not listed
    EXPECT_EQ(rows[0]["name"].string(), "a2");
    EXPECT_EQ(rows[0]["folder"].string(), "/d/");
    EXPECT_EQ(rows[0]["size"].number(), 10);
    EXPECT_EQ(rows[0]["date"].string(), DateText(0));
    EXPECT_EQ(rows[0]["version"].string(), "N/A");
    EXPECT_EQ(rows[0]["group"].number(), 1);
    EXPECT_EQ(rows[1]["group"].number(), 2);
    EXPECT_EQ(rows[2]["group"].number(), 2);

    EXPECT_EQ(rows[0].object().count("marked"), 0u);

    std::ostringstream empty;
    writeJson(empty, summary, ResultTable{});
    EXPECT_TRUE(test::parseJson(empty.str())["rows"].array().empty());
}

ParseResult parse(std::initializer_list<std::string_view> args) {
    return parseArguments(std::vector<std::string_view>(args));
}

// A search path row as its cells: folder, sub-folders, mask, minimum, maximum, picture.
std::vector<std::string> cells(const SearchPathEntry& e) {
    return {e.folder, e.subFolders, e.fileTypes, e.minSize, e.maxSize, std::to_string(e.icon)};
}

TEST(ParseArguments, ReadsEveryOptionIntoTheRequest) {
    const auto parsed =
        parse({"scan", "--method=crc", "--no-subfolders", "--mask", "Pictures(*.jpg)", "--min",
               "10", "--max=20", "--exclude", "/data/skip/", "--hidden", "--no-protect", "--json",
               "--no-progress", "--max-files", "5", "/data", "/other/./x/../y/"});
    ASSERT_EQ(parsed.error, "");
    const auto& o = parsed.options;
    EXPECT_TRUE(o.search.includeHidden);
    EXPECT_FALSE(o.search.protectSystem);
    EXPECT_TRUE(o.json);
    EXPECT_EQ(o.progress, ProgressMode::Off);
    EXPECT_EQ(o.maxFiles, 5);

    const auto request = buildRequest(o);
    EXPECT_EQ(request.options.method, SearchMethod::Crc32);
    ASSERT_EQ(request.paths.size(), 3u);
    using Cells = std::vector<std::string>;
    EXPECT_EQ(cells(request.paths[0]), (Cells{"/data", "No", "Pictures(*.jpg)", "10", "20", "15"}));
    EXPECT_EQ(request.paths[1].folder, "/other/y");
    EXPECT_EQ(cells(request.paths[2]), (Cells{"/data/skip", "No", "", "", "", "16"}));
}

TEST(ParseArguments, DefaultsMatchTheAddFolderDialog) {
    const auto parsed = parse({"scan", "/data"});
    ASSERT_EQ(parsed.error, "");
    const auto request = buildRequest(parsed.options);
    EXPECT_EQ(request.options.method, SearchMethod::ByteToByte);
    EXPECT_FALSE(request.options.fuzzy);
    EXPECT_TRUE(request.options.protectSystem);
    EXPECT_FALSE(request.options.includeHidden);
    EXPECT_EQ(parsed.options.progress, ProgressMode::Auto);
    EXPECT_FALSE(parsed.options.maxFiles.has_value());
    ASSERT_EQ(request.paths.size(), 1u);
    EXPECT_EQ(cells(request.paths[0]),
              (std::vector<std::string>{"/data", "Yes", "All files(*.*)", "", "", "15"}));
}

// Regression (the size and delimiter cases): a negative or too large size limit was taken
// and failed or silently did nothing in the scan, and an empty delimiter was taken.
TEST(ParseArguments, RejectsBadUsage) {
    const std::vector<std::vector<std::string_view>> bad = {
        {},
        {"scan"},
        {"find", "/data"},
        {"scan", "--frobnicate", "/data"},
        {"scan", "--method", "md5", "/data"},
        {"scan", "/data", "--method"},
        {"scan", "--min", "ten", "/data"},
        {"scan", "--max", "", "/data"},
        {"scan", "--min", "-1", "/data"},
        {"scan", "--max", "9007199254740992", "/data"},
        {"scan", "--min", "1e400", "/data"},
        {"scan", "--delimiter", "", "/data"},
        {"scan", "--max-files", "-1", "/data"},
        {"scan", "--max-files", "12x", "/data"},
        {"scan", "--method", "crc", "--fuzzy", "/data"},
        {"scan", "--json=yes", "/data"},
        {"scan", "-0", "--json", "/data"},
        {"load"},
        {"load", "a.pwf", "b.pwf"},
        {"load", "--session", "x.pwf", "a.pwf"},
        {"scan", "--rescan", "/data"},
        {"scan", "--export-marked", "/data"},
        {"scan", "--export=", "/data"},
        {"scan", ""},
        {"scan", "--mark-duplicates", "--trash", "--delete", "/data"},
        {"scan", "--mark-duplicates", "--copy-to", "/a", "--copy-to", "/b", "/data"},
        {"scan", "--trash", "/data"},
        {"scan", "--mark-duplicates", "--move-to", "", "/data"},
        {"scan", "--dry-run", "/data"},
        {"scan", "--mark-duplicates", "--copy-to", "/x", "--remove-empty-folders", "/data"},
    };
    for (const auto& args : bad) {
        std::string joined;
        for (auto a : args) {
            joined += std::string(a) + " ";
        }
        EXPECT_NE(parseArguments(args).error, "") << joined;
    }
}

TEST(ParseArguments, HelpWinsAndDoubleDashEndsOptions) {
    EXPECT_TRUE(parse({"--help"}).options.help);
    EXPECT_TRUE(parse({"scan", "-h"}).options.help);
    const auto parsed = parse({"scan", "--", "--json"});
    ASSERT_EQ(parsed.error, "");
    EXPECT_FALSE(parsed.options.json);
    ASSERT_EQ(parsed.options.folders.size(), 1u);
    EXPECT_TRUE(parsed.options.folders[0].ends_with("/--json"));
}

} // namespace
} // namespace pw::cli
