// Which listings a scan keeps, checked on the rules themselves: an excluded folder by its
// whole name, and one file (one device and inode) listed once.

#include "search/enumeration.h"
#include "search/searches.h"

#include <cstring>
#include <gtest/gtest.h>

namespace pw {
namespace {

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
