#include "results/adv_marking.h"

#include "common/text.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <unordered_set>

namespace pw {
namespace {

// A stored rule: 0 and 1 as written, any other number the frame's second rule.
int storedRule(int value) {
    return value == 0 || value == 1 ? value : 2;
}

// The key column and direction of the keep-rule in force. Only one rule is in force after
// the choose functions; a state that has none keeps the newest file, as the dialog would.
struct KeepOrder {
    int column = kColSortDate;
    bool ascending = false;
};

KeepOrder keepOrder(const AdvMarkingSettings& settings) {
    if (settings.dateRule != DateRule::None) {
        return {kColSortDate, settings.dateRule == DateRule::KeepOlder};
    }
    if (settings.sizeRule != SizeRule::None) {
        return {kColSize, settings.sizeRule == SizeRule::KeepSmaller};
    }
    if (settings.versionRule != VersionRule::None) {
        return {kColVersion, settings.versionRule == VersionRule::KeepOlder};
    }
    return {};
}

} // namespace

bool MatchMask(std::string_view fileName, std::string_view mask) {
    if (mask.find("*.*") != std::string_view::npos) {
        return true;
    }
    const auto dot = fileName.rfind('.');
    if (dot == std::string_view::npos) {
        return false;
    }
    return mask.find(fileName.substr(dot)) != std::string_view::npos;
}

std::string maskAfterEdit(std::string_view text) {
    return trimBlanks(text).empty() ? std::string(kAllFilesMask) : std::string(text);
}

void chooseDateRule(AdvMarkingSettings& settings, DateRule rule) {
    settings.dateRule = rule;
    if (rule != DateRule::None) {
        settings.sizeRule = SizeRule::None;
        settings.versionRule = VersionRule::None;
    } else if (settings.sizeRule == SizeRule::None && settings.versionRule == VersionRule::None) {
        settings.dateRule = DateRule::KeepNewer;
    }
}

void chooseSizeRule(AdvMarkingSettings& settings, SizeRule rule) {
    settings.sizeRule = rule;
    if (rule != SizeRule::None) {
        settings.dateRule = DateRule::None;
        settings.versionRule = VersionRule::None;
    } else if (settings.dateRule == DateRule::None && settings.versionRule == VersionRule::None) {
        settings.dateRule = DateRule::KeepNewer;
    }
}

void chooseVersionRule(AdvMarkingSettings& settings, VersionRule rule) {
    settings.versionRule = rule;
    if (rule != VersionRule::None) {
        settings.dateRule = DateRule::None;
        settings.sizeRule = SizeRule::None;
    } else if (settings.dateRule == DateRule::None && settings.sizeRule == SizeRule::None) {
        settings.dateRule = DateRule::KeepNewer;
    }
}

AdvMarkingSettings LoadAdvMarkingSettings(const SettingsStore& store) {
    const AdvMarkingValues stored = loadAdvMarkingValues(store);
    AdvMarkingSettings settings;
    chooseDateRule(settings, static_cast<DateRule>(storedRule(stored.dateTime)));
    chooseSizeRule(settings, static_cast<SizeRule>(storedRule(stored.fileSize)));
    chooseVersionRule(settings, static_cast<VersionRule>(storedRule(stored.version)));
    settings.sizeLimit = stored.sizeLimit >= 0 && stored.sizeLimit <= 2
                             ? static_cast<SizeLimitChoice>(stored.sizeLimit)
                             : SizeLimitChoice::Specify;
    settings.sizeText = stored.txtSize;
    settings.sizeUnit = stored.cmbSizeOptions;
    settings.rangeMask = stored.cmbFileMask1;
    settings.includeSubFolders = stored.chkIncSubFolders;
    settings.folderMask = stored.cmbFileMask2;
    return settings;
}

void SaveAdvMarkingSettings(SettingsStore& store, const AdvMarkingSettings& settings) {
    saveAdvMarkingValues(
        store, {static_cast<int>(settings.dateRule), static_cast<int>(settings.sizeRule),
                static_cast<int>(settings.versionRule), static_cast<int>(settings.sizeLimit),
                settings.sizeText, settings.sizeUnit, settings.rangeMask,
                settings.includeSubFolders, settings.folderMask});
}

std::optional<double> SizeLimitKB(const AdvMarkingSettings& settings) {
    switch (settings.sizeLimit) {
    case SizeLimitChoice::None:
        return 0.0;
    case SizeLimitChoice::Cd:
        return kCdLimitKB;
    case SizeLimitChoice::Dvd:
        return kDvdLimitKB;
    case SizeLimitChoice::Specify:
        break;
    }
    const auto amount = readAmount(settings.sizeText);
    if (!amount) {
        return std::nullopt;
    }
    if (settings.sizeUnit == "KB") {
        return *amount;
    }
    if (settings.sizeUnit == "MB") {
        return std::trunc(*amount) * 1024;
    }
    if (settings.sizeUnit == "GB") {
        return std::trunc(*amount) * 1024 * 1024;
    }
    return 0.0;
}

MarkOutcome MarkByRange(ResultTable& table, const AdvMarkingSettings& settings) {
    SortCols(table, kColGroup, "Asc");
    const auto limitKB = SizeLimitKB(settings);
    if (!limitKB) {
        return MarkOutcome{std::nullopt, UserMessage{"Type only integer values", "Error"}};
    }
    const KeepOrder order = keepOrder(settings);
    GroupKeeper keeper(order.ascending);
    MarkedTotals totals;
    std::int32_t previousGroup = 0;
    for (int position = 1; position <= table.rowCount(); ++position) {
        const ResultTableRow& row = table.row(position);
        if (row.group != previousGroup) {
            keeper.close(table, totals);
            previousGroup = row.group;
        }
        if (!MatchMask(row.name, settings.rangeMask)) {
            continue;
        }
        // Tested before marking: the file that crosses the limit is still marked.
        if (*limitKB > 0 && std::fabs(totals.bytes / 1024) > *limitKB) {
            break;
        }
        table.setMarked(position, true);
        ++totals.count;
        totals.bytes += static_cast<double>(row.size);
        keeper.add(padKey(cellText(row, order.column)), position);
    }
    keeper.close(table, totals);
    return MarkOutcome{markedTotalsText(totals), std::nullopt};
}

std::vector<FolderLine> makeFolderLines(const std::vector<std::string>& folders) {
    std::vector<FolderLine> lines;
    lines.reserve(folders.size());
    for (const std::string& folder : folders) {
        lines.push_back(FolderLine{folder, false});
    }
    std::stable_sort(lines.begin(), lines.end(), [](const FolderLine& a, const FolderLine& b) {
        return compareText(a.text, b.text) < 0;
    });
    return lines;
}

void setAllFolderLines(std::vector<FolderLine>& lines, bool checked) {
    for (FolderLine& line : lines) {
        line.checked = checked;
    }
}

void checkSubFolderLines(std::vector<FolderLine>& lines) {
    // Sub-folders need not follow their folder directly in the list's order ("Data.bak/"
    // sorts between "Data/" and "Data/Old/"), so the checked texts are sorted by bytes,
    // where every text that begins with another follows it directly or after other
    // texts that begin with it too. Keeping only the texts no other checked text begins
    // leaves a list in which at most one entry begins any text: the greatest entry not
    // above that text. Each line is then one binary search instead of a walk over every
    // checked line.
    std::vector<std::string_view> checked;
    for (const FolderLine& line : lines) {
        if (line.checked) {
            checked.push_back(line.text);
        }
    }
    std::sort(checked.begin(), checked.end());
    std::vector<std::string_view> roots;
    for (const std::string_view text : checked) {
        if (roots.empty() || !text.starts_with(roots.back())) {
            roots.push_back(text);
        }
    }
    for (FolderLine& line : lines) {
        const auto above =
            std::upper_bound(roots.begin(), roots.end(), std::string_view(line.text));
        line.checked =
            line.checked || (above != roots.begin() && line.text.starts_with(*std::prev(above)));
    }
}

MarkOutcome MarkByFolders(ResultTable& table, std::vector<FolderLine>& lines,
                          bool includeSubFolders, std::string_view mask) {
    SortCols(table, kColPath, "Asc");
    if (includeSubFolders) {
        checkSubFolderLines(lines);
    }
    // Looked up by exact text, so the result does not depend on the lines being in the
    // list's sort order (the list sorts without regard to case, the lines may not).
    std::unordered_set<std::string> checkedFolders;
    for (const FolderLine& line : lines) {
        if (line.checked) {
            checkedFolders.insert(line.text);
        }
    }
    MarkedTotals totals;
    for (int position = 1; position <= table.rowCount(); ++position) {
        const ResultTableRow& row = table.row(position);
        if (checkedFolders.contains(row.folderText()) && MatchMask(row.name, mask)) {
            table.setMarked(position, true);
            ++totals.count;
            totals.bytes += static_cast<double>(row.size);
        }
    }
    return MarkOutcome{markedTotalsText(totals), std::nullopt};
}

void ClearAllMarks(ResultTable& table) {
    for (int position = 1; position <= table.rowCount(); ++position) {
        table.setMarked(position, false);
    }
}

} // namespace pw
