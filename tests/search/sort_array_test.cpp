#include "common/text.h"
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

TEST(SortArray, SmallExamples) {
    std::vector<std::string> list{"b", "a", "c"};
    SortArray(list, false, false);
    EXPECT_EQ(list, (std::vector<std::string>{"c", "b", "a"}));

    std::vector<std::string> one{"only"};
    SortArray(one, true, false);
    EXPECT_EQ(one, std::vector<std::string>{"only"});

    // Insertion sort keeps equal elements in their order.
    std::vector<std::string> cases{"a", "A"};
    SortArray(cases, true, false);
    EXPECT_EQ(cases, (std::vector<std::string>{"a", "A"}));
    SortArray(cases, true, true);
    EXPECT_EQ(cases, (std::vector<std::string>{"A", "a"}));
}

TEST(SortArray, SortsEveryLengthAroundTheCutOffInBothDirectionsAndModes) {
    for (std::size_t count : {2u, 60u, 61u, 62u, 63u, 200u, 5000u}) {
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

TEST(SortArray, PartitionPlacesThePivotBetweenSmallerAndLargerElements) {
    auto cmp = [](const int& a, const int& b) { return a < b ? -1 : (a > b ? 1 : 0); };
    std::mt19937 gen(7);
    for (int round = 0; round < 200; ++round) {
        std::vector<int> list(2 + gen() % 100);
        for (auto& v : list) {
            v = static_cast<int>(gen() % 20);
        }
        const int pivot = list[(list.size() - 1) / 2];
        const auto p =
            PartitionRange(list, 0, static_cast<std::ptrdiff_t>(list.size()) - 1, 1, cmp);
        const auto at = static_cast<std::size_t>(p);
        ASSERT_EQ(list[at], pivot);
        for (std::size_t k = 0; k < at; ++k) {
            EXPECT_LE(list[k], pivot);
        }
        for (std::size_t k = at + 1; k < list.size(); ++k) {
            EXPECT_GE(list[k], pivot);
        }
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

} // namespace
} // namespace pw
