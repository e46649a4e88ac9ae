#pragma once
// The rule-based marking of the "Advance Marking" dialog, in grouped mode: "By Range"
// marks the files of every group that match a mask and keeps one of them by a keep-rule,
// optionally up to a size limit; "By Folders" marks the files of chosen folders that match
// a mask. The dialog's state is a plain value (AdvMarkingSettings); the front ends show
// it, and load and save it through the settings store.

#include "results/marking.h"
#include "results/result_table.h"
#include "settings/settings_table.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pw {

// True when mask contains "*.*"; otherwise false for a name without "."; otherwise true
// exactly when the name's extension with its dot (from the last ".") occurs anywhere in
// mask, letter case counting. So "*.jpeg" in a mask also takes in ".jpe".
bool MatchMask(std::string_view fileName, std::string_view mask);

// A mask box left empty (or blank) falls back to "All files(*.*)".
std::string maskAfterEdit(std::string_view text);

// The three keep-rule frames: 0 "None", 1 the first rule, 2 the second.
enum class DateRule : int { None = 0, KeepNewer = 1, KeepOlder = 2 };
enum class SizeRule : int { None = 0, KeepLarger = 1, KeepSmaller = 2 };
enum class VersionRule : int { None = 0, KeepNewer = 1, KeepOlder = 2 };
enum class SizeLimitChoice : int { None = 0, Cd = 1, Dvd = 2, Specify = 3 };

// The dialog's state, with the defaults of a fresh settings store.
struct AdvMarkingSettings {
    DateRule dateRule = DateRule::KeepNewer;
    SizeRule sizeRule = SizeRule::None;
    VersionRule versionRule = VersionRule::None;
    SizeLimitChoice sizeLimit = SizeLimitChoice::None;
    std::string sizeText;                  // txtSizeLimitSize
    std::string sizeUnit = "KB";           // cmbSizeLimitOptions: "KB", "MB" or "GB"
    std::string rangeMask{kAllFilesMask};  // cmbFileMask1
    bool includeSubFolders = true;         // chkIncSubFolders
    std::string folderMask{kAllFilesMask}; // cmbFileMask2

    // The amount and unit of "Specify :" are usable only with that choice.
    bool sizeAmountEnabled() const { return sizeLimit == SizeLimitChoice::Specify; }
};

// Choosing an option in one keep-rule frame. Exactly one rule stays in force: a rule
// clears the other two frames; "None" in a frame while the other two show "None" selects
// "Keep Newer Files".
void chooseDateRule(AdvMarkingSettings& settings, DateRule rule);
void chooseSizeRule(AdvMarkingSettings& settings, SizeRule rule);
void chooseVersionRule(AdvMarkingSettings& settings, VersionRule rule);

// The dialog's state from and to the stored "AdvMarking" values (settings_table.h).
// Loading applies the rule options in the order date, size, version through the choose
// functions, so the result always has exactly one keep-rule; a stored rule other than 0 or
// 1 is the frame's second rule and a "SizeLimit" other than 0 to 2 is "Specify :". The
// mask lists of both tabs come from LoadFileMaskList.
AdvMarkingSettings LoadAdvMarkingSettings(const SettingsStore& store);
void SaveAdvMarkingSettings(SettingsStore& store, const AdvMarkingSettings& settings);

// The size limit in KB, 0 for none: "CD (700 MB)" 716800, "DVD (4.3 GB)" 4589843,
// "Specify :" the amount as typed for "KB", its whole part times 1024 for "MB" and times
// 1024 * 1024 for "GB", 0 for any other unit. nullopt when "Specify :" has an amount that
// is not a number.
std::optional<double> SizeLimitKB(const AdvMarkingSettings& settings);

// "By Range": sorts the list by group, then in every group marks the rows that match
// settings.rangeMask and unmarks again the one the keep-rule keeps (ties fall to the
// position text, as with MarkAllDuplicates). With a size limit the walk stops at the first
// matching row met while the marked total is already above the limit, so the last file
// marked can carry the total over it by up to its own size; the group it stopped in still
// keeps one file. Marks set before stay; the totals text covers the rows this run left
// marked. A "Specify :" amount that is not a number returns the message "Type only integer
// values" / "Error" and marks nothing (the dialog stays open); otherwise the dialog hides.
MarkOutcome MarkByRange(ResultTable& table, const AdvMarkingSettings& settings);

// One line of the folder list: a folder ending with "/" and its check mark.
struct FolderLine {
    std::string text;
    bool checked = false;
};

// The folder list as the result list hands it over, one unchecked line per folder, in the
// order of the list sorted by Path, so that lines and rows read alike.
std::vector<FolderLine> makeFolderLines(const std::vector<std::string>& folders);
// "Check all" / "Uncheck all".
void setAllFolderLines(std::vector<FolderLine>& lines, bool checked);
// "Include Sub-Folders": checks every line whose text begins with the text of a checked
// line. Lines end with "/", so ".../Data/" takes in ".../Data/Old/" but not
// ".../Database/", wherever those lines stand in the list.
void checkSubFolderLines(std::vector<FolderLine>& lines);

// "By Folders": sorts the list by Path, checks the sub-folder lines when includeSubFolders
// is set (the check marks stay, as the user sees them), then marks every row whose Path
// equals a checked line's text exactly and whose name matches mask. Marks set before
// stay; the totals text counts the rows this run marked.
MarkOutcome MarkByFolders(ResultTable& table, std::vector<FolderLine>& lines,
                          bool includeSubFolders, std::string_view mask);

// "Clear all marks": unmarks every row and leaves the totals text as it is.
void ClearAllMarks(ResultTable& table);

} // namespace pw
