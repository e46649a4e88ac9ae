// The Linux shell on real temporary trees: permanent delete, the question before each file,
// copy and move with taken names, moves across file systems (real where the machine has a
// second one, injected otherwise), copies that fail half way, and rename.

#include "fileops/linux_shell.h"
#include "support/scoped_env.h"
#include "support/temp_tree.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <vector>

namespace pw {
namespace {

namespace fs = std::filesystem;
using test::TempTree;

// System calls with faults switched on by a test.
class FaultySystemCalls : public SystemCalls {
public:
    std::string exdevFrom;                 // a rename from this path fails with EXDEV
    std::string failUnlink;                // an unlink of this path fails with EBUSY
    std::optional<std::size_t> writeLimit; // bytes written before ENOSPC
    bool shortWritesClaimFull = false;     // write half, report all: a lying device
    int failFsync = 0;                     // errno of every fsync on a file
    std::size_t written = 0;

    ssize_t write(int fd, const void* buffer, size_t size) override {
        if (writeLimit && written + size > *writeLimit) {
            const size_t room = *writeLimit - written;
            if (room == 0) {
                errno = ENOSPC;
                return -1;
            }
            size = room;
        }
        if (shortWritesClaimFull) {
            const ssize_t put = SystemCalls::write(fd, buffer, size / 2);
            return put < 0 ? put : static_cast<ssize_t>(size);
        }
        const ssize_t put = SystemCalls::write(fd, buffer, size);
        written += put > 0 ? static_cast<std::size_t>(put) : 0;
        return put;
    }
    int fsync(int fd) override {
        struct stat info {};
        if (failFsync != 0 && ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
            errno = failFsync;
            return -1;
        }
        return SystemCalls::fsync(fd);
    }
    int unlink(const std::string& path) override {
        if (path == failUnlink) {
            errno = EBUSY;
            return -1;
        }
        return SystemCalls::unlink(path);
    }
    int renameNoReplace(const std::string& from, const std::string& to) override {
        if (from == exdevFrom) {
            errno = EXDEV;
            return -1;
        }
        return SystemCalls::renameNoReplace(from, to);
    }
};

// A tree and a shell without a trash: these tests never reach one.
class LinuxShellTest : public ::testing::Test {
protected:
    TempTree tree;
    LinuxShell shell{TrashLocations{}};
};

std::vector<std::string> namesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

struct stat statOf(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::lstat(path.c_str(), &info), 0) << path;
    return info;
}

// A tree on another file system than `other`, or nullptr when the machine has none.
std::unique_ptr<TempTree> treeOnAnotherFileSystem(const TempTree& other) {
    struct stat shm {};
    if (::stat("/dev/shm", &shm) != 0 || !S_ISDIR(shm.st_mode) ||
        shm.st_dev == statOf(other.root()).st_dev) {
        return nullptr;
    }
    const test::ScopedEnv onShm("TMPDIR", "/dev/shm");
    return std::make_unique<TempTree>();
}

TEST(LinuxShellNames, CollisionNamesKeepTheExtension) {
    EXPECT_EQ(collisionName("a.txt", 2), "a (2).txt");
    EXPECT_EQ(collisionName("archive.tar.gz", 3), "archive.tar (3).gz");
    EXPECT_EQ(collisionName("README", 2), "README (2)");
    EXPECT_EQ(collisionName(".profile", 2), ".profile (2)");
    EXPECT_EQ(structuredDestination("/backup", "/home/ann/docs/"), "/backup/home/ann/docs/");
    EXPECT_EQ(structuredDestination("/backup/", "/"), "/backup/");
}

TEST_F(LinuxShellTest, PermanentDeleteUnlinksExactBytesOfTheName) {
    const std::string plain = tree.addFile("a.txt", "one");
    const std::string odd = tree.addFile("bad-\xff\xfe name.txt", "two");
    for (const auto& path : {plain, odd}) {
        const ShellResult result = ShellDelete(shell, path, {.toTrash = false});
        EXPECT_TRUE(result.ok) << result.message;
        EXPECT_FALSE(fs::exists(fs::symlink_status(path)));
    }
    const ShellResult missing = ShellDelete(shell, plain, {.toTrash = false});
    EXPECT_FALSE(missing.ok);
    EXPECT_EQ(missing.error, ENOENT);
    EXPECT_FALSE(missing.message.empty());
}

TEST_F(LinuxShellTest, AsksBeforeEachFileWhenYesToAllIsOff) {
    std::vector<std::string> asked;
    ConfirmAnswer reply = ConfirmAnswer::No;
    const Confirm confirm = [&](ShellOperation operation, const std::string& path) {
        EXPECT_EQ(operation, ShellOperation::Delete);
        asked.push_back(path);
        return reply;
    };
    const DeleteFlags ask{.toTrash = false, .yesToAll = false};
    const std::string file = tree.addFile("a.txt", "x");

    for (const ConfirmAnswer refusal : {ConfirmAnswer::No, ConfirmAnswer::Cancel}) {
        reply = refusal;
        const ShellResult result = ShellDelete(shell, file, ask, confirm);
        EXPECT_FALSE(result.ok);
        EXPECT_EQ(result.error, 0);
        EXPECT_EQ(result.answer, refusal);
        EXPECT_EQ(tree.read("a.txt"), "x");
    }
    reply = ConfirmAnswer::YesToAll;
    const ShellResult result = ShellDelete(shell, file, ask, confirm);
    EXPECT_TRUE(result.ok);
    EXPECT_EQ(result.answer, ConfirmAnswer::YesToAll);
    EXPECT_FALSE(fs::exists(file));
    EXPECT_EQ(asked, std::vector<std::string>(3, file));

    // With yes to all, nobody is asked.
    const std::string other = tree.addFile("b.txt", "y");
    EXPECT_TRUE(ShellDelete(shell, other, {.toTrash = false}, confirm).ok);
    EXPECT_EQ(asked.size(), 3u);
}

TEST_F(LinuxShellTest, CopiesBytesTimeAndModeUnderFreeNamesNeverOverwriting) {
    const std::string source = tree.addRandomFile("src/photo.jpg", 3 * 1024 * 1024 + 7, 5);
    tree.setMtime("src/photo.jpg", 1'600'000'000);
    ASSERT_EQ(::chmod(source.c_str(), 0640), 0);
    const std::string destination = tree.addFolder("dest");
    tree.addFile("dest/photo (2).jpg", "already here");

    std::vector<std::string> landed;
    for (int i = 0; i < 3; ++i) {
        const ShellResult result = ShellCopy(shell, source, destination, {});
        ASSERT_TRUE(result.ok) << result.message;
        landed.push_back(result.destination);
    }
    EXPECT_EQ(landed,
              (std::vector<std::string>{destination + "/photo.jpg", destination + "/photo (3).jpg",
                                        destination + "/photo (4).jpg"}));
    EXPECT_EQ(tree.read("dest/photo (2).jpg"), "already here");
    for (const auto& path : landed) {
        EXPECT_EQ(tree.read(path.substr(tree.root().size() + 1)),
                  test::randomBytes(3 * 1024 * 1024 + 7, 5));
        const struct stat info = statOf(path);
        EXPECT_EQ(info.st_mtime, 1'600'000'000);
        EXPECT_EQ(info.st_mode & 07777, 0640u);
    }
    EXPECT_TRUE(fs::exists(source));
    EXPECT_EQ(namesIn(destination).size(), 4u); // no temporary file left behind
}

TEST_F(LinuxShellTest, TakenNameFailsWhenRenamingIsOffAndKeepsFolderStructureWhenAsked) {
    const std::string source = tree.addFile("home/ann/a.txt", "new");
    const std::string destination = tree.addFolder("dest");
    tree.addFile("dest/a.txt", "old");

    const ShellResult refused = ShellCopy(shell, source, destination, {.renameOnCollision = false});
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(refused.error, EEXIST);
    EXPECT_EQ(tree.read("dest/a.txt"), "old");
    EXPECT_EQ(namesIn(destination), std::vector<std::string>{"a.txt"});

    const ShellResult kept = ShellCopy(shell, source, destination, {.keepFolderStructure = true});
    ASSERT_TRUE(kept.ok) << kept.message;
    EXPECT_EQ(kept.destination, destination + "/" + tree.root().substr(1) + "/home/ann/a.txt");
    EXPECT_EQ(tree.read(kept.destination.substr(tree.root().size() + 1)), "new");
}

TEST_F(LinuxShellTest, RefusesLinksAndMissingDestinations) {
    tree.addFile("target.txt", "t");
    const std::string link = tree.addSymlink(tree.path("target.txt"), "link.txt");
    const std::string destination = tree.addFolder("dest");

    EXPECT_EQ(ShellCopy(shell, link, destination, {}).error, EINVAL);
    EXPECT_EQ(ShellMove(shell, link, destination, {}).error, EINVAL);
    EXPECT_TRUE(fs::is_symlink(link));
    const ShellResult nowhere = ShellCopy(shell, tree.path("target.txt"), tree.path("none"), {});
    EXPECT_EQ(nowhere.error, ENOENT);
    EXPECT_TRUE(namesIn(destination).empty());
}

TEST_F(LinuxShellTest, RenamesOnOneFileSystemWithFreeNames) {
    const std::string first = tree.addFile("a/report \xe9.txt", "first");
    const std::string second = tree.addFile("b/report \xe9.txt", "second");
    const std::string destination = tree.addFolder("dest");
    const ino_t inode = statOf(first).st_ino;

    const ShellResult moved = ShellMove(shell, first, destination, {});
    ASSERT_TRUE(moved.ok) << moved.message;
    EXPECT_EQ(moved.destination, destination + "/report \xe9.txt");
    EXPECT_EQ(statOf(moved.destination).st_ino, inode); // a rename, not a copy
    EXPECT_FALSE(fs::exists(first));

    const ShellResult collided = ShellMove(shell, second, destination, {});
    ASSERT_TRUE(collided.ok) << collided.message;
    EXPECT_EQ(collided.destination, destination + "/report \xe9 (2).txt");
    EXPECT_EQ(tree.read("dest/report \xe9.txt"), "first");
    EXPECT_EQ(tree.read("dest/report \xe9 (2).txt"), "second");
}

TEST_F(LinuxShellTest, IntoItsOwnFolderLeavesTheFile) {
    const std::string file = tree.addFile("a/x.txt", "x");
    const ShellResult result = ShellMove(shell, file, tree.path("a/"), {});
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(namesIn(tree.path("a")), std::vector<std::string>{"x.txt"});
}

// A move across file systems copies, checks and only then removes the source.
void expectCrossMove(Shell& shell, TempTree& from, const std::string& destination) {
    const std::string source = from.addRandomFile("src/big.bin", 2 * 1024 * 1024 + 3, 9);
    from.setMtime("src/big.bin", 1'500'000'000);
    ASSERT_EQ(::chmod(source.c_str(), 0604), 0);
    const ShellResult result = ShellMove(shell, source, destination, {});
    ASSERT_TRUE(result.ok) << result.message;
    EXPECT_FALSE(fs::exists(source));
    EXPECT_EQ(result.destination, destination + "/big.bin");
    std::ifstream in(result.destination, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(bytes, test::randomBytes(2 * 1024 * 1024 + 3, 9));
    EXPECT_EQ(statOf(result.destination).st_mtime, 1'500'000'000);
    EXPECT_EQ(statOf(result.destination).st_mode & 07777, 0604u);
    EXPECT_EQ(namesIn(destination), std::vector<std::string>{"big.bin"});
}

TEST_F(LinuxShellTest, AcrossFileSystemsCopiesThenRemovesTheSource) {
    {
        FaultySystemCalls sys;
        sys.exdevFrom = tree.path("src/big.bin");
        LinuxShell faulty({}, sys);
        expectCrossMove(faulty, tree, tree.addFolder("dest"));
    }
    auto other = treeOnAnotherFileSystem(tree);
    if (!other) {
        GTEST_SKIP() << "no second file system (/dev/shm) on this machine: only the "
                        "injected cross-device move ran";
    }
    expectCrossMove(shell, *other, tree.addFolder("dest2"));
}

TEST_F(LinuxShellTest, FailedCrossCopyLeavesTheSourceAndNoPartialCopy) {
    const std::size_t size = 3 * 1024 * 1024;
    const std::string source = tree.addRandomFile("src/big.bin", size, 4);
    const std::string destination = tree.addFolder("dest");

    struct Fault {
        const char* what;
        std::function<void(FaultySystemCalls&)> arm;
        int error;
    };
    const std::vector<Fault> faults = {
        {"disk full half way", [](FaultySystemCalls& s) { s.writeLimit = 1536 * 1024; }, ENOSPC},
        {"sync fails", [](FaultySystemCalls& s) { s.failFsync = EIO; }, EIO},
        {"short writes reported as whole",
         [](FaultySystemCalls& s) { s.shortWritesClaimFull = true; }, EIO},
        {"source cannot be removed", [&](FaultySystemCalls& s) { s.failUnlink = source; }, EBUSY},
    };
    for (const auto& fault : faults) {
        SCOPED_TRACE(fault.what);
        FaultySystemCalls sys;
        sys.exdevFrom = source;
        fault.arm(sys);
        LinuxShell faulty({}, sys);
        const ShellResult result = ShellMove(faulty, source, destination, {});
        EXPECT_FALSE(result.ok);
        EXPECT_EQ(result.error, fault.error);
        EXPECT_FALSE(result.message.empty());
        EXPECT_EQ(tree.read("src/big.bin"), test::randomBytes(size, 4));
        EXPECT_TRUE(namesIn(destination).empty());
    }
}

TEST_F(LinuxShellTest, NeverReplacesAnExistingFile) {
    const std::string a = tree.addFile("d/a.txt", "a");
    tree.addFile("d/b.txt", "b");

    const ShellResult taken = shell.renameFile(a, tree.path("d/b.txt"));
    EXPECT_FALSE(taken.ok);
    EXPECT_EQ(taken.error, EEXIST);
    EXPECT_NE(taken.message.find("\"b.txt\" already exists"), std::string::npos);
    EXPECT_EQ(tree.read("d/a.txt"), "a");
    EXPECT_EQ(tree.read("d/b.txt"), "b");
    EXPECT_FALSE(RenameFile(shell, a, tree.path("d/b.txt")));

    // Letter case counts, and a leading blank is kept.
    EXPECT_TRUE(RenameFile(shell, a, tree.path("d/A.txt")));
    EXPECT_TRUE(RenameFile(shell, tree.path("d/A.txt"), tree.path("d/ c\xff.txt")));
    EXPECT_EQ(namesIn(tree.path("d")), (std::vector<std::string>{" c\xff.txt", "b.txt"}));
    EXPECT_EQ(tree.read("d/ c\xff.txt"), "a");
    EXPECT_FALSE(RenameFile(shell, tree.path("d/gone.txt"), tree.path("d/new.txt")));
}

} // namespace
} // namespace pw
