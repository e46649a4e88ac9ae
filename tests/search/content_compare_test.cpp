#include "search/content_compare.h"
#include "search/crc_ctrl.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>
#include <optional>
#include <sys/stat.h>

namespace pw {
namespace {

using test::TempTree;

// A file as a listing sees it now, or with the given size.
ReadTarget listed(const std::string& path, std::optional<std::uint64_t> size = {}) {
    ReadTarget target;
    target.path = path;
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0) {
        target.listed = identityOf(st);
    }
    target.listed.size = size.value_or(target.listed.size);
    return target;
}

using SizeRun = std::vector<ReadTarget>;

// Files of `size` bytes; file k holds the pseudo-random bytes of seeds[k].
SizeRun makeRun(TempTree& tree, std::uint64_t size, const std::vector<std::uint32_t>& seeds) {
    SizeRun run;
    for (std::size_t k = 0; k < seeds.size(); ++k) {
        run.push_back(listed(tree.addRandomFile("f" + std::to_string(k), size, seeds[k])));
    }
    return run;
}

// The groups a pairwise walk gives for files identified by their seeds.
RunGroups expectedGroups(const std::vector<std::uint32_t>& seeds) {
    RunGroups groups;
    std::vector<bool> taken(seeds.size(), false);
    for (std::uint32_t i = 0; i < seeds.size(); ++i) {
        if (taken[i]) {
            continue;
        }
        std::vector<std::uint32_t> group{i};
        for (std::uint32_t j = i + 1; j < seeds.size(); ++j) {
            if (!taken[j] && seeds[j] == seeds[i]) {
                group.push_back(j);
                taken[j] = true;
            }
        }
        if (group.size() > 1) {
            groups.push_back(group);
        }
    }
    return groups;
}

// Partitions files of `size` bytes made from the seeds and expects the pairwise groups.
void expectPartition(std::uint64_t size, const std::vector<std::uint32_t>& seeds) {
    TempTree tree;
    std::vector<FileIssue> issues;
    CancelToken cancel;
    const auto groups = partitionByBytes(makeRun(tree, size, seeds), cancel, issues);
    ASSERT_TRUE(groups);
    EXPECT_EQ(*groups, expectedGroups(seeds));
    EXPECT_TRUE(issues.empty());
}

TEST(PartitionByBytes, ManyDistinctFilesUseTheHashIndexAndKeepFirstMemberOrder) {
    std::vector<std::uint32_t> seeds;
    for (std::uint32_t k = 0; k < 60; ++k) {
        seeds.push_back(k % 23); // 23 distinct contents, most of them three times
    }
    expectPartition(5000, seeds);
}

TEST(PartitionByBytes, RepresentativesBeyondTheMemoryBudgetAreReadAgainNotMisjudged) {
    // 4200 distinct 4 KiB first blocks overflow the budget for kept representatives; the
    // later copies must still be matched byte for byte against their first occurrence.
    std::vector<std::uint32_t> seeds;
    for (std::uint32_t k = 0; k < 4200; ++k) {
        seeds.push_back(k);
    }
    for (std::uint32_t k = 4100; k < 4200; ++k) {
        seeds.push_back(k); // copies of representatives kept without their bytes
    }
    seeds.push_back(0); // and one of a representative kept with them
    expectPartition(4096 + 10, seeds);
}

TEST(PartitionByBytes, LargeGroupsBeyondTheOpenFileBoundStayExact) {
    // 150 copies of one large file and 10 of another: more than the files kept open between
    // chunks, so some are looked up again for every chunk.
    std::vector<std::uint32_t> seeds;
    for (std::uint32_t k = 0; k < 160; ++k) {
        seeds.push_back(k % 16 == 3 ? 2u : 1u);
    }
    expectPartition(300000, seeds);
}

TEST(PartitionByBytes, UnreadableFilesAreReportedAndLeftOut) {
    TempTree tree;
    SizeRun run = makeRun(tree, 2048, {1, 1, 1});
    tree.remove("f1");
    tree.addFolder("f1"); // now a folder: opening works, reading does not
    run.push_back(listed(tree.path("missing"), 2048));
    std::vector<FileIssue> issues;
    CancelToken cancel;
    const auto groups = partitionByBytes(run, cancel, issues);
    ASSERT_TRUE(groups);
    EXPECT_EQ(*groups, (RunGroups{{0, 2}}));
    ASSERT_EQ(issues.size(), 2u);
    EXPECT_EQ(issues[0].path, tree.path("f1"));
    EXPECT_EQ(issues[0].error, EISDIR);
    EXPECT_EQ(issues[1].error, ENOENT);
}

TEST(PartitionByBytes, ACancelledRunGivesNothing) {
    TempTree tree;
    const SizeRun run = makeRun(tree, 100, {1, 1});
    std::vector<FileIssue> issues;
    CancelToken cancel;
    cancel.cancel();
    EXPECT_FALSE(partitionByBytes(run, cancel, issues));
    EXPECT_FALSE(partitionByCrc(run, cancel, issues));
    EXPECT_FALSE(partitionFuzzy(run, cancel, issues));
}

TEST(CrcCtrl, ComputesTheStandardCrc32AsEightHexDigits) {
    TempTree tree;
    CrcCtrl crc;
    ASSERT_TRUE(crc.CalculateFile(listed(tree.addFile("check", "123456789"))));
    EXPECT_EQ(crc.crcText(), "CBF43926");
    ASSERT_TRUE(crc.CalculateFile(listed(tree.addFile("empty", ""))));
    EXPECT_EQ(crc.crcText(), "00000000");
    // A file that is not the size it was listed with gives no text.
    EXPECT_FALSE(crc.CalculateFile(listed(tree.path("check"), 8)));
    EXPECT_EQ(crc.crcText(), "");
    EXPECT_FALSE(crc.CalculateFile(listed(tree.path("check"), 10)));
    EXPECT_FALSE(crc.CalculateFile(listed(tree.path("none"), 9)));
    EXPECT_EQ(crc.lastErrno(), ENOENT);
}

TEST(CrcCtrl, LargeFilesAcrossReadBlocks) {
    TempTree tree;
    const std::uint64_t size = 3 * 1024 * 1024 + 17;
    const SizeRun run = makeRun(tree, size, {4, 4, 5});
    std::vector<FileIssue> issues;
    CancelToken cancel;
    const auto groups = partitionByCrc(run, cancel, issues);
    ASSERT_TRUE(groups);
    EXPECT_EQ(*groups, (RunGroups{{0, 1}}));
}

TEST(FuzzyMatch, HalfTheBlocksWithTheFixedPointRounding) {
    EXPECT_FALSE(fuzzyMatch({}, {}));
    EXPECT_FALSE(fuzzyMatch({1, 2}, {1, 2, 3}));
    EXPECT_TRUE(fuzzyMatch({1, 2}, {1, 9}));
    EXPECT_FALSE(fuzzyMatch({1, 2, 3}, {1, 8, 9}));
    // 1250000 equal blocks of 2500001 is 49.99998 percent: kept with four decimals that
    // rounds to 50.0000, which is enough.
    std::vector<std::uint64_t> a(2500001, 7);
    std::vector<std::uint64_t> b(2500001, 8);
    std::fill(b.begin(), b.begin() + 1250000, 7);
    EXPECT_TRUE(fuzzyMatch(a, b));
    // 1249990 of them is 49.9996 percent: not enough.
    std::fill(b.begin() + 1249990, b.begin() + 1250000, 8);
    EXPECT_FALSE(fuzzyMatch(a, b));
}

} // namespace
} // namespace pw
