// The export writers: the string builder, quoting and escaping, row selection, the page's
// shading, and golden files for a small list; writing the files is the file helpers' and the
// dialog's test.

#include "common/format.h"
#include "session/export_writers.h"
#include "support/table_with.h"

#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <regex>
#include <sstream>

namespace pw {
namespace {

ResultTableRow exportRow(const std::string& name, const std::string& folder, std::uint64_t size,
                         std::int32_t group, const std::string& version = "N/A") {
    ResultTableRow r;
    r.name = name;
    r.folder = makeFolderText(folder);
    r.size = size;
    r.modified = {2006, 3, 7, 16, 5, 9}; // "3/7/2006 4:05:09 PM"
    r.version = version;
    r.group = group;
    return r;
}

// Two groups, the second with a name that needs quoting and escaping, and a marked row.
ResultTable smallList() {
    ResultTable table =
        test::tableWith({exportRow("report.doc", "/home/ann/docs/", 24576, 1, "1.0.0.3"),
                         exportRow("report copy.doc", "/home/ann/old/", 24576, 1, "1.0.0.3"),
                         exportRow("a,\"b\"<i>&'x'.txt", "/srv/share/", 12, 2),
                         exportRow("plain.txt", "/srv/share/", 12, 2)});
    table.setMarked(2, true);
    return table;
}

HtmlSummary smallSummary() {
    return {"Files : 1234", "Duplicate Files: 2  Size: 24.01 KB", "12/31/2026"};
}

std::string dataFile(const std::string& name) {
    const char* root = std::getenv("PAIRWELL_TEST_DATA");
    EXPECT_NE(root, nullptr) << "PAIRWELL_TEST_DATA is not set";
    std::ifstream in(std::string(root != nullptr ? root : ".") + "/" + name, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(AppendStringBuilder, GrowsByBlocksAndReturnsExactlyTheCollectedText) {
    AppendString s;
    s.AddToString("abc");
    const std::string big(25000, 'x');
    s.AddToString(big);
    EXPECT_EQ(s.capacity(), 3 * AppendString::kGrowBy) << "whole blocks, not one per text";
    EXPECT_EQ(s.ReturnString(), "abc" + big);
    s.AddToString("!");
    EXPECT_EQ(s.ReturnString(), "abc" + big + "!");
}

TEST(DelimitedExport, OnlyFieldsThatNeedItAreQuoted) {
    EXPECT_EQ(delimitedField("plain", ","), "plain");
    EXPECT_EQ(delimitedField("a,b", ","), "\"a,b\"");
    EXPECT_EQ(delimitedField("say \"hi\"", ";"), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(delimitedField("two\r\nlines", ","), "\"two\r\nlines\"");
    EXPECT_EQ(delimitedField("a,b", ";"), "a,b");
    EXPECT_EQ(delimitedField("a::b", "::"), "\"a::b\"");
    EXPECT_EQ(delimitedField("anything", ""), "anything");
}

TEST(DelimitedExport, DelimiterOptionsAndTheirHeaders) {
    EXPECT_EQ(exportDelimiter("1", "x"), " ");
    EXPECT_EQ(exportDelimiter("2", "x"), ",");
    EXPECT_EQ(exportDelimiter("3", "x"), ";");
    EXPECT_EQ(exportDelimiter("4", "<>"), "<>");
    const ResultTable none;
    EXPECT_EQ(delimitedExportText(none, {}, ""),
              "File NameSize(Bytes)Last ModifiedVersionGroupPath\r\n\r\n");
    EXPECT_EQ(delimitedExportText(none, {}, ";"),
              "File Name;Size(Bytes);Last Modified;Version;Group;Path\r\n\r\n");
    // The "TAB" option writes a blank, so texts holding blanks are quoted.
    EXPECT_EQ(delimitedExportText(none, {}, " "),
              "\"File Name\" Size(Bytes) \"Last Modified\" Version Group Path\r\n\r\n");
}

TEST(DelimitedExport, RowSelectionAndProgress) {
    const ResultTable table = smallList();
    const std::string marked = delimitedExportText(table, {ExportRows::MarkFilesOnly, {}}, ",");
    EXPECT_EQ(marked, "File Name,Size(Bytes),Last Modified,Version,Group,Path\r\n"
                      "report copy.doc,24576,3/7/2006 4:05:09 PM,1.0.0.3,1,/home/ann/old/\r\n"
                      "\r\n");
    ResultTable unmarked = table;
    unmarked.setMarked(2, false);
    EXPECT_EQ(delimitedExportText(unmarked, {ExportRows::MarkFilesOnly, {}}, ","),
              "File Name,Size(Bytes),Last Modified,Version,Group,Path\r\n\r\n");
    std::vector<std::int64_t> progress;
    const std::string selected = delimitedExportText(
        table, {ExportRows::SelectedFilesOnly, [](int p) { return p == 4; }}, ",",
        [&progress](const SessionProgress& p) { progress.push_back(p.value * 10 + p.maximum); });
    EXPECT_NE(selected.find("\r\nplain.txt,12,"), std::string::npos);
    EXPECT_EQ(selected.find("report"), std::string::npos);
    EXPECT_EQ(progress, (std::vector<std::int64_t>{14, 24, 34, 44}));
}

TEST(HtmlExport, EveryCellAndStatusTextIsEscaped) {
    EXPECT_EQ(htmlEscape("<script>alert('x&y')</script> \"q\""),
              "&lt;script&gt;alert(&#39;x&amp;y&#39;)&lt;/script&gt; &quot;q&quot;");
    const ResultTable table =
        test::tableWith({exportRow("<img src=x onerror=alert(1)>", "/a<b>/", 1, 1)});
    const std::string page =
        htmlExportText(table, {}, {"Files : <b>", "Duplicate Files: <i>", "1/2/2026"});
    EXPECT_EQ(page.find("<img"), std::string::npos);
    EXPECT_EQ(page.find("/a<b>/"), std::string::npos);
    EXPECT_NE(page.find("&lt;img src=x onerror=alert(1)&gt;"), std::string::npos);
    EXPECT_NE(page.find("<td width='220'><b> &lt;b&gt;</b>"), std::string::npos);
    EXPECT_NE(page.find("<td width='220'><b> &lt;i&gt;</b>"), std::string::npos);
}

std::vector<std::string> rowClasses(const std::string& page) {
    std::vector<std::string> classes;
    for (std::size_t pos = page.find("<tr><td class='"); pos != std::string::npos;
         pos = page.find("<tr><td class='", pos + 1)) {
        const std::size_t start = pos + 15;
        classes.push_back(page.substr(start, page.find('\'', start) - start));
    }
    return classes;
}

TEST(HtmlExport, EveryGroupOfTheListCountsForTheShading) {
    ResultTable table;
    for (int g = 1; g <= 4; ++g) {
        table.appendRow(exportRow("f" + std::to_string(g), "/d/", 5, g));
        table.setMarked(g, g % 2 == 0);
    }
    EXPECT_EQ(rowClasses(htmlExportText(table, {}, {})),
              (std::vector<std::string>{"odd", "even", "odd", "even"}));
    // Only the second and fourth groups exported: both keep the "even" of the list.
    EXPECT_EQ(rowClasses(htmlExportText(table, {ExportRows::MarkFilesOnly, {}}, {})),
              (std::vector<std::string>{"even", "even"}));
}

// Regression: the group cell "N/A" of the zero-size listing made the shading comparison
// fail, so such a list could not be exported as a page at all.
TEST(HtmlExport, ZeroSizeRowsAreOneGroupForTheShading) {
    ResultTable table;
    table.setGrouped(false);
    for (int i = 0; i < 3; ++i) {
        table.appendRow(exportRow("empty" + std::to_string(i), "/d/", 0, 0, "N/A"));
    }
    const std::string page = htmlExportText(table, {}, {});
    EXPECT_EQ(rowClasses(page), (std::vector<std::string>{"odd", "odd", "odd"}));
    EXPECT_NE(page.find("<td class='odd'>N/A</td>"), std::string::npos);
}

TEST(HtmlExport, ShortStatusTextsGiveEmptyCells) {
    const std::string page = htmlExportText(ResultTable{}, {}, {"", "Dup", ""});
    EXPECT_NE(page.find("Total Scanned</td> <td width='220'><b></b></td></tr>\r\n"),
              std::string::npos);
    EXPECT_NE(page.find("Total Duplicates</td><td width='220'><b></b></td></tr>\r\n"),
              std::string::npos);
    EXPECT_TRUE(page.ends_with("</font></b></td></tr></table></body></html>\r\n"));
}

TEST(ExportGolden, SmallListAsDelimitedTextAndAsPage) {
    const ResultTable table = smallList();
    EXPECT_EQ(delimitedExportText(table, {}, ","), dataFile("export_small.csv"));
    EXPECT_EQ(htmlExportText(table, {}, smallSummary()), dataFile("export_small.htm"));
}

TEST(ExportFiles, TodayIsWrittenAsMonthDayYear) {
    const std::regex shortDate("(1[0-2]|[1-9])/(3[01]|[12][0-9]|[1-9])/[0-9]{4}");
    EXPECT_TRUE(std::regex_match(todayShortDate(), shortDate)) << todayShortDate();
}

} // namespace
} // namespace pw
