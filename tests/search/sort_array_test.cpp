#include "common/format.h"
#include "common/text.h"
#include "search/candidates.h"
#include "search/sort_array.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>

namespace pw {
namespace {

std::vector<std::string> randomTexts(std::size_t count, std::uint32_t seed, int alphabet) {
    std::mt19937 gen(seed);
    std::vector<std::string> texts(count);
    for (auto& t : texts) {
        const auto length = 1 + gen() % 4;
        for (unsigned k = 0; k < length; ++k) {
            const auto letter = static_cast<char>('a' + gen() % static_cast<unsigned>(alphabet));
            t.push_back(gen() % 2 ? letter : static_cast<char>(letter - 'a' + 'A'));
        }
    }
    return texts;
}

TEST(SortArray, SortsEveryLengthAroundTheCutOffInBothDirectionsAndModes) {
    // Insertion sort keeps equal elements in their order (the marking rules' ties rely on
    // the exact steps, the partition's below).
    std::vector<std::string> cases{"a", "A"};
    SortArray(cases, true, false);
    EXPECT_EQ(cases, (std::vector<std::string>{"a", "A"}));
    SortArray(cases, true, true);
    EXPECT_EQ(cases, (std::vector<std::string>{"A", "a"}));
    for (std::size_t count : {1u, 2u, 60u, 61u, 62u, 63u, 200u, 5000u}) {
        for (bool ascending : {true, false}) {
            for (bool caseSensitive : {true, false}) {
                auto list = randomTexts(count, static_cast<std::uint32_t>(count), 5);
                auto expected = list;
                SortArray(list, ascending, caseSensitive);
                auto cmp = [caseSensitive](const std::string& a, const std::string& b) {
                    return caseSensitive ? compareBinary(a, b) : compareText(a, b);
                };
                EXPECT_TRUE(std::is_sorted(list.begin(), list.end(),
                                           [&](const std::string& a, const std::string& b) {
                                               return ascending ? cmp(a, b) < 0 : cmp(a, b) > 0;
                                           }))
                    << count;
                std::sort(expected.begin(), expected.end());
                auto sortedCopy = list;
                std::sort(sortedCopy.begin(), sortedCopy.end());
                EXPECT_EQ(sortedCopy, expected) << "elements lost or duplicated, " << count;
            }
        }
    }
}

TEST(SortArray, PartitionPlacesTheMiddlePivotBetweenSmallerAndLargerElements) {
    auto cmp = [](const int& a, const int& b) { return a < b ? -1 : (a > b ? 1 : 0); };
    std::mt19937 gen(7);
    for (int round = 0; round < 200; ++round) {
        std::vector<int> list(2 + gen() % 100);
        for (auto& v : list) {
            v = static_cast<int>(gen() % 20);
        }
        const int pivot = list[(list.size() - 1) / 2];
        const auto at = static_cast<std::size_t>(
            PartitionRange(list, 0, static_cast<std::ptrdiff_t>(list.size()) - 1, 1, cmp));
        ASSERT_EQ(list[at], pivot);
        EXPECT_TRUE(std::all_of(list.begin(), list.begin() + static_cast<std::ptrdiff_t>(at),
                                [pivot](int v) { return v <= pivot; }));
        EXPECT_TRUE(std::all_of(list.begin() + static_cast<std::ptrdiff_t>(at), list.end(),
                                [pivot](int v) { return v >= pivot; }));
    }
}

TEST(SortArray, HandlesLargeSortedReversedAndConstantLists) {
    const std::size_t count = 200000;
    std::vector<std::string> sorted(count);
    for (std::size_t k = 0; k < count; ++k) {
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "%08zu", k);
        sorted[k] = buffer;
    }
    auto list = sorted;
    SortArray(list, true, false);
    EXPECT_EQ(list, sorted);
    std::reverse(list.begin(), list.end());
    SortArray(list, true, false);
    EXPECT_EQ(list, sorted);
    std::vector<std::string> same(count, "x");
    SortArray(same, false, true);
    EXPECT_EQ(same, std::vector<std::string>(count, "x"));
}

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

TEST(SortArray, TwoThreadsArrangeEqualElementsAsOneDoes) {
    // Pairs compared by their first member alone: the second shows where the steps put
    // each of the many equal elements. Lengths around the smallest range split, and large
    // lists whose first split lies far from the middle (sorted or reversed input).
    using Item = std::pair<int, int>;
    auto cmp = [](const Item& a, const Item& b) {
        return (a.first > b.first) - (a.first < b.first);
    };
    std::mt19937 gen(5);
    for (const int count : {0, 1, 122, 123, 124, 125, 500, 40000}) {
        for (const int shape : {0, 1, 2}) {
            std::vector<Item> items(static_cast<std::size_t>(count));
            for (int k = 0; k < count; ++k) {
                const int key = shape == 0   ? static_cast<int>(gen() % 50)
                                : shape == 1 ? k / 7
                                             : -k / 7;
                items[static_cast<std::size_t>(k)] = {key, k};
            }
            for (const bool ascending : {true, false}) {
                auto one = items;
                auto two = items;
                SortList(one, ascending, cmp);
                SortListOnTwoThreads(two, ascending, cmp);
                ASSERT_EQ(two, one) << count << " items, shape " << shape;
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
