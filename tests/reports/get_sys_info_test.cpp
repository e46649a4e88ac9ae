// The system-information block: the lines from injected sources, values that cannot be
// read, the name from os-release, and one run on this machine that checks only the shape.

#include "reports/get_sys_info.h"

#include <gtest/gtest.h>
#include <regex>

namespace pw {
namespace {

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
