// The trash: info file first and exclusive, the file renamed into files/ under a free name,
// the info file removed when the rename fails, and entries a file manager can restore.
// Every trash lives in the test's temporary tree: HOME and XDG_DATA_HOME point there. Last,
// the stored choice between the trash and deleting for good.

#include "fileops/linux_shell.h"
#include "fileops/recycle_preference.h"
#include "fileops/trash.h"
#include "support/scoped_env.h"
#include "support/temp_tree.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace pw {
namespace {

namespace fs = std::filesystem;
using test::ScopedEnv;
using test::TempTree;

constexpr std::time_t kNow = 1'700'000'000;

std::string expectedDate(std::time_t time) {
    std::tm local{};
    localtime_r(&time, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    return text;
}

std::string percentDecode(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

// The Path value of an info file.
std::string infoPath(const std::string& infoText) {
    const auto start = infoText.find("\nPath=") + 6;
    return infoText.substr(start, infoText.find('\n', start) - start);
}

class TrashTest : public ::testing::Test {
protected:
    TempTree tree;
    ScopedEnv home{"HOME", tree.path("home")};
    ScopedEnv dataHome{"XDG_DATA_HOME", tree.path("home/deep/data")};
    std::string trash = tree.path("home/deep/data/Trash");
};

TEST_F(TrashTest, WritesInfoThenMovesTheFileUnderUniqueNames) {
    const std::string first = tree.addFile("a/same.txt", "first");
    const std::string second = tree.addFile("b/same.txt", "second");
    Trash bin(defaultTrashLocations());
    // The data folder does not exist yet: it is created, and nothing lands elsewhere.
    const ShellResult one = bin.moveToTrash(first, kNow);
    ASSERT_TRUE(one.ok) << one.message;
    const ShellResult two = bin.moveToTrash(second, kNow);
    ASSERT_TRUE(two.ok) << two.message;

    EXPECT_EQ(one.destination, trash + "/files/same.txt");
    EXPECT_EQ(two.destination, trash + "/files/same (2).txt");
    EXPECT_FALSE(fs::exists(first));
    EXPECT_FALSE(fs::exists(second));
    EXPECT_EQ(tree.read("home/deep/data/Trash/files/same.txt"), "first");
    EXPECT_EQ(tree.read("home/deep/data/Trash/files/same (2).txt"), "second");
    EXPECT_EQ(tree.read("home/deep/data/Trash/info/same.txt.trashinfo"),
              "[Trash Info]\nPath=" + first + "\nDeletionDate=" + expectedDate(kNow) + "\n");
    EXPECT_EQ(infoPath(tree.read("home/deep/data/Trash/info/same (2).txt.trashinfo")),
              percentEncodePath(second));
    EXPECT_EQ(fs::status(trash).permissions() & fs::perms::all, fs::perms::owner_all);
}

TEST_F(TrashTest, RestoringFromTheInfoGivesBackTheExactFile) {
    const std::string name = "odd name 100% \xff\n#.bin";
    const std::string original = tree.addRandomFile("src/" + name, 70'000, 3);
    Trash bin(defaultTrashLocations());
    const ShellResult result = bin.moveToTrash(original, kNow);
    ASSERT_TRUE(result.ok) << result.message;

    const std::string info = tree.read("home/deep/data/Trash/info/" + name + ".trashinfo");
    const std::string encoded = infoPath(info);
    EXPECT_NE(encoded.find("odd%20name%20100%25%20%FF%0A%23.bin"), std::string::npos);
    const std::string restored = percentDecode(encoded);
    ASSERT_EQ(restored, original);
    ASSERT_EQ(::rename(result.destination.c_str(), restored.c_str()), 0);
    EXPECT_EQ(tree.read("src/" + name), test::randomBytes(70'000, 3));
}

TEST_F(TrashTest, SkipsNamesTakenInInfoOrFiles) {
    tree.addFile("home/deep/data/Trash/info/x.txt.trashinfo", "someone else's");
    tree.addFile("home/deep/data/Trash/files/x (2).txt", "orphan without info");
    const std::string file = tree.addFile("x.txt", "mine");
    Trash bin(defaultTrashLocations());
    const ShellResult result = bin.moveToTrash(file, kNow);
    ASSERT_TRUE(result.ok) << result.message;
    EXPECT_EQ(result.destination, trash + "/files/x (3).txt");
    EXPECT_EQ(tree.read("home/deep/data/Trash/info/x.txt.trashinfo"), "someone else's");
    EXPECT_EQ(tree.read("home/deep/data/Trash/files/x (2).txt"), "orphan without info");
    EXPECT_FALSE(fs::exists(trash + "/info/x (2).txt.trashinfo"));
    EXPECT_TRUE(fs::exists(trash + "/info/x (3).txt.trashinfo"));
}

// Renames from the trashed file fail: the info file written first must go again.
class FailingRename : public SystemCalls {
public:
    int renameNoReplace(const std::string&, const std::string&) override {
        errno = EIO;
        return -1;
    }
};

TEST_F(TrashTest, FailedMoveRemovesTheInfoFileAndLeavesTheFile) {
    const std::string file = tree.addFile("keep.txt", "data");
    FailingRename sys;
    Trash bin(defaultTrashLocations(), sys);
    const ShellResult result = bin.moveToTrash(file, kNow);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, EIO);
    EXPECT_EQ(tree.read("keep.txt"), "data");
    EXPECT_TRUE(fs::is_empty(trash + "/info"));
    EXPECT_TRUE(fs::is_empty(trash + "/files"));

    LinuxShell shell(defaultTrashLocations(), sys);
    EXPECT_FALSE(ShellDelete(shell, file, {.toTrash = true}).ok);
    EXPECT_TRUE(fs::exists(file));
}

TEST_F(TrashTest, FilesOfOtherMountsUseTheTrashAtTheTop) {
    const std::string top = tree.addFolder("mount");
    const std::string file = tree.addFile("mount/dir/f.txt", "f");
    const std::string uid = std::to_string(::getuid());
    // No home trash on the file's device: the top folder's own trash is used.
    TrashLocations locations{.homeTrash = "",
                             .uid = ::getuid(),
                             .topDirectory = [&](const std::string&) { return top; }};
    Trash bin(locations);
    const ShellResult result = bin.moveToTrash(file, kNow);
    ASSERT_TRUE(result.ok) << result.message;
    EXPECT_EQ(result.destination, top + "/.Trash-" + uid + "/files/f.txt");
    // The path is kept relative to the top, so it survives another mount point.
    EXPECT_EQ(infoPath(tree.read("mount/.Trash-" + uid + "/info/f.txt.trashinfo")), "dir/f.txt");

    // A shared .Trash without the sticky bit must not be used; with it, .Trash/$uid is.
    tree.addFolder("mount/.Trash");
    const std::string second = tree.addFile("mount/g.txt", "g");
    ASSERT_TRUE(bin.moveToTrash(second, kNow).ok);
    EXPECT_TRUE(fs::exists(top + "/.Trash-" + uid + "/files/g.txt"));
    EXPECT_TRUE(fs::is_empty(top + "/.Trash"));

    ASSERT_EQ(::chmod((top + "/.Trash").c_str(), 01777), 0);
    const std::string third = tree.addFile("mount/h.txt", "h");
    const ShellResult shared = bin.moveToTrash(third, kNow);
    ASSERT_TRUE(shared.ok) << shared.message;
    EXPECT_EQ(shared.destination, top + "/.Trash/" + uid + "/files/h.txt");
}

TEST_F(TrashTest, FileOnAnotherFileSystemGoesToThatMountsTrash) {
    struct stat shm {};
    struct stat here {};
    if (::stat("/dev/shm", &shm) != 0 || ::stat(tree.root().c_str(), &here) != 0 ||
        shm.st_dev == here.st_dev) {
        GTEST_SKIP() << "no second file system (/dev/shm) on this machine";
    }
    std::optional<TempTree> other;
    {
        ScopedEnv tmp("TMPDIR", "/dev/shm");
        other.emplace();
    }
    const std::string file = other->addFile("sub/f.txt", "far");
    TrashLocations locations = defaultTrashLocations();
    // The mount's top stands in at the other tree's root, so nothing outside it is touched.
    locations.topDirectory = [&](const std::string&) { return other->root(); };
    Trash bin(locations);
    const ShellResult result = bin.moveToTrash(file, kNow);
    ASSERT_TRUE(result.ok) << result.message;
    const std::string own = ".Trash-" + std::to_string(::getuid());
    EXPECT_EQ(result.destination, other->root() + "/" + own + "/files/f.txt");
    EXPECT_EQ(other->read(own + "/files/f.txt"), "far");
    EXPECT_EQ(infoPath(other->read(own + "/info/f.txt.trashinfo")), "sub/f.txt");
    EXPECT_FALSE(fs::exists(trash + "/files/f.txt"));
}

TEST_F(TrashTest, NoUsableTrashLeavesTheFile) {
    const std::string file = tree.addFile("mount/f.txt", "f");
    tree.addSymlink(tree.path("elsewhere"), "mount/.Trash-" + std::to_string(::getuid()));
    TrashLocations locations{
        .homeTrash = "", .uid = ::getuid(), .topDirectory = [&](const std::string&) {
            return tree.path("mount");
        }};
    Trash bin(locations);
    const ShellResult result = bin.moveToTrash(file, kNow);
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.message.empty());
    EXPECT_EQ(tree.read("mount/f.txt"), "f");
    EXPECT_FALSE(fs::exists(tree.path("elsewhere")));
}

TEST_F(TrashTest, ShellDeleteToTrashEmptiesThePathAndFindsTheTopOfAMount) {
    const std::string file = tree.addFile("x/\xfe.txt", "bytes");
    LinuxShell shell;
    const ShellResult result = ShellDelete(shell, file, {});
    ASSERT_TRUE(result.ok) << result.message;
    EXPECT_FALSE(fs::exists(file));
    EXPECT_EQ(result.destination, trash + "/files/\xfe.txt");

    // Only looked up, never written: the top of /dev/shm's mount is /dev/shm.
    struct stat shm {};
    struct stat root {};
    if (::stat("/dev/shm", &shm) != 0 || ::stat("/dev", &root) != 0 || shm.st_dev == root.st_dev) {
        GTEST_SKIP() << "/dev/shm is not a mount of its own here: top folder lookup not checked";
    }
    EXPECT_EQ(findTopDirectory("/dev/shm"), "/dev/shm");
}

TEST(RecyclePreference, AbsentOrDamagedValueMeansTheTrash) {
    MemorySettingsStore store;
    EXPECT_EQ(loadRecyclePreference(store), RecyclePreference::RecycleBin);
    store.saveValue("Options", "RecycleBin", "11");
    EXPECT_EQ(loadRecyclePreference(store), RecyclePreference::Permanent);
    EXPECT_FALSE(sendsToRecycleBin(loadRecyclePreference(store)));
    for (const char* damaged : {"", "abc", "0", "111", "1 1"}) {
        store.saveValue("Options", "RecycleBin", damaged);
        EXPECT_EQ(loadRecyclePreference(store), RecyclePreference::RecycleBin) << damaged;
    }
    saveRecyclePreference(store, RecyclePreference::RecycleBin);
    EXPECT_EQ(store.value("Options", "RecycleBin"), "12");
    EXPECT_TRUE(sendsToRecycleBin(loadRecyclePreference(store)));
}

TEST(RecyclePreference, ToggleAsksOnlyBeforeSwitchingToPermanent) {
    MemorySettingsStore store;
    std::vector<UserMessage> asked;
    bool answer = false;
    const AskYesNo ask = [&](const UserMessage& question) {
        asked.push_back(question);
        return answer;
    };

    // No keeps the trash and stores nothing.
    EXPECT_EQ(toggleRecyclePreference(store, ask), RecyclePreference::RecycleBin);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].title, "Confirm");
    EXPECT_EQ(asked[0].text, "This will delete the files permanently i.e., they are not sent "
                             "to the recycle bin.\nAre you sure you want to preceed.");
    EXPECT_FALSE(store.value("Options", "RecycleBin").has_value());

    answer = true;
    EXPECT_EQ(toggleRecyclePreference(store, ask), RecyclePreference::Permanent);
    EXPECT_EQ(store.value("Options", "RecycleBin"), "11");
    EXPECT_EQ(asked.size(), 2u);

    // Back to the trash without a question.
    EXPECT_EQ(toggleRecyclePreference(store, ask), RecyclePreference::RecycleBin);
    EXPECT_EQ(store.value("Options", "RecycleBin"), "12");
    EXPECT_EQ(asked.size(), 2u);
}

TEST(RecyclePreference, DialogBoxStaysCheckedUnlessConfirmed) {
    UserMessage seen;
    EXPECT_TRUE(confirmRecycleBinUnchecked([&](const UserMessage& question) {
        seen = question;
        return false;
    }));
    EXPECT_EQ(seen.text, "This will delete the files permanently i.e., they are not sent to "
                         "the recycle bin.\nAre you sure to preceed.");
    EXPECT_EQ(seen.title, "Confirm");
    EXPECT_FALSE(confirmRecycleBinUnchecked([](const UserMessage&) { return true; }));
}

} // namespace
} // namespace pw
