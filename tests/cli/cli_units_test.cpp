// The front end's pieces without a scan: group numbering, the two writers and the
// argument parser.

#include "cli/json_reader.h"
#include "cli/json_writer.h"
#include "cli/options.h"
#include "cli/text_writer.h"
#include "common/format.h"

#include <gtest/gtest.h>
#include <set>
#include <sstream>

namespace pw::cli {
namespace {

ResultRow makeRow(std::string folder, std::string name, int toggle, std::uint64_t size = 10) {
    ResultRow row;
    row.folder = std::move(folder);
    row.name = std::move(name);
    row.groupToggle = toggle;
    row.size = size;
    row.sizeKey = SizeKey(size);
    row.version = "N/A";
    row.dateText = "3/7/2006 4:05:09 PM";
    return row;
}

ScanResult groupedResult(std::initializer_list<std::pair<std::string, int>> rows) {
    ScanResult result;
    for (const auto& [name, toggle] : rows) {
        result.rows.push_back(makeRow("/d/", name, toggle));
    }
    return result;
}

using FileExistsFn = std::function<bool(const std::string&)>;

// Every file exists except the named ones.
FileExistsFn allBut(std::set<std::string> vanished) {
    return [vanished = std::move(vanished)](const std::string& path) {
        return vanished.count(path) == 0;
    };
}

// The result list the front end prints: the scan's rows as the result table holds them.
ResultTable listResult(const ScanResult& result, const FileExistsFn& fileExists) {
    ResultTable table;
    LoadSearchResult(table, result, fileExists);
    return table;
}

std::vector<std::pair<std::string, int>> numbered(const ResultTable& table) {
    std::vector<std::pair<std::string, int>> out;
    for (const auto& row : table.rows()) {
        out.emplace_back(row.cell(kColFileName), static_cast<int>(row.group()));
    }
    return out;
}

using Numbered = std::vector<std::pair<std::string, int>>;

// The numbering itself is the result table's (tests/results); these are the vanished-file
// cases a printed list depends on.
TEST(ListResult, VanishedFilesTakeNoRowAndLeaveTheNumbersAlone) {
    const auto result = groupedResult({{"a1", 1}, {"a2", 1}, {"b1", 2}, {"b2", 2}, {"b3", 2}});
    EXPECT_EQ(numbered(listResult(result, allBut({"/d/b1"}))),
              (Numbered{{"a1", 1}, {"a2", 1}, {"b2", 2}, {"b3", 2}}));
    // A group left with one file is still a group of one row.
    EXPECT_EQ(numbered(listResult(result, allBut({"/d/a1", "/d/b1", "/d/b2"}))),
              (Numbered{{"a2", 1}, {"b3", 2}}));

    ScanResult zero;
    zero.grouped = false;
    for (const char* name : {"e1", "e2", "e3"}) {
        zero.rows.push_back(makeRow("/z/", name, 0, 0));
    }
    EXPECT_EQ(numbered(listResult(zero, allBut({"/z/e2"}))), (Numbered{{"e1", 0}, {"e3", 0}}));
}

TEST(TextWriter, SeparatesGroupsByOneEmptyLine) {
    const auto result = groupedResult({{"a1", 1}, {"a2", 1}, {"b1", 2}, {"b2", 2}});
    std::ostringstream out;
    writeText(out, listResult(result, allBut({})));
    EXPECT_EQ(out.str(), "/d/a1\n/d/a2\n\n/d/b1\n/d/b2\n");

    ScanResult zero;
    zero.grouped = false;
    zero.rows = {makeRow("/z/", "e1", 0, 0), makeRow("/z/", "e2", 0, 0)};
    std::ostringstream zeroOut;
    writeText(zeroOut, listResult(zero, allBut({})));
    EXPECT_EQ(zeroOut.str(), "/z/e1\n/z/e2\n");
}

TEST(JsonString, EscapesWhatJsonRequiresAndKeepsValidUtf8) {
    std::string out;
    appendJsonString(out, "a\"b\\c\nd\te\x01 Übersicht 写真");
    EXPECT_EQ(out, "\"a\\\"b\\\\c\\nd\\te\\u0001 Übersicht 写真\"");
}

TEST(JsonString, WritesEveryByteOfAnInvalidUtf8TextAsAnEscape) {
    std::string out;
    appendJsonString(out, "x\xFF\"");
    EXPECT_EQ(out, "\"\\u0078\\u00ff\\u0022\"");
    // A truncated multi-byte sequence and a lone continuation byte are invalid too.
    out.clear();
    appendJsonString(out, "\xC3");
    EXPECT_EQ(out, "\"\\u00c3\"");
    out.clear();
    appendJsonString(out, "\x80z");
    EXPECT_EQ(out, "\"\\u0080\\u007a\"");
    EXPECT_NO_THROW(test::parseJson(out));
}

TEST(JsonWriter, WritesSummaryAndRowsWithGroupNumbers) {
    ScanResult result = groupedResult({{"a1", 1}, {"a2", 1}, {"b1", 2}, {"b2", 2}});
    result.rows[0].size = 1234;
    result.rows[0].folder = "/bad\xFE/";
    const JsonSummary summary{"Search Completed.", "byte", false, 7, 2, 2, 2468};
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
    EXPECT_EQ(rows[0]["date"].string(), "3/7/2006 4:05:09 PM");
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

TEST(ParseArguments, ReadsEveryOptionIntoTheRequest) {
    const auto parsed =
        parse({"scan", "--method=crc", "--no-subfolders", "--mask", "Pictures(*.jpg)", "--min",
               "10", "--max=20", "--exclude", "/data/skip/", "--hidden", "--no-protect", "--json",
               "--no-progress", "--max-files", "5", "/data", "/other/./x/../y/"});
    ASSERT_EQ(parsed.error, "");
    const auto& o = parsed.options;
    EXPECT_EQ(o.search.method, SearchMethod::Crc32);
    EXPECT_TRUE(o.search.includeHidden);
    EXPECT_FALSE(o.search.protectSystem);
    EXPECT_TRUE(o.json);
    EXPECT_EQ(o.progress, ProgressMode::Off);
    EXPECT_EQ(o.maxFiles, 5);

    const auto request = buildRequest(o);
    EXPECT_EQ(request.options.method, SearchMethod::Crc32);
    ASSERT_EQ(request.paths.size(), 3u);
    const auto& first = request.paths[0];
    EXPECT_EQ(first.folder, "/data");
    EXPECT_EQ(first.subFolders, "No");
    EXPECT_EQ(first.fileTypes, "Pictures(*.jpg)");
    EXPECT_EQ(first.minSize, "10");
    EXPECT_EQ(first.maxSize, "20");
    EXPECT_EQ(first.icon, kSearchIcon);
    EXPECT_EQ(request.paths[1].folder, "/other/y");
    const auto& excluded = request.paths[2];
    EXPECT_EQ(excluded.folder, "/data/skip");
    EXPECT_EQ(excluded.icon, kExcludeIcon);
    EXPECT_EQ(excluded.fileTypes, "");
    EXPECT_EQ(excluded.minSize, "");
    EXPECT_EQ(excluded.maxSize, "");
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
    EXPECT_EQ(request.paths[0].subFolders, "Yes");
    EXPECT_EQ(request.paths[0].fileTypes, "All files(*.*)");
    EXPECT_EQ(request.paths[0].minSize, "");
    EXPECT_EQ(request.paths[0].maxSize, "");
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
        {"scan", ""},
        {"load"},
        {"load", "a.pwf", "b.pwf"},
        {"load", "--session", "x.pwf", "a.pwf"},
        {"scan", "--rescan", "/data"},
        {"scan", "--export-marked", "/data"},
        {"scan", "--export=", "/data"},
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

TEST(NormalFolder, MakesAbsoluteNormalPathsWithoutTrailingSlash) {
    EXPECT_EQ(normalFolder("/"), "/");
    EXPECT_EQ(normalFolder("//"), "/");
    EXPECT_EQ(normalFolder("/a/b/"), "/a/b");
    EXPECT_EQ(normalFolder("/a/./b/../c//"), "/a/c");
    const std::string relative = normalFolder("x/y/");
    EXPECT_EQ(relative.front(), '/');
    EXPECT_TRUE(relative.ends_with("/x/y"));
}

} // namespace
} // namespace pw::cli
