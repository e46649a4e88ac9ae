#include "fileops/error_log.h"
#include "support/temp_tree.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace pw {
namespace {

namespace fs = std::filesystem;

std::tm at(int year, int month, int day, int hour, int minute, int second) {
    std::tm time{};
    time.tm_year = year - 1900;
    time.tm_mon = month - 1;
    time.tm_mday = day;
    time.tm_hour = hour;
    time.tm_min = minute;
    time.tm_sec = second;
    return time;
}

TEST(ErrorRows, NumbersAndDescriptions) {
    EXPECT_EQ(unableToDelete("/d/a.txt"), (ErrorRow{"1005", "Unable to delete file", "/d/a.txt"}));
    EXPECT_EQ(unableToMove("/d/a.txt"), (ErrorRow{"1006", "Unable to move file", "/d/a.txt"}));
    EXPECT_EQ(unableToCopy("/d/a.txt"), (ErrorRow{"1007", "Unable to copy file", "/d/a.txt"}));
    EXPECT_EQ(fileChanged("/d/a.txt"),
              (ErrorRow{"1008", "File changed since the scan", "/d/a.txt"}));
}

TEST(ErrorLogTimes, DayMonthYearAndTwelveHourClock) {
    EXPECT_EQ(proposedErrorLogName(at(2026, 12, 5, 18, 32, 22)), "Error 05-12-2026");
    EXPECT_EQ(errorLogTime(at(2026, 12, 5, 18, 32, 22)), "05-Dec-2026 06:32:22 PM");
    EXPECT_EQ(errorLogTime(at(2026, 1, 31, 0, 5, 9)), "31-Jan-2026 12:05:09 AM");
    EXPECT_EQ(errorLogTime(at(2026, 6, 1, 12, 0, 0)), "01-Jun-2026 12:00:00 PM");
    EXPECT_EQ(errorLogTime(at(2026, 9, 10, 11, 59, 59)), "10-Sep-2026 11:59:59 AM");
    EXPECT_EQ(errorLogTime(at(2026, 5, 10, 23, 0, 0)), "10-May-2026 11:00:00 PM");
}

TEST(ErrorLogText, BannerColumnsAndOneLinePerRowWithCrLf) {
    const std::vector<ErrorRow> rows = {unableToDelete("/data/a.txt"),
                                        unableToDelete("/data/with, comma.txt")};
    const std::string rule = "---------------------------------------------------";
    ASSERT_EQ(rule.size(), 51u);
    const std::string expected = rule + "\r\n" +
                                 "Pairwell Deletion Error Log File.\r\n"
                                 "Created at : 05-Dec-2026 06:32:22 PM\r\n" +
                                 rule + "\r\n" + " \r\n" + "Error No, Description, File Name\r\n" +
                                 rule + "\r\n" +
                                 "1005, Unable to delete file, /data/a.txt\r\n"
                                 "1005, Unable to delete file, /data/with, comma.txt\r\n";
    EXPECT_EQ(errorLogText(rows, at(2026, 12, 5, 18, 32, 22)), expected);

    const std::string empty = errorLogText({}, at(2026, 12, 5, 18, 32, 22));
    EXPECT_EQ(empty, expected.substr(0, expected.find("1005")));
}

TEST(ErrorLogWriter, ReplacesAnOldLogWhole) {
    test::TempTree tree;
    const std::tm now = at(2026, 12, 5, 18, 32, 22);
    const std::string path =
        tree.addFile("logs/Error 05-12-2026.log", "old content, longer than a log line?");

    const std::vector<ErrorRow> rows = {unableToDelete("/data/a.txt")};
    EXPECT_EQ(writeErrorLog(path, rows, now, {}), "");
    EXPECT_EQ(tree.read("logs/Error 05-12-2026.log"), errorLogText(rows, now));
}

TEST(ErrorLogWriter, FailureIsReportedNotSwallowed) {
    test::TempTree tree;
    const std::tm now = at(2026, 12, 5, 18, 32, 22);
    EXPECT_NE(writeErrorLog(tree.path("no-such-folder/e.log"), {}, now, {}), "");
    EXPECT_FALSE(fs::exists(tree.path("no-such-folder")));
    EXPECT_NE(writeErrorLog(tree.path("logs/"), {}, now, {}), "");
    // A folder standing where the log should go is not replaced.
    tree.addFolder("taken.log/inside");
    EXPECT_NE(writeErrorLog(tree.path("taken.log"), {}, now, {}), "");
    EXPECT_TRUE(fs::is_directory(tree.path("taken.log/inside")));
    // A file of the result list is not replaced by the log.
    const std::string listed = tree.addFile("listed.log", "kept");
    ResultTable table;
    ResultTableRow row;
    row.name = "listed.log";
    row.folder = makeFolderText(tree.root() + "/");
    table.appendRow(row);
    EXPECT_EQ(writeErrorLog(listed, {}, now, table),
              listed + " is " + listed + ", a file of the result list; choose another file name.");
    EXPECT_EQ(tree.read("listed.log"), "kept");
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(tree.root())) {
        ++entries;
    }
    EXPECT_EQ(entries, 2u);
}

} // namespace
} // namespace pw
