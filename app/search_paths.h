#pragma once
// The rules of the search-path list and its add-folder dialog: what a new or edited
// dialog shows, the checks when a box is left, the corrections of OK, the stored mask list
// and last entries, and how a dialog result lands in the list. The dialog itself only
// moves texts between its controls and a FolderForm.
//
// Everything here runs on the user-interface thread.

#include "results/marking.h"
#include "search/scan_types.h"
#include "settings/settings_table.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pw {

// The add-folder dialog's controls.
struct FolderForm {
    std::string path;              // Text1
    bool includeSubFolders = true; // Check1 "Include Sub Folders"
    bool exclude = false;          // Check2 "Exclude Folder"
    std::string mask;              // cmbFileMask's text
    std::string minText = "10";    // txtMin
    std::string maxText;           // txtMax
    // "Include Sub Folders" as it was when "Exclude Folder" was checked.
    bool rememberedSubFolders = true;

    // The size boxes, the mask box and "Include Sub Folders" can be changed only while
    // "Exclude Folder" is unchecked.
    bool optionsEnabled() const { return !exclude; }
};

// cmdOK is enabled exactly when the path box holds more than blanks.
bool okEnabled(const FolderForm& form);

// Add: the mask and sizes entered last, and an empty path box, upon which the dialog
// opens the folder picker at once.
FolderForm newFolderForm(const SettingsStore& store);

// Edit: the row's folder, options and kind; an excluded row checks "Exclude Folder"
// through setExclude, so "Include Sub Folders" is remembered and checked.
FolderForm folderFormForRow(const SearchPathEntry& row);

// "Exclude Folder" checked: "Include Sub Folders" is remembered, then checked. Unchecked:
// it gets the remembered state back.
void setExclude(FolderForm& form, bool checked);

// Leaving txtMin: a text that is not numeric (an empty text is not) becomes "10".
void leaveMinBox(FolderForm& form);

// Leaving txtMax: a numeric maximum is compared with the minimum, both rounded to whole
// numbers (a minimum that is not numeric counts as the 10 OK will make of it). A maximum
// that is not greater is emptied and the message "Maximum size must be greater then
// minimum size" / "Error" returned; the focus then stays in the box. A maximum that is
// not numeric is emptied silently.
std::optional<UserMessage> leaveMaxBox(FolderForm& form);

// The mask-list update (leaving the mask box, and OK): a text that is not blank and
// equals no entry, exactly and letter case counting, is appended as it stands and the
// list is stored with SaveFileMaskList. Returns whether it was appended.
bool updateMaskList(SettingsStore& store, std::vector<std::string>& masks,
                    std::string_view maskText);

// OK: a blank or non-numeric minimum becomes "10" and a non-numeric maximum empty; a
// blank mask gives "All files(*.*)" as the row's file types; an excluded folder gets
// sub-folders "Yes", no file types and empty size boxes. Then the mask-list update, and
// the mask box text and both size boxes are stored as the last entries. Returns the row
// the dialog describes (icon 16 excluded, 15 searched): Edit puts it in place of the
// edited row, Add hands it to addOrUpdateSearchPath.
SearchPathEntry acceptFolderForm(FolderForm& form, std::vector<std::string>& masks,
                                 SettingsStore& store);

// Add, after OK: the first row whose folder text equals the entry's exactly (letter case
// counting) takes the entry's options and kind; otherwise the entry is appended. Returns
// the row's index.
std::size_t addOrUpdateSearchPath(std::vector<SearchPathEntry>& rows, const SearchPathEntry& entry);

} // namespace pw
