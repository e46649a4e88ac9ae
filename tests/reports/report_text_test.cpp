// The report texts: the header from the settings, both messages line by line, and the rule
// of the survey's price box.

#include "reports/get_sys_info.h"
#include "reports/report_text.h"

#include <gtest/gtest.h>
#include <regex>

namespace pw {
namespace {

const std::string kSystem = "Computer Name: desk\r\nOS : Linux\r\n";

TEST(ReportHeader, TellsTheInstallDateAndRunCountNullAndZeroBeforeTheFirstScan) {
    MemorySettingsStore store;
    EXPECT_EQ(reportHeader(store), "Install Date: Null Total Runs: 0\r\n\r\n");
    store.saveValue("GenInfo", "InsDate", "3/7/2024 9:05:01 PM");
    store.saveValue("GenInfo", "TotRun", "42");
    EXPECT_EQ(reportHeader(store), "Install Date: 3/7/2024 9:05:01 PM Total Runs: 42\r\n\r\n");
}

TEST(ErrorReportMessage, CarriesTheFailureTheMainWindowAndTheUsersAccountLineByLine) {
    ErrorReport report;
    report.error = {53, "File not found", "Delete Files X", "/data/a b/\xff.txt"};
    report.mainWindow = MainWindowState{SearchMethod::ByteToByte,
                                        true,
                                        {"Total Files Marked 2 Size 3.00 KB", "Duplicates : 4",
                                         "Files : 9", "Folders : 2", "00:00:03"},
                                        {{"/data/", "Yes", "All files(*.*)", "10", "", kSearchIcon},
                                         {"/data/cache/", "No", "*.tmp", "", "20", kExcludeIcon}}};
    report.account = "I pressed Delete\nand then\r\nit failed";
    EXPECT_EQ(errorReportMessage("HEADER\r\n\r\n", kSystem, report),
              "HEADER\r\n\r\n"
              "Computer Name: desk\r\nOS : Linux\r\n"
              "\r\n"
              "Error# 53-File not found\r\n"
              "Procedure: Delete Files X Line#: /data/a b/\xff.txt\r\n"
              "Version: 3.0-3005\r\n"
              "Search Engine: Byte-By-Byte, Fuzzy Logic:1\r\n"
              "Status: Total Files Marked 2 Size 3.00 KB{}Duplicates : 4{}Files : 9{}"
              "Folders : 2{}00:00:03\r\n"
              "\r\n"
              "Search Parameters:\r\n"
              "/data/ {SF} Yes {FT} All files(*.*) {MN} 10 {MX} \r\n"
              "/data/cache/ {SF} No {FT} *.tmp {MN}  {MX} 20\r\n"
              "\r\n"
              "Customer Feed Back:\r\n"
              "\r\n"
              "I pressed Delete\r\nand then\r\nit failed\r\n");

    const std::pair<SearchMethod, const char*> methods[] = {
        {SearchMethod::Crc32, "Search Engine: CRC32\r\n"},
        {SearchMethod::SameName, "Search Engine: Same Names\r\n"},
        {SearchMethod::ZeroSize, "Search Engine: Zero Size\r\n"}};
    for (const auto& [method, line] : methods) {
        report.mainWindow->method = method;
        EXPECT_NE(errorReportMessage("", "", report).find(line), std::string::npos) << line;
    }
    report.mainWindow->method = SearchMethod::ByteToByte;
    report.mainWindow->fuzzy = false;
    EXPECT_NE(errorReportMessage("", "", report).find("Fuzzy Logic:0\r\nStatus: "),
              std::string::npos);
}

TEST(ErrorReportMessage, WithoutAMainWindowLeavesOutItsSearchState) {
    ErrorReport report;
    report.error = {5, "Invalid procedure call", "Loading", "12"};
    EXPECT_EQ(errorReportMessage("H\r\n\r\n", "S\r\n", report),
              "H\r\n\r\nS\r\n\r\n"
              "Error# 5-Invalid procedure call\r\n"
              "Procedure: Loading Line#: 12\r\n"
              "Version: 3.0-3005\r\n"
              "\r\n"
              "Customer Feed Back:\r\n"
              "\r\n"
              "\r\n");
}

TEST(FeedbackMessage, CarriesTheReasonAndTheUsersAnswersWithNoLineEndAfterTheLast) {
    const Feedback feedback{kPriceReason, "J\xC3\xBCrgen", "j@example.org", "19.99",
                            "Too dear\nfor me"};
    EXPECT_EQ(feedbackMessage("HEADER\r\n\r\n", kSystem, feedback),
              "HEADER\r\n\r\n"
              "Computer Name: desk\r\nOS : Linux\r\n"
              "\r\n"
              "I was dissuaded by the price\r\n"
              "\r\n"
              "Name : J\xC3\xBCrgen\r\n"
              "Email : j@example.org\r\n"
              "Price  : 19.99\r\n"
              "\r\n"
              "Too dear\r\nfor me");
    // The reasons keep their trailing blanks in the mail.
    EXPECT_NE(feedbackMessage("", "", {0, "", "", "", ""})
                  .find("\r\nI am completely satisfied, but don't need it at this point \r\n"),
              std::string::npos);
}

TEST(PriceBox, AsksForAPriceWhenEmptyAndRefusesCharacters) {
    for (const char* empty : {"", "   "}) {
        const auto message = checkPrice(empty);
        ASSERT_TRUE(message) << '"' << empty << '"';
        EXPECT_EQ(message->title, "Please tell us");
        EXPECT_EQ(message->text,
                  "Please tell us what will be the Best Price for Pairwell in dollars");
    }
    for (const char* characters : {"abc", "12 dollars", "1.2.3"}) {
        const auto message = checkPrice(characters);
        ASSERT_TRUE(message) << characters;
        EXPECT_EQ(message->title, "Error");
        EXPECT_EQ(message->text,
                  "Please tell us the Best Price for Pairwell in dollars.\nCharacters are not "
                  "allowed");
    }
    for (const char* price : {"20", " 9.99 ", "0"}) {
        EXPECT_FALSE(checkPrice(price)) << price;
    }
}

// The system-information block: the lines from injected sources, values that cannot be
// read, the name from os-release, and one run on this machine that checks only the shape.
template <class T>
std::function<std::optional<T>()> gives(std::optional<T> value) {
    return [value] { return value; };
}

TEST(BuildSystemInfo, WritesEachSourceOnItsLineAndMemoryInItsOwnUnit) {
    SystemSources sources;
    sources.computerName = gives<std::string>("desk");
    sources.osName = gives<std::string>("Debian GNU/Linux 12 (bookworm)");
    sources.kernelRelease = gives<std::string>("6.1.0-18-amd64");
    sources.kernelVersion = gives<std::string>("#1 SMP PREEMPT_DYNAMIC Debian 6.1.76-1");
    // 8 GiB is 8233.26 units of 1043321 bytes; 1564982 bytes are 1.5000004 units.
    sources.memory = gives<MemoryStatus>(MemoryStatus{8589934592, 1564982});
    sources.ipAddress = gives<std::string>("192.168.1.20");
    EXPECT_EQ(BuildSystemInfo(sources), "Computer Name: desk\r\n"
                                        "OS : Debian GNU/Linux 12 (bookworm) 6.1.0-18-amd64\r\n"
                                        "Service Pack: #1 SMP PREEMPT_DYNAMIC Debian 6.1.76-1\r\n"
                                        "Total Ram: 8233\r\n"
                                        "Ram Available: 2\r\n"
                                        "IP Address: 192.168.1.20\r\n");
}

TEST(BuildSystemInfo, LeavesEveryValueThatCannotBeReadEmpty) {
    const std::string empty = "Computer Name: \r\nOS : \r\nService Pack: \r\nTotal Ram: \r\n"
                              "Ram Available: \r\nIP Address: \r\n";
    EXPECT_EQ(BuildSystemInfo(SystemSources{}), empty);
    SystemSources unreadable;
    unreadable.computerName = gives<std::string>(std::nullopt);
    unreadable.osName = gives<std::string>(std::nullopt);
    unreadable.kernelRelease = gives<std::string>("6.1.0");
    unreadable.memory = gives<MemoryStatus>(std::nullopt);
    EXPECT_EQ(BuildSystemInfo(unreadable),
              "Computer Name: \r\nOS : 6.1.0\r\nService Pack: \r\nTotal Ram: \r\n"
              "Ram Available: \r\nIP Address: \r\n");
}

TEST(BuildSystemInfo, ReadsThePrettyNameOfOsRelease) {
    EXPECT_EQ(prettyNameOf("NAME=\"Debian GNU/Linux\"\nPRETTY_NAME=\"Debian GNU/Linux 12 "
                           "(bookworm)\"\nID=debian\n"),
              "Debian GNU/Linux 12 (bookworm)");
    EXPECT_EQ(prettyNameOf("PRETTY_NAME='Arch Linux'\r\n"), "Arch Linux");
    EXPECT_EQ(prettyNameOf("PRETTY_NAME=Plain\nPRETTY_NAME=\"Say \\\"hi\\\" \\\\o/\""),
              "Say \"hi\" \\o/");
    EXPECT_EQ(prettyNameOf("NAME=Linux\n# PRETTY_NAME=commented\n"), std::nullopt);
}

TEST(BuildSystemInfo, OnThisMachineGivesTheSixLinesWithNumbersForMemory) {
    const std::string info = BuildSystemInfo();
    const std::regex shape("Computer Name: [^\r\n]+\r\n"
                           "OS : [^\r\n]*\r\n"
                           "Service Pack: [^\r\n]*\r\n"
                           "Total Ram: [1-9][0-9]*\r\n"
                           "Ram Available: [0-9]+\r\n"
                           "IP Address: ([0-9]+\\.[0-9]+\\.[0-9]+\\.[0-9]+)?\r\n");
    EXPECT_TRUE(std::regex_match(info, shape)) << info;
}

} // namespace
} // namespace pw
