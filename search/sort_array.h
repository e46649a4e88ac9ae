#pragma once
// The quicksort of the candidate records and of the marking rules: middle pivot,
// insertion sort for ranges of up to 61 elements, recursion on the smaller part only
// (so the depth stays logarithmic, also on lists that are already sorted). It is not a
// stable sort; the order of equal elements is whatever these steps leave, and callers
// that must reproduce an order depend on exactly these steps.
//
// The range functions take a three-way comparison cmp(x, y) < 0, == 0, > 0 and a
// direction: +1 sorts ascending, -1 descending. x comes before y when the sign of
// cmp(x, y) equals the direction; equal elements never come before each other.

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

namespace pw {

namespace detail {

template <typename T, typename Compare>
bool comesBefore(const T& x, const T& y, int direction, Compare& cmp) {
    const int c = cmp(x, y);
    return direction > 0 ? c < 0 : c > 0;
}

} // namespace detail

template <typename T, typename Compare>
void InsertionSortRange(std::vector<T>& list, std::ptrdiff_t low, std::ptrdiff_t high,
                        int direction, Compare& cmp) {
    for (std::ptrdiff_t k = low + 1; k <= high; ++k) {
        T taken = std::move(list[static_cast<std::size_t>(k)]);
        std::ptrdiff_t slot = k;
        while (slot > low && detail::comesBefore(taken, list[static_cast<std::size_t>(slot - 1)],
                                                 direction, cmp)) {
            list[static_cast<std::size_t>(slot)] =
                std::move(list[static_cast<std::size_t>(slot - 1)]);
            --slot;
        }
        list[static_cast<std::size_t>(slot)] = std::move(taken);
    }
}

// Returns the pivot's final index.
template <typename T, typename Compare>
std::ptrdiff_t PartitionRange(std::vector<T>& list, std::ptrdiff_t low, std::ptrdiff_t high,
                              int direction, Compare& cmp) {
    auto at = [&list](std::ptrdiff_t index) -> T& { return list[static_cast<std::size_t>(index)]; };
    const std::ptrdiff_t middle = low + (high - low) / 2;
    T pivot = std::move(at(middle));
    if (middle != low) {
        at(middle) = std::move(at(low));
    }
    std::ptrdiff_t i = low + 1;
    std::ptrdiff_t j = high;
    for (;;) {
        while (i < j && detail::comesBefore(at(i), pivot, direction, cmp)) {
            ++i;
        }
        while (j >= i && detail::comesBefore(pivot, at(j), direction, cmp)) {
            --j;
        }
        if (i >= j) {
            if (j != low) {
                at(low) = std::move(at(j));
            }
            at(j) = std::move(pivot);
            return j;
        }
        std::swap(at(i), at(j));
        ++i;
        --j;
    }
}

template <typename T, typename Compare>
void SortRange(std::vector<T>& list, std::ptrdiff_t low, std::ptrdiff_t high, int direction,
               Compare& cmp) {
    if (high - low <= 60) {
        InsertionSortRange(list, low, high, direction, cmp);
        return;
    }
    while (low < high) {
        const std::ptrdiff_t p = PartitionRange(list, low, high, direction, cmp);
        if (p - low <= high - p) {
            SortRange(list, low, p - 1, direction, cmp);
            low = p + 1;
        } else {
            SortRange(list, p + 1, high, direction, cmp);
            high = p - 1;
        }
    }
}

// Sorts any list with a three-way comparison; see above for the order of equal elements.
template <typename T, typename Compare>
void SortList(std::vector<T>& list, bool ascending, Compare cmp) {
    if (list.size() < 2) {
        return;
    }
    SortRange(list, 0, static_cast<std::ptrdiff_t>(list.size()) - 1, ascending ? 1 : -1, cmp);
}

// SortList on two threads, with the very same order. The quicksort sorts the two sides of
// each partition step on their own, and a range of more than 123 elements is sorted exactly
// as one partition step followed by the sorts of its two sides: its larger side holds more
// than 61 elements, so the quicksort's loop goes on with it as a sort of its own would. A
// thread therefore splits any large range it takes by one step, keeps one side and leaves
// the other to whichever thread is free, until its range is small enough to sort whole. A
// first split far from the middle then does not leave one thread with most of the work.
// cmp is called on both threads at once.
template <typename T, typename Compare>
void SortListOnTwoThreads(std::vector<T>& list, bool ascending, Compare cmp) {
    using Range = std::pair<std::ptrdiff_t, std::ptrdiff_t>;
    constexpr std::ptrdiff_t kSplittable = 124;
    const auto count = static_cast<std::ptrdiff_t>(list.size());
    const std::ptrdiff_t splitAbove = std::max<std::ptrdiff_t>(kSplittable - 1, count / 32);
    const int direction = ascending ? 1 : -1;
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<Range> ranges{{0, count - 1}};
    int splitting = 0; // threads that may still leave ranges
    auto work = [&](Compare compare) {
        for (;;) {
            Range range;
            {
                std::unique_lock lock(mutex);
                changed.wait(lock, [&] { return !ranges.empty() || splitting == 0; });
                if (ranges.empty()) {
                    return;
                }
                range = ranges.back();
                ranges.pop_back();
                ++splitting;
            }
            while (range.second - range.first + 1 > splitAbove) {
                const std::ptrdiff_t p =
                    PartitionRange(list, range.first, range.second, direction, compare);
                {
                    std::lock_guard lock(mutex);
                    ranges.emplace_back(range.first, p - 1);
                }
                changed.notify_one();
                range.first = p + 1;
            }
            {
                std::lock_guard lock(mutex);
                --splitting;
            }
            changed.notify_all();
            if (range.first < range.second) {
                SortRange(list, range.first, range.second, direction, compare);
            }
        }
    };
    if (count < 2) {
        return;
    }
    std::jthread helper;
    try {
        helper = std::jthread(work, cmp);
    } catch (const std::system_error&) {
        // No second thread to be had: this one sorts it all.
    }
    work(cmp);
}

// Sorts texts in place. caseSensitive false compares without regard to letter case.
void SortArray(std::vector<std::string>& list, bool ascending, bool caseSensitive);

} // namespace pw
