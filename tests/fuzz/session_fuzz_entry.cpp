// Fuzz entry for the session reader: any bytes must load without a crash, an overread or
// an allocation sized by an unchecked field, and whatever loads must survive being saved
// and loaded again unchanged.

#include "session/session_codec.h"
#include "session/session_file.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

// Escaping can triple a line, so only inputs whose lines stay readable after saving are
// checked for the round trip.
constexpr std::size_t kRoundTripLimit = 256 * 1024;

void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

void checkSameTable(const pw::ResultTable& a, const pw::ResultTable& b) {
    check(a.rowCount() == b.rowCount());
    check(a.grouped() == b.grouped());
    check(a.GroupCount == b.GroupCount);
    for (int i = 1; i <= a.rowCount(); ++i) {
        for (int column = 1; column <= pw::kColumnCount; ++column) {
            check(pw::cellText(a.row(i), column) == pw::cellText(b.row(i), column));
        }
    }
}

void checkSamePaths(const std::vector<pw::SearchPathEntry>& a,
                    const std::vector<pw::SearchPathEntry>& b) {
    check(a.size() == b.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
        check(a[i].folder == b[i].folder && a[i].subFolders == b[i].subFolders &&
              a[i].fileTypes == b[i].fileTypes && a[i].minSize == b[i].minSize &&
              a[i].maxSize == b[i].maxSize && a[i].icon == b[i].icon);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const pw::LoadedSession loaded = pw::readSessionBytes(bytes);
    check(loaded.opened);
    check(loaded.complete == loaded.damage.empty());
    check(loaded.resultLines >= loaded.table.rowCount());
    check(pw::unescapeSessionField(pw::escapeSessionField(bytes, true)) == bytes);
    if (size > kRoundTripLimit || loaded.table.rowCount() != loaded.resultLines) {
        return 0;
    }
    const std::string saved = pw::sessionFileText(loaded.parameters, loaded.totals, loaded.table,
                                                  pw::SessionContent::ParametersAndResult);
    const pw::LoadedSession again = pw::readSessionBytes(saved);
    check(again.complete);
    check(again.formatVersion == 2);
    checkSamePaths(loaded.parameters.paths, again.parameters.paths);
    checkSameTable(loaded.table, again.table);
    return 0;
}
