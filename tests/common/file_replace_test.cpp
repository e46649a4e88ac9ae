// Writing an output file onto what a path names: device nodes, FIFOs and links made in a
// temporary folder, never the system's own.

#include "common/file_replace.h"
#include "support/temp_tree.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace pw {
namespace {

using test::TempTree;

mode_t kindOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
    return st.st_mode & S_IFMT;
}

// Regression: a device node as target was replaced by a regular file (as root,
// --export /dev/null would have turned /dev/null into a file).
TEST(WriteTargets, ACharacterDeviceIsWrittenIntoAndStaysADevice) {
    TempTree tree;
    const std::string null = tree.path("null");
    const std::string full = tree.path("full");
    if (::mknod(null.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0 ||
        ::mknod(full.c_str(), S_IFCHR | 0666, makedev(1, 7)) != 0) {
        GTEST_SKIP() << "mknod is not permitted here: " << std::strerror(errno);
    }
    EXPECT_TRUE(probeTarget(null).ok);
    EXPECT_TRUE(replaceFileContent(null, "list\n").ok);
    EXPECT_EQ(kindOf(null), S_IFCHR);
    // A device that refuses the bytes is a failure, not a success.
    const FileWriteResult refused = replaceFileContent(full, "list\n");
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(refused.message(), "Cannot write " + full + ": No space left on device.");
    EXPECT_EQ(kindOf(full), S_IFCHR);
}

// Regression: a FIFO was replaced by a regular file, so `--export >(gzip > x.gz)` wrote
// nothing into the pipe; and one without a reader must not hang the program.
TEST(WriteTargets, AFifoIsWrittenIntoWhileSomeoneReadsItAndFailsWithoutOne) {
    TempTree tree;
    const std::string fifo = tree.path("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(reader, 0);
    EXPECT_TRUE(probeTarget(fifo).ok);
    ASSERT_TRUE(replaceFileContent(fifo, "a,b\r\n").ok);
    char buffer[16] = {};
    EXPECT_EQ(::read(reader, buffer, sizeof buffer), 5);
    EXPECT_STREQ(buffer, "a,b\r\n");
    ::close(reader);

    const FileWriteResult alone = replaceFileContent(fifo, "a,b\r\n");
    EXPECT_FALSE(alone.ok);
    EXPECT_EQ(alone.message(), "Cannot write " + fifo + ": no program is reading from the pipe.");
    EXPECT_EQ(kindOf(fifo), S_IFIFO);

    // Regression: a reader that went away mid-write ended the whole process with SIGPIPE.
    // This one leaves once the writer has filled the pipe, so it is certainly still writing.
    const int leaving = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(leaving, 0);
    std::thread leaver([leaving] {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        int queued = 0;
        while (::ioctl(leaving, FIONREAD, &queued) == 0 && queued < 4096 &&
               std::chrono::steady_clock::now() < deadline) {
            std::this_thread::yield();
        }
        ::close(leaving);
    });
    const FileWriteResult broken = replaceFileContent(fifo, std::string(4 << 20, 'x'));
    leaver.join();
    EXPECT_FALSE(broken.ok);
    EXPECT_EQ(broken.error, EPIPE);
}

TEST(WriteTargets, ARegularFileIsReplacedWholeKeepingItsBitsAndTheLinksToIt) {
    TempTree tree;
    const std::string real = tree.addFile("real.csv", "old");
    ::chmod(real.c_str(), 0640);
    const std::string link = tree.addSymlink("real.csv", "link.csv");
    ASSERT_TRUE(replaceFileContent(link, "new").ok);
    EXPECT_EQ(kindOf(link), S_IFLNK);
    EXPECT_EQ(tree.read("real.csv"), "new");
    struct stat st {};
    ASSERT_EQ(::stat(real.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    const auto entries = std::distance(std::filesystem::directory_iterator(tree.root()), {});
    EXPECT_EQ(entries, 2) << "no temporary file is left";

    // Regression: a dangling link was replaced by a file (or its target created).
    const std::string dangling = tree.addSymlink("missing/target.csv", "dangling.csv");
    for (const FileWriteResult& r : {probeTarget(dangling), replaceFileContent(dangling, "x")}) {
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.message(), "Cannot write " + dangling + ": it is a symbolic link to nothing.");
    }
    EXPECT_EQ(kindOf(dangling), S_IFLNK);
    EXPECT_FALSE(std::filesystem::exists(tree.path("missing")));
}

// Regression: /dev/stdout redirected to a file (with >>) replaced that file, destroying
// what the shell had appended to it and what the program had printed.
TEST(WriteTargets, AnOwnDescriptorIsWrittenThroughWhereverItLeads) {
    TempTree tree;
    const std::string log = tree.addFile("log.txt", "before\n");
    const int fd = ::open(log.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    const std::string named = "/proc/self/fd/" + std::to_string(fd);
    EXPECT_TRUE(probeTarget(named).ok);
    EXPECT_TRUE(replaceFileContent(named, "export\n").ok);
    ::close(fd);
    EXPECT_EQ(tree.read("log.txt"), "before\nexport\n");
}

TEST(WriteTargets, FoldersBlockDevicesAndSocketsAreRefused) {
    TempTree tree;
    const std::string socketPath = tree.path("sock");
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    socketPath.copy(address.sun_path, sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    std::vector<std::pair<std::string, std::string>> cases = {
        {tree.addFolder("folder"), "Is a directory"}, {socketPath, "it is a socket, not a file"}};
    const std::string block = tree.path("disk");
    if (::mknod(block.c_str(), S_IFBLK | 0600, makedev(7, 0)) == 0) {
        cases.emplace_back(block, "it is a block device, not a file");
    }
    for (const auto& [path, cause] : cases) {
        const mode_t kind = kindOf(path);
        for (const FileWriteResult& r : {probeTarget(path), replaceFileContent(path, "x")}) {
            EXPECT_EQ(r.message(), "Cannot write " + path + ": " + cause + ".");
            EXPECT_EQ(r.title, "Error");
        }
        EXPECT_EQ(kindOf(path), kind);
    }
    ::close(fd);
}

} // namespace
} // namespace pw
