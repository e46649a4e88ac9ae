// Ctrl-C during a scan. To make the moment of the signal certain, the test fills the pipe
// that is the program's stderr before starting it: the program's first progress line then
// blocks inside the scan until the test reads the pipe, and the signal arrives while the
// scan is provably still running.

#include "cli/json_reader.h"
#include "cli/run_cli.h"
#include "support/temp_tree.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>

namespace pw::test {
namespace {

// Whether some thread of the process is blocked in write(2) on its stderr: the
// syscall file of a thread sleeping in a system call starts with the call's number and
// its first argument ("1 0x2 ..." on x86-64 and the generic table).
bool blockedWritingStderr(pid_t pid) {
    namespace fs = std::filesystem;
    std::error_code ec;
    for (const auto& task : fs::directory_iterator("/proc/" + std::to_string(pid) + "/task", ec)) {
        std::ifstream in(task.path() / "syscall");
        std::string number;
        std::string firstArgument;
        in >> number >> firstArgument;
        if ((number == std::to_string(SYS_write)) && firstArgument == "0x2") {
            return true;
        }
    }
    return false;
}

// Fills the pipe through its write end until it would block, and makes that end block
// again for the child.
void fillPipe(int writeFd) {
    fcntl(writeFd, F_SETPIPE_SZ, 4096);
    const int flags = fcntl(writeFd, F_GETFL);
    fcntl(writeFd, F_SETFL, flags | O_NONBLOCK);
    const std::string filler(4096, '#');
    while (write(writeFd, filler.data(), filler.size()) > 0) {
    }
    fcntl(writeFd, F_SETFL, flags);
}

TEST(CliInterrupt, SigintEndsTheScanAsTerminatedWithStatus130) {
    if (!std::ifstream("/proc/self/syscall")) {
        GTEST_SKIP() << "this kernel does not show a thread's current system call";
    }
    TempTree tree;
    for (int folder = 0; folder < 20; ++folder) {
        for (int file = 0; file < 20; ++file) {
            tree.addRandomFile("d" + std::to_string(folder) + "/f" + std::to_string(file), 2000,
                               static_cast<std::uint32_t>(file));
        }
    }

    int outPipe[2];
    int errPipe[2];
    ASSERT_EQ(pipe2(outPipe, O_CLOEXEC), 0);
    ASSERT_EQ(pipe2(errPipe, O_CLOEXEC), 0);
    fillPipe(errPipe[1]);
    const std::string session = tree.path("s.pwf"); // written once the scan has ended
    const pid_t pid =
        spawnCli({"scan", "--progress", "--session", session, tree.root()}, outPipe[1], errPipe[1]);
    close(outPipe[1]);
    close(errPipe[1]);

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    bool blocked = false;
    while (!(blocked = blockedWritingStderr(pid)) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (blocked) {
        kill(pid, SIGINT);
    }
    std::string out;
    std::string err;
    readToEnd(outPipe[0], errPipe[0], out, err);
    const int status = waitForExit(pid);
    ASSERT_TRUE(blocked) << "the program never wrote its progress line";

    EXPECT_EQ(status, 130) << err;
    EXPECT_TRUE(err.find("Search Terminated.\n") != std::string::npos) << err;
    EXPECT_TRUE(err.find("Search Completed.") == std::string::npos) << err;
    // Whatever was found before the signal is listed, and only real files of the tree.
    for (const auto& group : parseGroups(out)) {
        for (const auto& path : group) {
            EXPECT_TRUE(path.starts_with(tree.root() + "/")) << path;
            EXPECT_TRUE(std::filesystem::is_regular_file(path)) << path;
        }
    }
    // The saved session keeps how the scan ended.
    EXPECT_EQ(parseJson(runCli({"load", "--json", session}).out)["status"].string(),
              "Search Terminated.");
}

} // namespace
} // namespace pw::test
