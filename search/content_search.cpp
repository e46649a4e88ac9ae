#include "common/file_helpers.h"
#include "search/content_compare.h"
#include "search/progress_throttle.h"
#include "search/searches.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <span>
#include <system_error>
#include <thread>

namespace pw {
namespace {

// One run of candidates of equal size, second listings already dropped: a range of the
// candidate list, which now holds the runs alone.
struct SizeRun {
    std::span<const Candidate> members;
    std::optional<RunGroups> groups; // empty until compared, or when cancelled
    std::vector<FileIssue> issues;
    bool outOfMemory = false; // the comparison failed and is asked about on the scanning thread
};

// Files of a size of their own are settled without reading: the runs move to the front of
// the list in place, so the candidates are never held twice.
std::vector<SizeRun> collectRuns(std::vector<Candidate>& items, std::int32_t& dropped) {
    std::vector<std::pair<std::size_t, std::size_t>> ranges;
    std::size_t kept = 0;
    std::size_t i = 0;
    while (i < items.size()) {
        std::size_t end = i + 1;
        while (end < items.size() && items[end].size == items[i].size) {
            ++end;
        }
        if (end - i >= 2) {
            std::move(items.begin() + static_cast<std::ptrdiff_t>(i),
                      items.begin() + static_cast<std::ptrdiff_t>(end),
                      items.begin() + static_cast<std::ptrdiff_t>(kept));
            const std::size_t first = keepFirstListings({items.data() + kept, end - i});
            dropped += static_cast<std::int32_t>(end - i - first);
            if (first >= 2) {
                ranges.emplace_back(kept, first);
                kept += first;
            }
        }
        i = end;
    }
    items.resize(kept);
    std::vector<SizeRun> runs(ranges.size());
    for (std::size_t k = 0; k < ranges.size(); ++k) {
        runs[k].members = {items.data() + ranges[k].first, ranges[k].second};
    }
    return runs;
}

std::optional<RunGroups> compareRun(const CandidateSet& set, const SizeRun& run,
                                    const SearchOptions& options, const CancelToken& cancel,
                                    std::vector<FileIssue>& issues) {
    std::vector<ReadTarget> files;
    files.reserve(run.members.size());
    for (const Candidate& c : run.members) {
        files.push_back(set.readTarget(c));
    }
    if (options.method == SearchMethod::Crc32) {
        return partitionByCrc(files, cancel, issues);
    }
    if (options.fuzzy) {
        return partitionFuzzy(files, cancel, issues);
    }
    return partitionByBytes(files, cancel, issues);
}

// Compares the runs on a few worker threads while the calling thread reports progress.
class RunComparer {
public:
    RunComparer(SearchContext& context, std::vector<SizeRun>& runs, std::int64_t total,
                std::int64_t settled)
        : m_context(context), m_runs(runs), m_total(total), m_processed(settled),
          m_order(heaviestFirst(runs)) {}

    void run() {
        const unsigned workers =
            std::clamp(std::thread::hardware_concurrency(), 1u,
                       static_cast<unsigned>(std::max<std::size_t>(m_runs.size(), 1)));
        std::vector<std::jthread> threads;
        try {
            for (unsigned k = 0; k < workers; ++k) {
                threads.emplace_back([this] {
                    // Each comparing thread opens and closes its files on its own table.
                    takeOwnDescriptorTable();
                    work();
                });
            }
        } catch (const std::system_error&) {
            // No (further) thread to be had: the threads that started, or this one, do it.
        }
        if (threads.empty()) {
            work();
            return;
        }
        const auto started = static_cast<unsigned>(threads.size());
        ProgressThrottle throttle;
        std::unique_lock lock(m_mutex);
        while (m_finishedWorkers < started) {
            m_wake.wait_for(lock, ProgressThrottle::kInterval);
            if (throttle.due()) {
                lock.unlock();
                report();
                lock.lock();
            }
        }
    }

private:
    void work() {
        for (;;) {
            const std::size_t next = m_next.fetch_add(1);
            if (next >= m_order.size() || m_context.cancel.cancelled()) {
                break;
            }
            SizeRun& run = m_runs[m_order[next]];
            try {
                run.groups = compareRun(m_context.candidates, run, m_context.options,
                                        m_context.cancel, run.issues);
            } catch (const std::bad_alloc&) {
                run.outOfMemory = true;
            }
            m_processed += static_cast<std::int64_t>(run.members.size());
        }
        std::lock_guard lock(m_mutex);
        ++m_finishedWorkers;
        m_wake.notify_one();
    }

    void report() {
        m_context.observer.progress(searchProgress(
            ScanStage::Comparing, "Searching for duplicates...", m_processed.load(), m_total));
    }

    // The runs with the most bytes go first, so that no thread is left comparing one large
    // run alone at the end. Results stay with their runs, whose order is the result's.
    static std::vector<std::size_t> heaviestFirst(const std::vector<SizeRun>& runs) {
        std::vector<std::size_t> order(runs.size());
        for (std::size_t k = 0; k < order.size(); ++k) {
            order[k] = k;
        }
        auto weight = [&runs](std::size_t k) {
            return runs[k].members.front().size * runs[k].members.size();
        };
        std::stable_sort(order.begin(), order.end(),
                         [&weight](std::size_t a, std::size_t b) { return weight(a) > weight(b); });
        return order;
    }

    SearchContext& m_context;
    std::vector<SizeRun>& m_runs;
    std::int64_t m_total;
    std::atomic<std::int64_t> m_processed;
    std::vector<std::size_t> m_order;
    std::atomic<std::size_t> m_next{0};
    std::mutex m_mutex;
    std::condition_variable m_wake;
    unsigned m_finishedWorkers = 0;
};

// The grouped files of the first `listed` runs, in result order, with where each group
// ends, copied out of the candidate list so that the list can be freed before the result
// rows are made: most candidates of a large scan are in no group.
struct GroupedFiles {
    std::vector<Candidate> files;
    std::vector<std::size_t> groupEnds;
};

GroupedFiles collectGrouped(std::vector<SizeRun>& runs, std::size_t listed,
                            std::size_t groupedFiles) {
    GroupedFiles grouped;
    grouped.files.reserve(groupedFiles);
    for (std::size_t k = 0; k < listed; ++k) {
        for (const auto& group : *runs[k].groups) {
            for (const std::uint32_t member : group) {
                grouped.files.push_back(runs[k].members[member]);
            }
            grouped.groupEnds.push_back(grouped.files.size());
        }
    }
    return grouped;
}

void listRows(SearchContext& context, const GroupedFiles& grouped) {
    ScanResult& r = context.result;
    std::size_t first = 0;
    for (const std::size_t end : grouped.groupEnds) {
        ++r.groups;
        for (std::size_t k = first; k < end; ++k) {
            const Candidate& c = grouped.files[k];
            if (k > first) {
                ++r.totals.duplicateCount;
                r.totals.duplicateSize += static_cast<std::int64_t>(c.size);
            }
            r.rows.push_back(makeResultRow(context.candidates, c, r.groups));
        }
        first = end;
    }
}

} // namespace

void FindDuplicatesBySize(SearchContext& context) {
    auto& items = context.candidates.items();
    const auto total = static_cast<std::int64_t>(items.size());
    std::int32_t dropped = 0;
    std::vector<SizeRun> runs = collectRuns(items, dropped);
    context.result.totals.filesFound -= dropped;
    std::int64_t inRuns = 0;
    for (const SizeRun& run : runs) {
        inRuns += static_cast<std::int64_t>(run.members.size());
    }
    RunComparer(context, runs, total, total - inRuns).run();

    // Groups are listed in run order; a cancelled scan lists the runs compared before the
    // first one it did not finish.
    ScanResult& r = context.result;
    std::size_t listed = 0;
    std::size_t groupedFiles = 0;
    for (SizeRun& run : runs) {
        while (run.outOfMemory) {
            // Retry compares the run again here; Abort goes on with the next size.
            const RuntimeError error{7, "Out of memory", "Find Duplicates",
                                     context.candidates.fullPath(run.members.front())};
            if (context.observer.runtimeError(error) != ErrorAnswer::Retry) {
                run.groups = RunGroups{};
                break;
            }
            run.outOfMemory = false;
            run.issues.clear();
            try {
                run.groups = compareRun(context.candidates, run, context.options, context.cancel,
                                        run.issues);
            } catch (const std::bad_alloc&) {
                run.outOfMemory = true;
            }
        }
        r.issues.insert(r.issues.end(), run.issues.begin(), run.issues.end());
        if (!run.groups) {
            break;
        }
        ++listed;
        for (const auto& group : *run.groups) {
            groupedFiles += group.size();
        }
    }
    GroupedFiles grouped = collectGrouped(runs, listed, groupedFiles);
    std::vector<SizeRun>().swap(runs);
    std::vector<Candidate>().swap(items);
    const std::jthread closing = context.candidates.closeKeptFolders();
    listRows(context, grouped);
}

} // namespace pw
