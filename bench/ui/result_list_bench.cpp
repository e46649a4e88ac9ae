// How the result list copes with a large result: fills a table with synthetic rows, shows
// it in the list at 1200x800 and times the fill with the first paint, a sort by every
// visible column through the header, scrolling from top to bottom (the thumb dragged in
// 100 steps, and a jump to the end), and
// "Mark All Duplicates"; then prints the peak resident memory.
//
//   pw_result_list_bench [--rows N]     (default 200000; QT_QPA_PLATFORM defaults to offscreen)

#include "results/load_result.h"
#include "results/marking.h"
#include "results/ui/result_list_view.h"

#include <QApplication>
#include <QHeaderView>
#include <QScrollBar>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <random>
#include <string>
#include <sys/resource.h>

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void report(const char* what, double seconds) {
    std::printf("%-44s %9.3f s\n", what, seconds);
    std::fflush(stdout);
}

// Rows in groups of two to five files of one size, in folders and with names of the kind
// a photo, music and document collection has.
void fillTable(pw::ResultTable& table, int rowCount) {
    static const char* const kRoots[] = {"/home/ana/Pictures/", "/home/ana/Music/",
                                         "/home/ana/Documents/", "/media/backup/ana/",
                                         "/srv/share/family photos/"};
    static const char* const kStems[] = {"IMG_", "DSC", "Track ", "invoice-", "scan ", "notes_"};
    static const char* const kExts[] = {".jpg", ".JPG", ".mp3", ".pdf", ".png", ".txt", ""};
    std::mt19937 random(20240601);
    pw::TableFill fill(table, true, static_cast<std::size_t>(rowCount));
    int made = 0;
    int groupId = 0;
    while (made < rowCount) {
        const int groupSize = std::min(2 + static_cast<int>(random() % 4), rowCount - made);
        const std::uint64_t size = 1000 + random() % 50000000;
        const std::string name = std::string(kStems[random() % 6]) +
                                 std::to_string(random() % 100000) + kExts[random() % 7];
        const std::time_t mtime = 1300000000 + static_cast<std::time_t>(random() % 300000000);
        ++groupId;
        for (int k = 0; k < groupSize; ++k, ++made) {
            const std::string folder = std::string(kRoots[random() % 5]) +
                                       std::to_string(2005 + random() % 19) + "/album " +
                                       std::to_string(random() % 400) + "/";
            pw::ResultTableRow row;
            row.name = name;
            row.folder = fill.folder(folder);
            row.size = size;
            row.modified = pw::localStamp(mtime + k * 3600);
            row.group = fill.groupFor(k == 0);
            fill.add(std::move(row));
        }
    }
    fill.finish();
}

void paint(pw::ResultListView& view) {
    QCoreApplication::processEvents();
    view.viewport()->repaint();
}

long peakRssKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

int main(int argc, char** argv) {
    int rows = 200000;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--rows") == 0) {
            rows = std::max(1, std::atoi(argv[i + 1]));
        }
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    std::printf("result list benchmark: %d rows, platform %s\n", rows,
                qPrintable(QGuiApplication::platformName()));

    pw::ResultTable shown;
    pw::ResultListView view(shown);
    view.resize(1200, 800);
    view.show();
    paint(view);

    auto start = Clock::now();
    pw::ResultTable filled;
    fillTable(filled, rows);
    view.showTable(std::move(filled));
    paint(view);
    report("fill + model reset + first paint", secondsSince(start));

    QHeaderView* header = view.horizontalHeader();
    for (int visual = 0; visual < header->count(); ++visual) {
        const int section = header->logicalIndex(visual);
        if (header->isSectionHidden(section)) {
            continue;
        }
        start = Clock::now();
        emit header->sectionClicked(section);
        paint(view);
        const std::string label =
            "sort by \"" +
            view.model()->headerData(section, Qt::Horizontal).toString().toStdString() + "\"";
        report(label.c_str(), secondsSince(start));
    }

    // Scrolling as a user drags the scroll bar's thumb from the top to the bottom: the
    // list repaints at each of 100 positions, whatever the number of rows. A page-by-page
    // walk would time the number of pages, not the list.
    QScrollBar* bar = view.verticalScrollBar();
    bar->setValue(0);
    paint(view);
    constexpr int kDragSteps = 100;
    start = Clock::now();
    for (int step = 1; step <= kDragSteps; ++step) {
        bar->setValue(static_cast<int>(static_cast<long long>(bar->maximum()) * step / kDragSteps));
        paint(view);
    }
    report("scroll top to bottom (thumb dragged, 100 repaints)", secondsSince(start));

    bar->setValue(0);
    paint(view);
    start = Clock::now();
    bar->setValue(bar->maximum());
    paint(view);
    report("jump to the bottom (Ctrl+End) + paint", secondsSince(start));

    start = Clock::now();
    const pw::MarkOutcome outcome = pw::MarkAllDuplicates(view.table());
    view.applyChanges();
    paint(view);
    report("Mark All Duplicates + applyChanges + paint", secondsSince(start));
    std::printf("%s\n", outcome.totalsText.value_or("").c_str());
    std::printf("peak resident memory: %ld KB\n", peakRssKb());
    return 0;
}
