#include "search/file_reader.h"
#include "search/scan.h"
#include "search/searches.h"
#include "support/temp_tree.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <mutex>
#include <sys/resource.h>

namespace pw {
namespace {

using test::TempTree;

class RecordingObserver : public ScanObserver {
public:
    void progress(const ScanProgress& p) override {
        stages.push_back(p.stage);
        if (onProgress) {
            onProgress(p);
        }
    }
    bool confirmManyFiles(std::int32_t files) override {
        askedFor = files;
        return continueManyFiles;
    }
    ErrorAnswer runtimeError(const RuntimeError& error) override {
        errors.push_back(error);
        return errors.size() <= retries ? ErrorAnswer::Retry : ErrorAnswer::Abort;
    }

    std::function<void(const ScanProgress&)> onProgress;
    std::vector<ScanStage> stages;
    std::vector<RuntimeError> errors;
    std::size_t retries = 0;
    std::int32_t askedFor = -1;
    bool continueManyFiles = true;
};

ScanRequest request(const std::vector<std::string>& folders, SearchMethod method,
                    bool fuzzy = false) {
    ScanRequest r;
    for (const auto& folder : folders) {
        SearchPathEntry entry;
        entry.folder = folder;
        r.paths.push_back(entry);
    }
    r.options.method = method;
    r.options.fuzzy = fuzzy;
    return r;
}

ScanResult scan(const ScanRequest& r) {
    RecordingObserver observer;
    CancelToken cancel;
    return StartScan(r, observer, cancel);
}

// The groups of a result as lists of paths relative to root.
std::vector<std::vector<std::string>> groups(const ScanResult& result, const TempTree& tree) {
    std::vector<std::vector<std::string>> out;
    std::int32_t group = -1;
    for (const ResultRow& row : result.rows) {
        if (row.group != group) {
            out.emplace_back();
            group = row.group;
        }
        out.back().push_back(row.fullPath().substr(tree.root().size() + 1));
    }
    return out;
}

using Groups = std::vector<std::vector<std::string>>;

TEST(ByteToByte, GroupsEqualFilesInCandidateOrderWithGroupIdsAndAlternatingToggles) {
    TempTree tree;
    const std::string a = test::randomBytes(3000, 1);
    const std::string b = test::randomBytes(3000, 2);
    tree.addFile("x/b2.dat", b);
    tree.addFile("x/a1.dat", a);
    tree.addFile("y/a1.dat", a);
    tree.addFile("y/b1.dat", b);
    tree.addFile("z/a.dat", a);
    tree.addFile("small/one.txt", "same");
    tree.addFile("small/two.txt", "same");
    tree.addFile("unique.dat", test::randomBytes(3000, 3));

    auto openDescriptors = [] {
        return std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                             std::filesystem::directory_iterator{});
    };
    const auto openBefore = openDescriptors();
    const ScanResult result = scan(request({tree.root()}, SearchMethod::ByteToByte));
    // The folders kept open for reading are closed, on another thread, before the result.
    EXPECT_EQ(openDescriptors(), openBefore);
    // Smaller size first; within a size, groups open in name-then-folder order.
    EXPECT_EQ(groups(result, tree), (Groups{{"small/one.txt", "small/two.txt"},
                                            {"z/a.dat", "x/a1.dat", "y/a1.dat"},
                                            {"y/b1.dat", "x/b2.dat"}}));
    ASSERT_EQ(result.rows.size(), 7u);
    EXPECT_EQ(result.rows[0].group, 1);
    EXPECT_EQ(result.rows[2].group, 2);
    EXPECT_EQ(result.rows[5].group, 3);
    EXPECT_EQ(result.groups, 3);
    EXPECT_EQ(result.totals.duplicateCount, 4);
    EXPECT_EQ(result.totals.duplicateSize, 4 + 3000 * 3);
    EXPECT_EQ(result.totals.filesFound, 8);
    EXPECT_EQ(result.totals.foldersFound, 4);
    EXPECT_EQ(result.totals.statusText(), "Search Completed.");
    EXPECT_EQ(result.totals.duplicatesText(), "Duplicate Files: 4  Size: 8.79 KB");
}

TEST(ByteToByte, FilesDifferingInTheirFirstMiddleOrLastByteAreNotDuplicates) {
    // Sizes that take several chunks, so every chunk boundary is crossed.
    for (const std::uint64_t size : {999ull, 2000ull, 16384ull, 16385ull, 300000ull, 2500000ull}) {
        TempTree tree;
        const std::string base = test::randomBytes(size, 11);
        std::string first = base;
        first.front() = static_cast<char>(first.front() ^ 1);
        std::string middle = base;
        middle[size / 2] = static_cast<char>(middle[size / 2] ^ 1);
        std::string last = base;
        last.back() = static_cast<char>(last.back() ^ 1);
        tree.addFile("base", base);
        tree.addFile("copy", base);
        tree.addFile("first", first);
        tree.addFile("middle", middle);
        tree.addFile("last", last);
        tree.addFile("last-copy", last);
        const ScanResult result = scan(request({tree.root()}, SearchMethod::ByteToByte));
        // "-" sorts before the "?" that ends a name in a record, so last-copy comes first.
        EXPECT_EQ(groups(result, tree), (Groups{{"base", "copy"}, {"last-copy", "last"}})) << size;
    }
}

TEST(ByteToByte, TheSameFileListedTwiceIsNeitherItsOwnDuplicateNorCountedTwice) {
    TempTree tree;
    tree.addFile("top/sub/a.txt", "content");
    tree.addFile("top/sub/b.txt", "other!!");
    tree.addFile("top/c.txt", "content");
    // Two rows reach top/sub; a hard link is a second name of one file.
    tree.addHardLink("top/c.txt", "top/sub/hard.txt");
    const ScanResult result =
        scan(request({tree.path("top"), tree.path("top/sub")}, SearchMethod::ByteToByte));
    EXPECT_EQ(groups(result, tree), (Groups{{"top/sub/a.txt", "top/c.txt"}}));
    // Listed: 4 under top, 3 again under top/sub; dropped: 3 second listings + 1 hard link.
    EXPECT_EQ(result.totals.filesFound, 3);
    EXPECT_EQ(result.totals.duplicateCount, 1);
}

TEST(ByteToByte, AFileThatVanishesOrChangesAfterTheListingIsNoDuplicate) {
    TempTree tree;
    const std::string data = test::randomBytes(5000, 5);
    tree.addFile("a", data);
    tree.addFile("b", data);
    tree.addFile("c", data);
    tree.addFile("d", data);
    RecordingObserver observer;
    observer.onProgress = [&](const ScanProgress& p) {
        if (p.stage == ScanStage::Sorting) {
            tree.remove("b");
            tree.addFile("d", data + "grown"); // different size now
        }
    };
    CancelToken cancel;
    const ScanResult result =
        StartScan(request({tree.root()}, SearchMethod::ByteToByte), observer, cancel);
    EXPECT_EQ(groups(result, tree), (Groups{{"a", "c"}}));
    ASSERT_EQ(result.issues.size(), 2u);
    EXPECT_EQ(result.issues[0].path, tree.path("b"));
    EXPECT_EQ(result.issues[0].error, ENOENT);
    EXPECT_EQ(result.issues[1].path, tree.path("d"));
}

// One change to the tree, made by the reader's test hook when `event` comes for `path`.
struct TreeChange {
    ReadEvent event;
    std::string path;
    std::function<void()> change;
};

std::mutex g_changeMutex;
TreeChange* g_change = nullptr;

void changeTree(ReadEvent event, const std::string& path) {
    std::lock_guard lock(g_changeMutex);
    if (g_change != nullptr && g_change->change && event == g_change->event &&
        path == g_change->path) {
        std::exchange(g_change->change, nullptr)();
    }
}

// Installs the change for one scan.
class ChangeDuringScan {
public:
    explicit ChangeDuringScan(TreeChange change) : m_change(std::move(change)) {
        g_change = &m_change;
        setReadHookForTests(changeTree);
    }
    ~ChangeDuringScan() {
        setReadHookForTests(nullptr);
        g_change = nullptr;
    }
    ChangeDuringScan(const ChangeDuringScan&) = delete;
    ChangeDuringScan& operator=(const ChangeDuringScan&) = delete;
    bool made() const { return !m_change.change; }

private:
    TreeChange m_change;
};

TEST(ChangingTree, AFileRewrittenInPlaceAfterItsBytesWereReadIsNoDuplicate) {
    // A file rewritten in place (same size, new time) after its bytes were compared was
    // still reported as a duplicate of what it no longer holds.
    TempTree tree;
    const std::string data = test::randomBytes(5000, 7);
    for (const char* name : {"a", "b", "c"}) {
        tree.addFile(name, data);
    }
    for (const SearchMethod method : {SearchMethod::ByteToByte, SearchMethod::Crc32}) {
        for (const bool fuzzy : {false, true}) {
            if (fuzzy && method == SearchMethod::Crc32) {
                continue;
            }
            SCOPED_TRACE(std::to_string(static_cast<int>(method)) + (fuzzy ? " fuzzy" : ""));
            const ChangeDuringScan rewrite({ReadEvent::AfterLastRead, tree.path("b"), [&tree] {
                                                const std::string path = tree.path("b");
                                                std::FILE* f = std::fopen(path.c_str(), "r+");
                                                std::fputs("changed", f);
                                                std::fclose(f);
                                                tree.setMtime("b", std::time(nullptr) + 3600);
                                            }});
            const ScanResult result = scan(request({tree.root()}, method, fuzzy));
            EXPECT_TRUE(rewrite.made());
            EXPECT_EQ(groups(result, tree), (Groups{{"a", "c"}}));
            ASSERT_EQ(result.issues.size(), 1u);
            EXPECT_EQ(result.issues[0].path, tree.path("b"));
            EXPECT_EQ(result.issues[0].message, "File changed since the scan");
        }
    }
}

TEST(ChangingTree, AFolderSwappedForALinkIsNotFollowed) {
    // Files were opened by their full path, so a listed folder replaced by a link before
    // its files were read led the reads into the link's target.
    TempTree tree;
    const std::string data = test::randomBytes(3000, 8);
    tree.addFile("keep", data);
    tree.addFile("sub/twin", data);
    tree.addFile("elsewhere/twin", test::randomBytes(3000, 9));
    // The root may itself be reached through a link: the user named it.
    tree.addSymlink(tree.root(), "via-link");
    const ChangeDuringScan swap({ReadEvent::BeforeOpen, tree.path("via-link/sub/twin"), [&tree] {
                                     std::rename(tree.path("sub").c_str(),
                                                 tree.path("sub.old").c_str());
                                     tree.addSymlink(tree.path("elsewhere"), "sub");
                                 }});
    ScanRequest r = request({tree.path("via-link")}, SearchMethod::ByteToByte);
    r.paths.push_back(request({tree.path("via-link/elsewhere")}, {}).paths[0]);
    r.paths.back().icon = kExcludeIcon;
    const ScanResult result = scan(r);
    EXPECT_TRUE(swap.made());
    // The twin is read in the folder that was listed, never in the link's target.
    EXPECT_EQ(groups(result, tree), (Groups{{"via-link/keep", "via-link/sub/twin"}}));
    EXPECT_TRUE(result.issues.empty());
}

// Past the room for open folders, a folder's files are opened beneath the nearest folder
// kept open on their way; a folder swapped for a link must still lead nowhere from there.
TEST(ChangingTree, WithRoomForFewOpenFoldersAFolderSwappedForALinkIsStillNotFollowed) {
    TempTree tree;
    const std::string data = test::randomBytes(3000, 10);
    Groups expected(1);
    for (int k = 0; k < 180; ++k) {
        char name[32];
        std::snprintf(name, sizeof name, "top/d%03d/twin", k);
        tree.addFile(name, data);
        if (k < 179) {
            expected[0].push_back(name);
        }
    }
    tree.addFile("elsewhere/twin", data);
    const ChangeDuringScan swap({ReadEvent::BeforeOpen, tree.path("top/d179/twin"), [&tree] {
                                     std::rename(tree.path("top/d179").c_str(),
                                                 tree.path("d179.old").c_str());
                                     tree.addSymlink(tree.path("elsewhere"), "top/d179");
                                 }});
    // Room for 128 open folders: the last of the 180 are not kept open.
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    rlimit few = saved;
    few.rlim_cur = std::min<rlim_t>(256, saved.rlim_max);
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &few), 0);
    const ScanResult result = scan(request({tree.path("top")}, SearchMethod::ByteToByte));
    ::setrlimit(RLIMIT_NOFILE, &saved);
    EXPECT_TRUE(swap.made());
    EXPECT_EQ(groups(result, tree), expected);
    ASSERT_EQ(result.issues.size(), 1u);
    EXPECT_EQ(result.issues[0].path, tree.path("top/d179/twin"));
    EXPECT_EQ(result.issues[0].error, ELOOP);
}

TEST(ByteToByte, OutputDoesNotDependOnCreationOrder) {
    auto build = [](TempTree& tree, bool reversed) {
        for (int n = 0; n < 40; ++n) {
            const int k = reversed ? 39 - n : n;
            // Pairs of names equal but for case in one folder make records that tie when
            // case is ignored.
            const std::string name = (k % 2 ? "Dup" : "dup") + std::to_string(k / 2) + ".bin";
            tree.addFile("f" + std::to_string(k / 2 % 3) + "/" + name,
                         test::randomBytes(1000, static_cast<std::uint32_t>(k % 4)));
        }
    };
    TempTree forward;
    TempTree backward;
    build(forward, false);
    build(backward, true);
    const ScanResult a = scan(request({forward.root()}, SearchMethod::ByteToByte));
    const ScanResult b = scan(request({backward.root()}, SearchMethod::ByteToByte));
    EXPECT_FALSE(a.rows.empty());
    EXPECT_EQ(groups(a, forward), groups(b, backward));
}

TEST(Crc32, FindsTheSameGroupsAsByteToByte) {
    TempTree tree;
    for (int k = 0; k < 12; ++k) {
        tree.addRandomFile("d" + std::to_string(k % 3) + "/f" + std::to_string(k), 4096,
                           static_cast<std::uint32_t>(k % 5));
    }
    const ScanResult bytes = scan(request({tree.root()}, SearchMethod::ByteToByte));
    const ScanResult crc = scan(request({tree.root()}, SearchMethod::Crc32));
    EXPECT_EQ(groups(crc, tree), groups(bytes, tree));
    EXPECT_EQ(crc.totals.duplicateCount, 12 - 5);
}

TEST(Fuzzy, HalfOfTheFullBlocksMustBeEqual) {
    TempTree tree;
    const std::string base = test::randomBytes(5000, 21);
    std::string oneBlock = base;
    for (int k = 2000; k < 3000; ++k) {
        oneBlock[static_cast<std::size_t>(k)] ^= 0x5A;
    }
    tree.addFile("five/a", base);
    tree.addFile("five/b", oneBlock); // 80 percent equal
    const std::string two = test::randomBytes(2000, 22);
    std::string twoOther = two;
    twoOther[10] ^= 1;
    twoOther[1500] ^= 1;
    tree.addFile("two/a", two);
    tree.addFile("two/b", twoOther); // both blocks differ
    // Without a full block there is nothing to judge by: such files are compared byte by
    // byte, so that switching the tolerant mode on never hides an exact duplicate.
    tree.addFile("tiny/a", std::string(999, 'q'));
    tree.addFile("tiny/b", std::string(999, 'q'));
    tree.addFile("tiny/c", std::string(998, 'q') + "r");
    tree.addFile("four/.hidden", test::randomBytes(4000, 23));
    std::string half = test::randomBytes(4000, 23);
    half[0] ^= 1;
    half[1000] ^= 1;
    tree.addFile("four/visible", half); // exactly 50 percent

    ScanRequest r = request({tree.root()}, SearchMethod::ByteToByte, true);
    r.options.includeHidden = true;
    const ScanResult result = scan(r);
    EXPECT_EQ(
        groups(result, tree),
        (Groups{{"tiny/a", "tiny/b"}, {"four/.hidden", "four/visible"}, {"five/a", "five/b"}}));
}

TEST(Fuzzy, KeepsThePairwiseOrderOfANonTransitiveMatch) {
    // a~b and b~c, but a and c differ in too many blocks: a's group takes b, and c, left
    // alone, forms no group.
    TempTree tree;
    const std::string a = test::randomBytes(4000, 31);
    std::string b = a;
    std::string c = a;
    for (int k = 0; k < 1000; ++k) {
        b[static_cast<std::size_t>(k)] ^= 1;
        c[static_cast<std::size_t>(k)] ^= 1;
        c[static_cast<std::size_t>(1000 + k)] ^= 1;
        c[static_cast<std::size_t>(2000 + k)] ^= 1;
    }
    tree.addFile("1", a);
    tree.addFile("2", b);
    tree.addFile("3", c);
    const ScanResult result = scan(request({tree.root()}, SearchMethod::ByteToByte, true));
    EXPECT_EQ(groups(result, tree), (Groups{{"1", "2"}}));
}

TEST(SameName, GroupsNamesWithoutRegardToCaseWhateverTheContent) {
    TempTree tree;
    tree.addFile("a/Report.doc", "short");
    tree.addFile("b/report.DOC", "a longer one");
    tree.addFile("c/Report.doc", "mid");
    tree.addFile("c/alone.txt", "x");
    tree.addFile("d/readme.txt", "1");
    tree.addFile("e/README.TXT", "2");
    tree.addFile("same/one.txt", "equal");
    tree.addFile("same/two.txt", "equal"); // equal content, other names: no group

    const ScanResult result = scan(request({tree.root()}, SearchMethod::SameName));
    EXPECT_EQ(groups(result, tree), (Groups{{"d/readme.txt", "e/README.TXT"},
                                            {"c/Report.doc", "a/Report.doc", "b/report.DOC"}}));
    EXPECT_EQ(result.totals.duplicateCount, 3);
    EXPECT_EQ(result.totals.duplicateSize, 1 + 5 + 12);
}

TEST(SameName, AHardLinkListedFirstUnderAnotherNameKeepsItsSameNamePair) {
    // Regression: a file whose inode was listed before under another name was dropped as a
    // second listing, so a real same-name pair disappeared.
    TempTree tree;
    tree.addFile("a/report.doc", "one");
    tree.addFile("b/report.doc", "two");
    tree.addHardLink("b/report.doc", "a/copy.doc");   // listed before b/report.doc
    tree.addHardLink("b/report.doc", "c/report.doc"); // the same file under the same name
    // The root's row and a/'s row both list a/report.doc: one file, listed twice.
    const ScanResult result = scan(request({tree.root(), tree.path("a")}, SearchMethod::SameName));
    EXPECT_EQ(groups(result, tree), (Groups{{"a/report.doc", "b/report.doc"}}));
    EXPECT_EQ(result.totals.filesFound, 3);
    EXPECT_EQ(result.totals.duplicateCount, 1);
}

TEST(ZeroSize, ListsEveryEmptyFileOnceWithoutGroups) {
    TempTree tree;
    tree.addFile("a/empty1", "");
    tree.addFile("b/empty2", "");
    tree.addFile("b/empty3.txt", "");
    tree.addFile("b/full", "x");
    tree.addHardLink("a/empty1", "c/link");
    const ScanResult result = scan(request({tree.root()}, SearchMethod::ZeroSize));
    EXPECT_FALSE(result.grouped);
    ASSERT_EQ(result.rows.size(), 3u);
    for (const ResultRow& row : result.rows) {
        EXPECT_EQ(row.size, 0u);
        EXPECT_EQ(row.version, "N/A");
        EXPECT_EQ(row.group, 0);
    }
    EXPECT_EQ(result.totals.filesFound, 3);
    EXPECT_EQ(result.totals.duplicateCount, 0);
}

TEST(AbsoluteFolder, MakesAbsoluteNormalPathsWithoutTrailingSlash) {
    for (const auto& [text, expected] : std::vector<std::pair<std::string, std::string>>{
             {"/", "/"}, {"//", "/"}, {"/a/b/", "/a/b"}, {"/a/./b/../c//", "/a/c"}, {"", ""}}) {
        EXPECT_EQ(absoluteFolder(text), expected) << text;
    }
    EXPECT_EQ(absoluteFolder("x/y/"), std::filesystem::current_path().string() + "/x/y");
}

TEST(Scan, RelativeAndUntidyRowsAreWalkedAsAbsoluteFolders) {
    // Excluded folders and listed paths are compared as texts: a relative or untidy row
    // must still exclude, and list files under, the absolute folder it names.
    TempTree tree;
    tree.addFile("data/a", "same");
    tree.addFile("data/b", "same");
    tree.addFile("data/skip/c", "same");
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(tree.root());
    ScanRequest r = request({"data/./x/../"}, SearchMethod::ByteToByte);
    SearchPathEntry excluded;
    excluded.folder = "data//skip/";
    excluded.icon = kExcludeIcon;
    r.paths.push_back(excluded);
    const ScanResult result = scan(r);
    EXPECT_EQ(groups(result, tree), (Groups{{"data/a", "data/b"}}));
    EXPECT_EQ(result.searchFolders, (std::vector<std::string>{tree.root() + "/data"}));
    // Only the excluded row left: nothing found, and the search completes.
    r.paths.erase(r.paths.begin());
    const ScanResult none = scan(r);
    std::filesystem::current_path(previous);
    EXPECT_EQ(none.totals.statusText(), "Search Completed.");
    EXPECT_EQ(none.totals.filesFound + none.totals.duplicateCount, 0);
}

// Cancelled before the walk, nothing is listed; cancelled during the comparison, only the
// groups compared whole are kept.
TEST(Scan, CancellingEndsTerminatedKeepingOnlyWholeEarlierGroups) {
    TempTree tree;
    for (int k = 0; k < 60; ++k) {
        tree.addRandomFile("f" + std::to_string(k), 100 + static_cast<std::uint64_t>(k / 2),
                           static_cast<std::uint32_t>(k / 2));
    }
    for (const bool beforeTheWalk : {true, false}) {
        RecordingObserver observer;
        CancelToken cancel;
        if (beforeTheWalk) {
            cancel.cancel();
        }
        observer.onProgress = [&](const ScanProgress& p) {
            if (p.stage == ScanStage::Sorting) {
                cancel.cancel();
            }
        };
        const ScanResult result =
            StartScan(request({tree.root()}, SearchMethod::ByteToByte), observer, cancel);
        EXPECT_EQ(result.totals.statusText(), "Search Terminated.");
        EXPECT_EQ(result.rows.size() % 2, 0u); // whole pairs only
        EXPECT_EQ(static_cast<std::int32_t>(result.rows.size()) / 2, result.totals.duplicateCount);
        EXPECT_TRUE(!beforeTheWalk || result.rows.empty());
    }
}

TEST(Scan, SizeLimitsThatOverflowAskAndAbortAsTerminated) {
    TempTree tree;
    tree.addFile("a", "x");
    ScanRequest r = request({tree.root()}, SearchMethod::ByteToByte);
    r.paths[0].minSize = "9007199254740992"; // 2^63 bytes
    RecordingObserver observer;
    observer.retries = 1; // retry once: the same failure comes back
    CancelToken cancel;
    const ScanResult result = StartScan(r, observer, cancel);
    ASSERT_EQ(observer.errors.size(), 2u);
    EXPECT_EQ(observer.errors[0].procedure, "Scanning");
    EXPECT_EQ(observer.errors[0].number, 6);
    EXPECT_EQ(observer.errors[0].description, "Overflow");
    EXPECT_TRUE(result.totals.cancelled);
}

TEST(Scan, MoreFilesThanTheLimitAskFirst) {
    EXPECT_EQ(ScanRequest{}.manyFilesLimit, 100000);
    EXPECT_EQ(manyFilesTitle(100001),
              "You are about to scan a collection of too many files, total 100001 files.  ");
    // A lowered limit stands in for 100000 files: the boundary is the same comparison.
    TempTree tree;
    tree.addFile("many/a", "");
    tree.addFile("many/b", "");
    ScanRequest r = request({tree.path("many")}, SearchMethod::ZeroSize);
    r.manyFilesLimit = 2;
    RecordingObserver exact;
    CancelToken cancel;
    EXPECT_EQ(StartScan(r, exact, cancel).rows.size(), 2u);
    EXPECT_EQ(exact.askedFor, -1); // exactly the limit: no question

    tree.addFile("many/c", "");
    RecordingObserver declining;
    declining.continueManyFiles = false;
    const ScanResult declined = StartScan(r, declining, cancel);
    EXPECT_EQ(declining.askedFor, 3);
    EXPECT_TRUE(declined.rows.empty());
    EXPECT_EQ(declined.totals.statusText(), "Search Completed.");
}

TEST(SearchProgress, StatusAndCaptionTexts) {
    const ScanProgress p =
        searchProgress(ScanStage::Comparing, "Searching for duplicates...", 1, 3);
    EXPECT_EQ(p.statusText, "Searching for duplicates...(1/3) 33.3%");
    EXPECT_EQ(p.captionText, "33.3% (1/3)");
    EXPECT_EQ(searchProgress(ScanStage::SameNames, "x", 0, 0).statusText, "x(0/0) 0.0%");
}

} // namespace
} // namespace pw
