#pragma once
// The table of every stored setting: each section, key and default lives in
// settings_table.cpp and nowhere else; the rest of the engine and the program reach the
// values through the typed accessors below.
//
// Every value is stored as text. A value that is absent reads as its key's default. So
// does a value that should be a number but does not read as one (a damaged or hand-edited
// settings file): a start must not greet the user with an error for it, and the next save
// of that value writes it back in good form. Numbers are whole numbers with optional
// blanks around them, except the window geometry, which is a single-precision number.
//
// Accessors only call the store; they are as thread-safe as the store they are given.

#include "settings/settings_store.h"

#include <array>
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pw {

inline constexpr std::string_view kAllFilesMask = "All files(*.*)";

// The masks offered while no mask list has been stored, in their order.
extern const std::array<std::string_view, 10> kBuiltInFileMasks;

// ---- Window geometry ----

// Width, height, top and left in twips (1/1440 inch).
struct WindowGeometry {
    float width = 0;
    float height = 0;
    float top = 0;
    float left = 0;

    friend bool operator==(const WindowGeometry&, const WindowGeometry&) = default;
};

// "WindowSize" "W", "H", "T", "L": the main window, 12000 x 8000 at the top left corner
// until it was first closed.
WindowGeometry loadWindowSize(const SettingsStore& store);
void saveWindowSize(SettingsStore& store, const WindowGeometry& geometry);

// "PicWindowSize": the picture preview, 2000 wide and 2500 high, 2500 from the top and
// 9000 from the left until it was first closed.
WindowGeometry loadPicWindowSize(const SettingsStore& store);
void savePicWindowSize(SettingsStore& store, const WindowGeometry& geometry);

// ---- "Options" ----

// "Display": the picture viewer switch, as the image number of the Viewer button.
inline constexpr int kDisplayOn = 10; // the default
inline constexpr int kDisplayOff = 9;
int loadDisplay(const SettingsStore& store);
void saveDisplay(SettingsStore& store, int display);

// "RecycleBin": the deletion target, as the image number of the Recycle button: 12 the
// recycle bin (the default), 11 permanent deletion.
int loadRecycleBin(const SettingsStore& store);
void saveRecycleBin(SettingsStore& store, int recycleBin);

// "Show Tips at Startup": true when the stored number is 1 (the default).
bool loadShowTipsAtStartup(const SettingsStore& store);
void saveShowTipsAtStartup(SettingsStore& store, bool show);

// "ChkClose": the save-session dialog's "close after completion" box; checked by default.
// A stored number other than 0 or 1 reads as the default.
bool loadChkClose(const SettingsStore& store);
void saveChkClose(SettingsStore& store, bool checked);

// The add-folder dialog's last entries, as typed: "FileMaskSelected"/"Value"
// ("All files(*.*)"), "Options"/"MinFileSize" ("10") and "Options"/"MaxFileSize" (empty).
struct LastFolderEntries {
    std::string fileMask;
    std::string minSize;
    std::string maxSize;
};
LastFolderEntries loadLastFolderEntries(const SettingsStore& store);
void saveLastFolderEntries(SettingsStore& store, const LastFolderEntries& entries);

// ---- "FileMask" ----

// The mask list of the add-folder and advanced marking dialogs: the values of the section
// in the numeric order of their keys ("10" after "9"), whatever order the store lists
// them in (stored true); the ten built-in masks when the section does not exist (stored
// false). A section that exists without values gives an empty list.
struct MaskList {
    std::vector<std::string> masks;
    bool stored = false;
};
MaskList LoadFileMaskList(const SettingsStore& store);
// Deletes the section, then stores the masks under "0", "1", ... in their order.
void SaveFileMaskList(SettingsStore& store, const std::vector<std::string>& masks);

// ---- "Export" ----

// The export wizard's choices. exportType and exportChar are nullopt when the stored
// number selects none of the options; such a choice is not written back.
struct ExportChoices {
    std::optional<int> exportType; // "ExportType": 1 All Files (default), 2 Mark Files
                                   // Only, 3 Selected Files Only
    bool html = false;             // "ExportFormat": 1 HTML; any other number (the default
                                   // 2) delimited text
    std::optional<int> exportChar; // "ExportChar": 1 TAB, 2 Comma (default), 3 Semi-colen,
                                   // 4 Other Character String
    bool openFile = true;          // "OpenFile": 1 (default) or 0
};
ExportChoices loadExportChoices(const SettingsStore& store);
void saveExportChoices(SettingsStore& store, const ExportChoices& choices);

// ---- "AdvMarking" ----

// The advanced marking dialog's controls as stored; what the numbers select is the
// dialog's business (results/adv_marking.h). Defaults: "DateTime" 1, "FileSize" 0,
// "Version" 0, "SizeLimit" 0, "txtSize" empty, "cmbSizeOptions" "KB", both masks
// "All files(*.*)", "chkIncSubFolders" checked.
struct AdvMarkingValues {
    int dateTime = 0;
    int fileSize = 0;
    int version = 0;
    int sizeLimit = 0;
    std::string txtSize;
    std::string cmbSizeOptions;
    std::string cmbFileMask1;
    bool chkIncSubFolders = false;
    std::string cmbFileMask2;
};
AdvMarkingValues loadAdvMarkingValues(const SettingsStore& store);
void saveAdvMarkingValues(SettingsStore& store, const AdvMarkingValues& values);

// ---- "MaxLimit", "MaxText", "MaxSet" ----

// The "Mark All Duplicates upto..." dialog as stored: "MaxLimit"/"Option" (default 1),
// "MaxText"/"Value" (default "0") and "MaxSet"/"Value" (default 0). An option of nullopt
// is not written (no option was selected); loading always gives one.
struct MaxSizeValues {
    std::optional<int> option;
    std::string text;
    int unitIndex = 0;
};
MaxSizeValues loadMaxSizeValues(const SettingsStore& store);
void saveMaxSizeValues(SettingsStore& store, const MaxSizeValues& values);

// ---- "GenInfo" ----

// What the error and feedback reports tell about this installation: "TotRun", the scans
// started (default 0), and "InsDate", the date and time of the first one ("Null" before).
struct GenInfo {
    std::int16_t totRun = 0;
    std::string insDate;
};
GenInfo loadGenInfo(const SettingsStore& store);

// Run at the start of every scan: raises "TotRun" by one, a 16-bit counter that stays at
// 32767 once there, and sets "InsDate" to `now` as local date text ("m/d/yyyy h:mm:ss AM")
// while it is still "Null". Both values are written back.
void recordScanStart(SettingsStore& store, std::time_t now);

// ---- "Reports" ----

// Where the error and feedback reports go: "MailHost", the SMTP server as a host name or
// address with an optional ":PORT", and "SupportAddress", the one address that sends and
// receives every report. The defaults, "mail.pairwell.example" and
// "support@pairwell.example", lie in a domain reserved for examples, so that no report
// reaches anyone until a real server and address are configured.
struct ReportMailSettings {
    std::string mailHost;
    std::string supportAddress;
};
ReportMailSettings loadReportMailSettings(const SettingsStore& store);

} // namespace pw
