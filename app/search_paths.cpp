#include "app/search_paths.h"

#include "common/text.h"

#include <algorithm>
#include <cmath>

namespace pw {
namespace {

constexpr std::string_view kDefaultMinimum = "10";

// A numeric text's value; one beyond the range of a double counts as infinite, which
// still compares the right way round.
double sizeValue(std::string_view text) {
    if (const auto value = readAmount(text)) {
        return *value;
    }
    return trimBlanks(text).starts_with('-') ? -HUGE_VAL : HUGE_VAL;
}

} // namespace

bool okEnabled(const FolderForm& form) {
    return !trimBlanks(form.path).empty();
}

FolderForm newFolderForm(const SettingsStore& store) {
    const LastFolderEntries last = loadLastFolderEntries(store);
    FolderForm form;
    form.mask = last.fileMask;
    form.minText = last.minSize;
    form.maxText = last.maxSize;
    return form;
}

FolderForm folderFormForRow(const SearchPathEntry& row) {
    FolderForm form;
    form.path = row.folder;
    form.includeSubFolders = row.subFolders == "Yes";
    form.mask = row.fileTypes;
    form.minText = row.minSize;
    form.maxText = row.maxSize;
    if (row.excluded()) {
        setExclude(form, true);
    }
    return form;
}

void setExclude(FolderForm& form, bool checked) {
    if (checked) {
        form.rememberedSubFolders = form.includeSubFolders;
        form.includeSubFolders = true;
    } else {
        form.includeSubFolders = form.rememberedSubFolders;
    }
    form.exclude = checked;
}

void leaveMinBox(FolderForm& form) {
    if (!isNumeric(form.minText)) {
        form.minText = kDefaultMinimum;
    }
}

std::optional<UserMessage> leaveMaxBox(FolderForm& form) {
    if (!isNumeric(form.maxText)) {
        form.maxText.clear();
        return std::nullopt;
    }
    const double minimum =
        std::nearbyint(sizeValue(isNumeric(form.minText) ? form.minText : kDefaultMinimum));
    if (std::nearbyint(sizeValue(form.maxText)) > minimum) {
        return std::nullopt;
    }
    form.maxText.clear();
    return UserMessage{"Maximum size must be greater then minimum size", "Error"};
}

bool updateMaskList(SettingsStore& store, std::vector<std::string>& masks,
                    std::string_view maskText) {
    if (trimBlanks(maskText).empty() ||
        std::find(masks.begin(), masks.end(), maskText) != masks.end()) {
        return false;
    }
    masks.emplace_back(maskText);
    SaveFileMaskList(store, masks);
    return true;
}

SearchPathEntry acceptFolderForm(FolderForm& form, std::vector<std::string>& masks,
                                 SettingsStore& store) {
    leaveMinBox(form);
    if (!trimBlanks(form.maxText).empty() && !isNumeric(form.maxText)) {
        form.maxText.clear();
    }
    SearchPathEntry entry;
    entry.folder = form.path;
    entry.fileTypes = trimBlanks(form.mask).empty() ? std::string(kAllFilesMask) : form.mask;
    // While "Exclude Folder" is checked "Include Sub Folders" is checked too.
    entry.subFolders = form.includeSubFolders || form.exclude ? "Yes" : "No";
    entry.icon = form.exclude ? kExcludeIcon : kSearchIcon;
    if (form.exclude) {
        entry.fileTypes.clear();
        form.minText.clear();
        form.maxText.clear();
    }
    entry.minSize = form.minText;
    entry.maxSize = form.maxText;
    updateMaskList(store, masks, form.mask);
    saveLastFolderEntries(store, {form.mask, form.minText, form.maxText});
    return entry;
}

std::size_t addOrUpdateSearchPath(std::vector<SearchPathEntry>& rows,
                                  const SearchPathEntry& entry) {
    const auto same = std::find_if(rows.begin(), rows.end(), [&entry](const SearchPathEntry& row) {
        return row.folder == entry.folder;
    });
    if (same == rows.end()) {
        rows.push_back(entry);
        return rows.size() - 1;
    }
    same->subFolders = entry.subFolders;
    same->fileTypes = entry.fileTypes;
    same->minSize = entry.minSize;
    same->maxSize = entry.maxSize;
    same->icon = entry.icon;
    return static_cast<std::size_t>(same - rows.begin());
}

} // namespace pw
