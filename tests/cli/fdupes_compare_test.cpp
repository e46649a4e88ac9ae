// Byte-to-byte groups against fdupes on a generated tree. The tree has no hard links and
// no symbolic links (the two tools count those differently), but everything else that
// trips duplicate finders: files equal in size and differing only in their first, middle
// or last byte, exact copies across folders, hidden files and folders, empty files, and
// names with blanks, commas, "?" and non-ASCII letters.

#include "cli/run_cli.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>
#include <map>
#include <random>

namespace pw::test {
namespace {

const std::vector<std::string> kFolders = {
    "",          "docs", "docs/old", "Backup 2019", "Backup 2019/a,b", ".cache", ".config/deep",
    "Übersicht", "写真", "what?",    "x/y/z/w",     ".hidden dir/sub"};

const std::vector<std::string> kNames = {"report", "photo 1",  "data,v2", "why?", "résumé",
                                         "写真",   ".dotfile", "a.b.c",   "plain"};

// Sizes around block edges and some larger ones, so that comparisons cross many blocks.
const std::vector<std::uint64_t> kSizes = {1,    2,     100,   999,   1000,  1001,   4095,   4096,
                                           4097, 65535, 65536, 65537, 99999, 200000, 1048579};

class TreeBuilder {
public:
    explicit TreeBuilder(TempTree& tree) : m_tree(tree) {}

    // A new unique relative path in a random folder.
    std::string nextPath() {
        const auto& folder = kFolders[m_random() % kFolders.size()];
        const auto& name = kNames[m_random() % kNames.size()];
        std::string relative = name + " " + std::to_string(m_count++) + ".bin";
        return folder.empty() ? relative : folder + "/" + relative;
    }

    std::uint64_t randomSize() { return kSizes[m_random() % kSizes.size()]; }

    void add(const std::string& bytes) {
        const std::string path = nextPath();
        m_tree.addFile(path, bytes);
        if (!bytes.empty()) {
            m_byContent[bytes].insert(m_tree.path(path));
        }
    }

    std::uint32_t seed() { return m_random(); }

    // The groups a correct exact comparison finds, from the bytes written.
    GroupSet expected() const {
        GroupSet groups;
        for (const auto& [bytes, paths] : m_byContent) {
            if (paths.size() > 1) {
                groups.insert(paths);
            }
        }
        return groups;
    }

private:
    TempTree& m_tree;
    std::mt19937 m_random{20240611};
    int m_count = 0;
    std::map<std::string, std::set<std::string>> m_byContent;
};

std::string mutated(std::string bytes, std::size_t position) {
    bytes[position] = static_cast<char>(bytes[position] + 1);
    return bytes;
}

void buildTree(TreeBuilder& builder) {
    // Exact copies, two to four of each.
    for (int group = 0; group < 40; ++group) {
        const auto bytes = randomBytes(builder.randomSize(), builder.seed());
        const int copies = 2 + group % 3;
        for (int i = 0; i < copies; ++i) {
            builder.add(bytes);
        }
    }
    // Near-duplicates: a base, a copy of it, and variants differing in one byte.
    for (int set = 0; set < 25; ++set) {
        auto size = builder.randomSize();
        size = size < 3 ? 3 : size;
        const auto base = randomBytes(size, builder.seed());
        builder.add(base);
        if (set % 2 == 0) {
            builder.add(base);
        }
        builder.add(mutated(base, 0));
        builder.add(mutated(base, size / 2));
        builder.add(mutated(base, size - 1));
    }
    // Same sizes, different bytes everywhere; and empty files, which neither tool lists.
    for (int i = 0; i < 60; ++i) {
        builder.add(randomBytes(builder.randomSize(), builder.seed()));
    }
    for (int i = 0; i < 4; ++i) {
        builder.add("");
    }
}

TEST(FdupesCompare, ByteToByteFindsTheSameGroupsAsFdupes) {
    const std::string fdupes = findInPath("fdupes");
    ASSERT_FALSE(fdupes.empty())
        << "fdupes is not installed; scripts/test installs it (Debian package fdupes)";

    TempTree tree;
    TreeBuilder builder(tree);
    buildTree(builder);

    const auto ours =
        runCli({"scan", "--method", "byte", "--hidden", "--no-progress", tree.root()});
    ASSERT_EQ(ours.status, 0) << ours.err;
    const auto theirs = runProgram(fdupes, {"-r", "-n", tree.root()});
    ASSERT_EQ(theirs.status, 0) << theirs.err;

    const GroupSet ourGroups = parseGroups(ours.out);
    const GroupSet fdupesGroups = parseGroups(theirs.out);
    EXPECT_EQ(ourGroups, fdupesGroups);
    // The bytes written decide when the tools disagree.
    EXPECT_EQ(ourGroups, builder.expected());
    EXPECT_GE(ourGroups.size(), 50u);
}

} // namespace
} // namespace pw::test
