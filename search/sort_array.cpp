#include "search/sort_array.h"

#include "common/text.h"

namespace pw {

void SortArray(std::vector<std::string>& list, bool ascending, bool caseSensitive) {
    if (caseSensitive) {
        SortList(list, ascending,
                 [](const std::string& a, const std::string& b) { return compareBinary(a, b); });
    } else {
        SortList(list, ascending,
                 [](const std::string& a, const std::string& b) { return compareText(a, b); });
    }
}

} // namespace pw
