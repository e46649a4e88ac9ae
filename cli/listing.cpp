#include "cli/listing.h"

namespace pw::cli {

std::vector<ListedRow> listResult(const ScanResult& result, const FileExistsFn& fileExists) {
    std::vector<ListedRow> listed;
    listed.reserve(result.rows.size());
    int group = 0;
    bool groupOpened = false;
    for (std::size_t i = 0; i < result.rows.size(); ++i) {
        const ResultRow& row = result.rows[i];
        if (result.grouped && (i == 0 || row.groupToggle != result.rows[i - 1].groupToggle)) {
            groupOpened = true;
        }
        if (!fileExists(row.fullPath())) {
            continue;
        }
        if (groupOpened) {
            ++group;
            groupOpened = false;
        }
        listed.push_back({&row, result.grouped ? group : 0});
    }
    return listed;
}

} // namespace pw::cli
