#include "common/format.h"
#include "common/text.h"
#include "search/candidates.h"
#include "search/sort_array.h"

#include <gtest/gtest.h>
#include <random>

namespace pw {
namespace {

// The record text the candidate order is defined by: "size?name?folder?date", or
// "name?size?folder?date".
std::string recordText(const CandidateSet& set, const Candidate& c, RecordOrder order) {
    const std::string name(c.fileName());
    return (order == RecordOrder::SizeFirst ? SizeKey(c.size) + "?" + name
                                            : name + "?" + SizeKey(c.size)) +
           "?" + std::string(set.folder(c)) + "?" + DateText(c.mtime);
}

int sign(int v) {
    return (v > 0) - (v < 0);
}

// Names and folders that share long prefixes, differ in letter case, in the middle of a
// multi-byte character, or in bytes that are not UTF-8 at all; "_" lies between the upper
// and the lower case letters, "1" between a name's end ("?") and "/".
CandidateSet awkwardCandidates(std::size_t count, std::uint32_t seed) {
    const std::vector<std::string> pieces = {
        "a", "A", "\xC3\xA9", "\xC3\x89", "\xC3\xA8", "\x80", "\xC3", "?", "/", "b", "_", "1"};
    std::mt19937 random(seed);
    auto text = [&](std::size_t parts) {
        std::string t;
        for (std::size_t k = 0; k < parts; ++k) {
            t += pieces[random() % pieces.size()];
        }
        return t;
    };
    CandidateSet set;
    std::vector<std::uint32_t> folders;
    for (int k = 0; k < 6; ++k) {
        folders.push_back(set.addFolder("/data/common/prefix/" + text(3) + "/"));
    }
    for (std::size_t k = 0; k < count; ++k) {
        Candidate& c = set.add(folders[random() % folders.size()], "same" + text(1 + random() % 2));
        c.size = 100 + random() % 3;
        c.mtime = 1'700'000'000 + random() % 2;
        c.inode = k + 1;
    }
    return set;
}

TEST(CompareRecords, OrdersAsTheLowerCasedRecordTextsWouldCompare) {
    // The comparison skips the bytes two records share before it decodes and lower-cases;
    // stopping inside a character, or anywhere but where the texts differ, misorders them.
    const CandidateSet set = awkwardCandidates(300, 7);
    const auto& items = set.items();
    for (const RecordOrder order : {RecordOrder::SizeFirst, RecordOrder::NameFirst}) {
        for (std::size_t i = 0; i < items.size(); ++i) {
            for (std::size_t j = 0; j < items.size(); j += 7) {
                const std::string a = recordText(set, items[i], order);
                const std::string b = recordText(set, items[j], order);
                ASSERT_EQ(sign(compareRecords(set, items[i], items[j], order)),
                          sign(compareText(a, b)))
                    << a << " | " << b;
            }
        }
    }
}

TEST(SortCandidates, TwoThreadsGiveTheOrderOfOne) {
    CandidateSet parallel = awkwardCandidates(30000, 11);
    CandidateSet single = awkwardCandidates(30000, 11);
    sortCandidates(parallel, RecordOrder::SizeFirst);
    SortList(single.items(), true, [&single](const Candidate& a, const Candidate& b) {
        return compareRecords(single, a, b, RecordOrder::SizeFirst);
    });
    for (std::size_t k = 0; k < single.items().size(); ++k) {
        ASSERT_EQ(parallel.items()[k].inode, single.items()[k].inode) << k;
    }
}

} // namespace
} // namespace pw
