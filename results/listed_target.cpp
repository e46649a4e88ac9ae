#include "results/listed_target.h"

#include <string_view>
#include <sys/stat.h>

namespace pw {

FileWriteResult refuseListedTarget(const std::string& path, const ResultTable& table) {
    const WriteTarget target = resolveWriteTarget(path);
    if (target.kind != TargetKind::Regular) {
        return {};
    }
    const std::string_view file = target.file;
    const std::size_t slash = file.rfind('/');
    const std::string_view name = slash == std::string_view::npos ? file : file.substr(slash + 1);
    for (const ResultTableRow& row : table.rows()) {
        if (row.name != name) {
            continue;
        }
        const std::string listed = row.fullPath();
        struct stat st {};
        if (::lstat(listed.c_str(), &st) == 0 && st.st_dev == target.device &&
            st.st_ino == target.inode) {
            FileWriteResult refusal = writeRefusal(path, "it is a file of the result list");
            refusal.listedPath = listed;
            return refusal;
        }
    }
    return {};
}

} // namespace pw
