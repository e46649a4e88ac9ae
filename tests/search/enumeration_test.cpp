#include "search/enumeration.h"
#include "search/protected_trees.h"
#include "search/searches.h"
#include "support/temp_tree.h"

#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <set>
#include <sys/stat.h>

namespace pw {
namespace {

using test::TempTree;

struct Walk {
    FolderCounts counts;
    std::set<std::string> files; // full paths
    std::vector<FileIssue> issues;
};

Walk walk(const SearchPathEntry& entry, SearchOptions options = {},
          std::vector<std::string> excludedFolders = {}, const CancelToken* cancel = nullptr) {
    CancelToken none;
    ExcludedFolders excluded;
    for (const auto& folder : excludedFolders) {
        excluded.add(folder);
    }
    Walk result;
    EnumerationContext context{options, excluded, cancel != nullptr ? *cancel : none,
                               {},      {},       &result.issues};
    CandidateSet set;
    result.counts = GetFiles(entry, context, set);
    for (const Candidate& c : set.items()) {
        result.files.insert(set.fullPath(c));
    }
    return result;
}

SearchPathEntry row(const std::string& folder) {
    SearchPathEntry entry;
    entry.folder = folder;
    return entry;
}

TEST(GetFiles, TakesFilesOfSubFoldersOnlyWhenAskedAndCountsFolders) {
    TempTree tree;
    tree.addFile("a.txt", "a");
    tree.addFile("sub/b.txt", "b");
    tree.addFile("sub/deeper/c.txt", "c");
    tree.addFolder("empty");

    const Walk all = walk(row(tree.root()));
    EXPECT_EQ(all.files, (std::set<std::string>{tree.path("a.txt"), tree.path("sub/b.txt"),
                                                tree.path("sub/deeper/c.txt")}));
    EXPECT_EQ(all.counts.files, 3);
    EXPECT_EQ(all.counts.folders, 3);

    SearchPathEntry flat = row(tree.root() + "/"); // a trailing slash changes nothing
    flat.subFolders = "No";
    const Walk top = walk(flat);
    EXPECT_EQ(top.files, std::set<std::string>{tree.path("a.txt")});
    EXPECT_EQ(top.counts.folders, 0);

    flat.subFolders = "yes"; // compared exactly
    EXPECT_EQ(walk(flat).counts.folders, 0);
}

// Sub-folders are opened beneath their parent, which stays open for them while they wait;
// a tree deeper than the folders kept open for that must still be walked whole.
TEST(GetFiles, ATreeDeeperThanTheFoldersKeptOpenIsWalkedWhole) {
    TempTree tree;
    std::string folder;
    std::set<std::string> expected;
    for (int depth = 0; depth < 300; ++depth) {
        folder += "a/"; // listed before its sibling "b", which keeps its parent waiting
        expected.insert(tree.addFile(folder + "b/f.txt", "f"));
    }
    const Walk deep = walk(row(tree.root()));
    EXPECT_EQ(deep.files, expected);
    EXPECT_EQ(deep.counts.folders, 600);
    EXPECT_TRUE(deep.issues.empty());
}

TEST(GetFiles, MasksAndSizeLimitsChooseTheFiles) {
    TempTree tree;
    for (const char* name : {"photo.JPG", "photo.jpgx", "notes.txt", "README", "archive.tar.gz"}) {
        tree.addFile(name, "1");
    }
    tree.addFile("below.bin", std::string(10239, 'x'));
    tree.addFile("exact.bin", std::string(10240, 'x'));
    tree.addFile("above.bin", std::string(10241, 'x'));
    tree.addFile("empty.bin", "");
    using Names = std::set<std::string>;
    const struct {
        const char* types;
        const char* min;
        const char* max;
        SearchMethod method;
        Names expected;
    } cases[] = {
        // The lower-cased extension anywhere in the mask text: ".jpg" is inside "*.jpgx" too.
        {"Pictures(*.jpg;*.jpgx)", "", "", SearchMethod::ByteToByte, {"photo.JPG", "photo.jpgx"}},
        {"Images(*.JPGX)", "", "", SearchMethod::ByteToByte, {"photo.JPG", "photo.jpgx"}},
        {"Archives(*.gz)", "", "", SearchMethod::ByteToByte, {"archive.tar.gz"}},
        {"Text(*.txt)", "", "", SearchMethod::ByteToByte, {"notes.txt"}},
        {"Everything(*.*)",
         "",
         "",
         SearchMethod::ByteToByte,
         {"photo.JPG", "photo.jpgx", "notes.txt", "README", "archive.tar.gz", "below.bin",
          "exact.bin", "above.bin"}},
        // Limits are inclusive kilobytes; a blank maximum or a minimum that is no number is
        // none; empty files never count, except for the zero-size method, which ignores limits.
        {"*.bin", "10", "", SearchMethod::ByteToByte, {"exact.bin", "above.bin"}},
        {"*.bin", "", "10", SearchMethod::ByteToByte, {"below.bin", "exact.bin"}},
        {"*.bin", "", "  ", SearchMethod::ByteToByte, {"below.bin", "exact.bin", "above.bin"}},
        {"*.bin", "ten", "", SearchMethod::ByteToByte, {"below.bin", "exact.bin", "above.bin"}},
        {"*.bin", "10", "", SearchMethod::ZeroSize, {"empty.bin"}},
    };
    for (const auto& c : cases) {
        SearchPathEntry entry = row(tree.root());
        entry.fileTypes = c.types;
        entry.minSize = c.min;
        entry.maxSize = c.max;
        SearchOptions options;
        options.method = c.method;
        Names names;
        for (const std::string& path : walk(entry, options).files) {
            names.insert(path.substr(tree.root().size() + 1));
        }
        EXPECT_EQ(names, c.expected) << c.types << " " << c.min << " " << c.max;
    }
}

// Regression: the limits were a signed 32-bit byte count, so any limit above 2097151 KB
// (just under 2 GiB) failed the scan with "Overflow".
TEST(ParseSizeLimits, SixtyFourBitByteCountsAndTheirFailures) {
    EXPECT_EQ(parseSizeLimits("2097152", "").minBytes, 2147483648);  // 2 GiB
    EXPECT_EQ(*parseSizeLimits("", "4194304").maxBytes, 4294967296); // 4 GiB
    EXPECT_EQ(parseSizeLimits("9007199254740991", "").minBytes, 9223372036854774784);
    EXPECT_EQ(parseSizeLimits("-2097152", "").minBytes, -2147483648);
    EXPECT_EQ(*parseSizeLimits("", "1.5").maxBytes, 2048); // halves round to even
    EXPECT_EQ(*parseSizeLimits("", "2.5").maxBytes, 2048);
    for (const auto& [min, max, number, text] :
         {std::tuple("9007199254740992", "", 6, "Overflow"), std::tuple("1e400", "", 6, "Overflow"),
          std::tuple("", "big", 13, "Type mismatch")}) {
        try {
            parseSizeLimits(min, max);
            ADD_FAILURE() << "no failure for " << min << max;
        } catch (const ScanFailure& failure) {
            EXPECT_EQ(failure.number(), number);
            EXPECT_STREQ(failure.what(), text);
        }
    }
}

TEST(GetFiles, HiddenNamesNeedTheOptionAndLinksAreNeverFollowedNorTaken) {
    TempTree tree;
    tree.addFile(".hidden.txt", "1");
    tree.addFile(".cache/inside.txt", "2");
    tree.addFile("real/file.txt", "data");
    tree.addSymlink(tree.path("real/file.txt"), "link-to-file.txt");
    tree.addSymlink(tree.path("real"), "link-to-folder");
    tree.addSymlink(tree.root(), "real/loop");
    tree.addSymlink(tree.path("nowhere"), "dangling");
    const Walk w = walk(row(tree.root()));
    EXPECT_EQ(w.files, std::set<std::string>{tree.path("real/file.txt")});
    EXPECT_EQ(w.counts.folders, 1);
    SearchOptions options;
    options.includeHidden = true;
    const Walk all = walk(row(tree.root()), options);
    EXPECT_EQ(all.files.size(), 3u);
    EXPECT_EQ(all.counts.folders, 2);
}

TEST(GetFiles, ExcludedFoldersAreEnteredAndCountedButNothingInThemIsTaken) {
    TempTree tree;
    tree.addFile("keep/a.txt", "a");
    tree.addFile("skip/b.txt", "b");
    tree.addFile("skip/inner/c.txt", "c");
    tree.addFile("skipper/d.txt", "d"); // a longer name is another folder

    const Walk w = walk(row(tree.root()), {}, {tree.path("skip")});
    EXPECT_EQ(w.files,
              (std::set<std::string>{tree.path("keep/a.txt"), tree.path("skipper/d.txt")}));
    EXPECT_EQ(w.counts.folders, 3); // keep, skip, skipper; nothing inside skip

    // Typed with its trailing slash, the exclusion still holds.
    EXPECT_EQ(walk(row(tree.root()), {}, {tree.path("skip") + "/"}).files.size(), 2u);
    // Paths are case-sensitive here.
    EXPECT_EQ(walk(row(tree.root()), {}, {tree.path("SKIP")}).files.size(), 4u);
    // A search path that is itself excluded gives nothing.
    EXPECT_TRUE(walk(row(tree.path("skip")), {}, {tree.path("skip")}).files.empty());
}

TEST(GetFiles, MissingUnreadableOrFileRootsContributeNothing) {
    TempTree tree;
    tree.addFile("file.txt", "x");
    const Walk missing = walk(row(tree.path("absent")));
    EXPECT_TRUE(missing.files.empty());
    EXPECT_EQ(missing.counts.folders, 0);
    ASSERT_EQ(missing.issues.size(), 1u);
    EXPECT_EQ(missing.issues[0].error, ENOENT);

    const Walk notFolder = walk(row(tree.path("file.txt")));
    EXPECT_TRUE(notFolder.files.empty());
    ASSERT_EQ(notFolder.issues.size(), 1u);
    EXPECT_EQ(notFolder.issues[0].error, ENOTDIR);
}

TEST(GetFiles, AFolderThatCanBeListedButNotEnteredIsReported) {
    // A folder with read but no search permission lists its names, but none of them can
    // be looked at: it was taken silently for a folder without files.
    TempTree tree;
    tree.addFile("closed/a.txt", "x");
    tree.addFile("open/b.txt", "x");
    ::chmod(tree.root().c_str(), 0755);
    ::chmod(tree.path("open").c_str(), 0755);
    ::chmod(tree.path("closed").c_str(), 0744);
    const int status = test::runUnprivileged([&tree] {
        const Walk w = walk(row(tree.root()));
        const bool reported = w.issues.size() == 1 && w.issues[0].operation == "enter" &&
                              w.issues[0].path == tree.path("closed/") &&
                              w.issues[0].error == EACCES;
        return reported && w.files == std::set<std::string>{tree.path("open/b.txt")} ? 0 : 1;
    });
    EXPECT_EQ(status, 0);
}

TEST(GetFiles, CancellationStopsTheWalk) {
    TempTree tree;
    for (int k = 0; k < 20; ++k) {
        tree.addFile("d" + std::to_string(k) + "/f.txt", "x");
    }
    CancelToken cancel;
    cancel.cancel();
    const Walk w = walk(row(tree.root()), {}, {}, &cancel);
    EXPECT_TRUE(w.files.empty());
    EXPECT_EQ(w.counts.folders, 0);
}

TEST(GetFiles, SystemTreesNeedTheProtectionOffAndPseudoFileSystemsAreNeverEntered) {
    const std::vector<std::pair<std::string, bool>> paths = {{"/usr", true},
                                                             {"/usr/lib/x.so", true},
                                                             {"/var/lib/dpkg/status", true},
                                                             {"/var/lib", true},
                                                             {"/var/log/syslog", false},
                                                             {"/usrdata/file", false},
                                                             {"/home/me/usr/file", false},
                                                             {"/library", false},
                                                             {"/var/libx", false}};
    for (const auto& [path, expected] : paths) {
        EXPECT_EQ(isProtectedPath(path), expected) << path;
        // The walk asks for each entry of a folder without building its path: the path
        // split into its folder and its last name must give the same answer.
        const std::size_t slash = path.rfind('/');
        EXPECT_EQ(isProtectedEntry(path.substr(0, slash + 1), path.substr(slash + 1)), expected)
            << path;
    }
    // /etc always exists and holds regular files; the walks stay flat to stay quick.
    SearchPathEntry entry = row("/etc");
    entry.subFolders = "No";
    EXPECT_TRUE(walk(entry).files.empty());
    SearchOptions open;
    open.protectSystem = false;
    EXPECT_FALSE(walk(entry, open).files.empty());
    open.includeHidden = true;
    entry.folder = "/proc";
    EXPECT_TRUE(walk(entry, open).files.empty());
}

// Regression: an excluded "/t/Data" also excluded its sibling "/t/Database".
TEST(ExcludedFolders, NameTheWholeFolderNeverAPrefixOfItsName) {
    struct Case {
        const char* excluded;
        const char* folder;
        bool contained;
    };
    for (const Case& c :
         {Case{"/t/Data", "/t/Data/", true}, Case{"/t/Data/", "/t/Data/", true},
          Case{"/t/Data", "/t/Database/", false}, Case{"/t/Data/", "/t/Database/", false}}) {
        ExcludedFolders excluded;
        excluded.add(c.excluded);
        EXPECT_EQ(excluded.contains(c.folder), c.contained) << c.excluded << " " << c.folder;
    }
}

Candidate candidate(std::uint64_t device, std::uint64_t inode, const char* name) {
    Candidate c;
    c.device = device;
    c.inode = inode;
    c.name = name;
    c.nameLength = static_cast<std::uint32_t>(std::strlen(name));
    return c;
}

std::string names(const std::vector<Candidate>& candidates) {
    std::string out;
    for (const Candidate& c : candidates) {
        out += c.fileName();
    }
    return out;
}

// Regression: the device was ignored, so files with the same inode number on two file
// systems counted as one file and the second was dropped.
TEST(DropSecondListings, OneFileIsOneDeviceAndInode) {
    std::vector<Candidate> listed = {candidate(1, 7, "a"), candidate(2, 7, "b"),
                                     candidate(1, 7, "c"), candidate(1, 8, "d")};
    EXPECT_EQ(dropSecondListings(listed), 1);
    EXPECT_EQ(names(listed), "abd");

    std::vector<Candidate> sameName = {candidate(1, 7, "x"), candidate(2, 7, "x"),
                                       candidate(1, 7, "x")};
    EXPECT_EQ(dropRepeatedNames(sameName), 1);
    EXPECT_EQ(sameName.size(), 2u);
}

} // namespace
} // namespace pw
