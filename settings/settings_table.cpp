#include "settings/settings_table.h"

#include "common/format.h"
#include "common/text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace pw {
namespace {

// One row of the settings table.
struct Key {
    const char* section;
    const char* key;
    const char* fallback;
};

constexpr Key kWindowSize[] = {{"WindowSize", "W", "12000"},
                               {"WindowSize", "H", "8000"},
                               {"WindowSize", "T", "0"},
                               {"WindowSize", "L", "0"}};
constexpr Key kPicWindowSize[] = {{"PicWindowSize", "W", "2000"},
                                  {"PicWindowSize", "H", "2500"},
                                  {"PicWindowSize", "T", "2500"},
                                  {"PicWindowSize", "L", "9000"}};

constexpr Key kDisplay{"Options", "Display", "10"};
constexpr Key kRecycleBin{"Options", "RecycleBin", "12"};
constexpr Key kShowTips{"Options", "Show Tips at Startup", "1"};
constexpr Key kMinFileSize{"Options", "MinFileSize", "10"};
constexpr Key kMaxFileSize{"Options", "MaxFileSize", ""};
constexpr Key kChkClose{"Options", "ChkClose", "1"};
constexpr Key kFileMaskSelected{"FileMaskSelected", "Value", "All files(*.*)"};
constexpr const char* kFileMaskSection = "FileMask";

constexpr Key kExportType{"Export", "ExportType", "1"};
constexpr Key kExportFormat{"Export", "ExportFormat", "2"};
constexpr Key kExportChar{"Export", "ExportChar", "2"};
constexpr Key kOpenFile{"Export", "OpenFile", "1"};

constexpr Key kDateTime{"AdvMarking", "DateTime", "1"};
constexpr Key kFileSize{"AdvMarking", "FileSize", "0"};
constexpr Key kVersion{"AdvMarking", "Version", "0"};
constexpr Key kSizeLimit{"AdvMarking", "SizeLimit", "0"};
constexpr Key kTxtSize{"AdvMarking", "txtSize", ""};
constexpr Key kSizeOptions{"AdvMarking", "cmbSizeOptions", "KB"};
constexpr Key kFileMask1{"AdvMarking", "cmbFileMask1", "All files(*.*)"};
constexpr Key kIncSubFolders{"AdvMarking", "chkIncSubFolders", "1"};
constexpr Key kFileMask2{"AdvMarking", "cmbFileMask2", "All files(*.*)"};

constexpr Key kMaxLimitOption{"MaxLimit", "Option", "1"};
constexpr Key kMaxText{"MaxText", "Value", "0"};
constexpr Key kMaxSet{"MaxSet", "Value", "0"};

constexpr Key kTotRun{"GenInfo", "TotRun", "0"};
constexpr Key kInsDate{"GenInfo", "InsDate", "Null"};

constexpr Key kMailHost{"Reports", "MailHost", "mail.pairwell.example"};
constexpr Key kSupportAddress{"Reports", "SupportAddress", "support@pairwell.example"};

std::string text(const SettingsStore& store, const Key& key) {
    return store.get(key.section, key.key, key.fallback);
}

void put(SettingsStore& store, const Key& key, const std::string& value) {
    store.saveValue(key.section, key.key, value);
}

std::optional<long long> parseWhole(std::string_view value) {
    value = trimBlanks(value);
    if (value.starts_with('+')) {
        value.remove_prefix(1);
    }
    long long number = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
    if (value.empty() || error != std::errc{} || end != value.data() + value.size()) {
        return std::nullopt;
    }
    return number;
}

std::optional<float> parseSingle(std::string_view value) {
    value = trimBlanks(value);
    if (value.starts_with('+')) {
        value.remove_prefix(1);
    }
    float number = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
    if (value.empty() || error != std::errc{} || end != value.data() + value.size() ||
        !std::isfinite(number)) {
        return std::nullopt;
    }
    return number;
}

long long whole(const SettingsStore& store, const Key& key) {
    return parseWhole(text(store, key)).value_or(*parseWhole(key.fallback));
}

int wholeInt(const SettingsStore& store, const Key& key) {
    const long long value = whole(store, key);
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max()) {
        return static_cast<int>(*parseWhole(key.fallback));
    }
    return static_cast<int>(value);
}

// A check box value: 0 or 1; any other number reads as the default.
bool flag(const SettingsStore& store, const Key& key) {
    const long long value = whole(store, key);
    return value == 0 || value == 1 ? value == 1 : *parseWhole(key.fallback) == 1;
}

void putWhole(SettingsStore& store, const Key& key, long long value) {
    put(store, key, std::to_string(value));
}

void putFlag(SettingsStore& store, const Key& key, bool value) {
    put(store, key, value ? "1" : "0");
}

// Shortest fixed notation, so that 12000 is stored as "12000", never as "1.2e+04".
std::string singleText(float value) {
    char buffer[64];
    const auto [end, error] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    return error == std::errc{} ? std::string(buffer, end) : std::string("0");
}

WindowGeometry loadGeometry(const SettingsStore& store, const Key (&keys)[4]) {
    float values[4];
    for (int i = 0; i < 4; ++i) {
        values[i] = parseSingle(text(store, keys[i])).value_or(*parseSingle(keys[i].fallback));
    }
    return {values[0], values[1], values[2], values[3]};
}

void saveGeometry(SettingsStore& store, const Key (&keys)[4], const WindowGeometry& geometry) {
    const float values[4] = {geometry.width, geometry.height, geometry.top, geometry.left};
    for (int i = 0; i < 4; ++i) {
        put(store, keys[i], singleText(values[i]));
    }
}

// A number that selects one of the options first..last, or none of them.
std::optional<int> choice(const SettingsStore& store, const Key& key, int first, int last) {
    const long long value = whole(store, key);
    return value >= first && value <= last ? std::optional<int>(static_cast<int>(value))
                                           : std::nullopt;
}

std::optional<long long> keyNumber(const std::string& key) {
    return key.empty() ||
                   !std::all_of(key.begin(), key.end(), [](char c) { return c >= '0' && c <= '9'; })
               ? std::nullopt
               : parseWhole(key);
}

} // namespace

const std::array<std::string_view, 10> kBuiltInFileMasks{
    "All files(*.*)",
    "Documents(*.doc *.pdf *.rtf *.xls *.ppt)",
    "File archive (*.zip *.cab *.arc *.arj *.rar *.jar)",
    "Images  (*.bmp *.gif *.jpg *.jpeg *.pcx *.png *.psd *.tif *.wmf)",
    "Music files (*.mpa *.mp2 *.mp3 *.wav *.mid *.midi *.aif *.aiff *.au *.rmi *.snd *.ogg)",
    "Program files (*.exe *.dll *.com *.sys *.ocx *.vbx *.bat *.msi)",
    "Program source (*.asm *.c *.cpp *.css *.h *.bas *.vba *.dpr *.dfm *.inc *.pas *.js "
    "*.java)",
    "Text files  (*.txt *.bak)",
    "Video clips (*.avi *.mov *.mpg *.m1v *.mpeg *.qt *.wm *.wmv)",
    "Web pages  (*.htm *.html *.php *.asp *.xml)",
};

WindowGeometry loadWindowSize(const SettingsStore& store) {
    return loadGeometry(store, kWindowSize);
}

void saveWindowSize(SettingsStore& store, const WindowGeometry& geometry) {
    saveGeometry(store, kWindowSize, geometry);
}

WindowGeometry loadPicWindowSize(const SettingsStore& store) {
    return loadGeometry(store, kPicWindowSize);
}

void savePicWindowSize(SettingsStore& store, const WindowGeometry& geometry) {
    saveGeometry(store, kPicWindowSize, geometry);
}

int loadDisplay(const SettingsStore& store) {
    return wholeInt(store, kDisplay);
}

void saveDisplay(SettingsStore& store, int display) {
    putWhole(store, kDisplay, display);
}

int loadRecycleBin(const SettingsStore& store) {
    return wholeInt(store, kRecycleBin);
}

void saveRecycleBin(SettingsStore& store, int recycleBin) {
    putWhole(store, kRecycleBin, recycleBin);
}

bool loadShowTipsAtStartup(const SettingsStore& store) {
    return whole(store, kShowTips) == 1;
}

void saveShowTipsAtStartup(SettingsStore& store, bool show) {
    putFlag(store, kShowTips, show);
}

bool loadChkClose(const SettingsStore& store) {
    return flag(store, kChkClose);
}

void saveChkClose(SettingsStore& store, bool checked) {
    putFlag(store, kChkClose, checked);
}

LastFolderEntries loadLastFolderEntries(const SettingsStore& store) {
    return {text(store, kFileMaskSelected), text(store, kMinFileSize), text(store, kMaxFileSize)};
}

void saveLastFolderEntries(SettingsStore& store, const LastFolderEntries& entries) {
    put(store, kFileMaskSelected, entries.fileMask);
    put(store, kMinFileSize, entries.minSize);
    put(store, kMaxFileSize, entries.maxSize);
}

MaskList LoadFileMaskList(const SettingsStore& store) {
    MaskList list;
    auto section = store.section(kFileMaskSection);
    if (!section) {
        list.masks.assign(kBuiltInFileMasks.begin(), kBuiltInFileMasks.end());
        return list;
    }
    // Keys are positions; a key that is no number (written by hand) goes last.
    std::stable_sort(section->begin(), section->end(), [](const auto& a, const auto& b) {
        const auto x = keyNumber(a.first);
        const auto y = keyNumber(b.first);
        return x && (!y || *x < *y);
    });
    list.stored = true;
    for (auto& entry : *section) {
        list.masks.push_back(std::move(entry.second));
    }
    return list;
}

void SaveFileMaskList(SettingsStore& store, const std::vector<std::string>& masks) {
    store.deleteSection(kFileMaskSection);
    for (std::size_t i = 0; i < masks.size(); ++i) {
        store.saveValue(kFileMaskSection, std::to_string(i), masks[i]);
    }
}

ExportChoices loadExportChoices(const SettingsStore& store) {
    ExportChoices choices;
    choices.exportType = choice(store, kExportType, 1, 3);
    choices.html = whole(store, kExportFormat) == 1;
    choices.exportChar = choice(store, kExportChar, 1, 4);
    choices.openFile = flag(store, kOpenFile);
    return choices;
}

void saveExportChoices(SettingsStore& store, const ExportChoices& choices) {
    if (choices.exportType) {
        putWhole(store, kExportType, *choices.exportType);
    }
    putWhole(store, kExportFormat, choices.html ? 1 : 2);
    if (choices.exportChar) {
        putWhole(store, kExportChar, *choices.exportChar);
    }
    putFlag(store, kOpenFile, choices.openFile);
}

AdvMarkingValues loadAdvMarkingValues(const SettingsStore& store) {
    AdvMarkingValues values;
    values.dateTime = wholeInt(store, kDateTime);
    values.fileSize = wholeInt(store, kFileSize);
    values.version = wholeInt(store, kVersion);
    values.sizeLimit = wholeInt(store, kSizeLimit);
    values.txtSize = text(store, kTxtSize);
    values.cmbSizeOptions = text(store, kSizeOptions);
    values.cmbFileMask1 = text(store, kFileMask1);
    values.chkIncSubFolders = flag(store, kIncSubFolders);
    values.cmbFileMask2 = text(store, kFileMask2);
    return values;
}

void saveAdvMarkingValues(SettingsStore& store, const AdvMarkingValues& values) {
    putWhole(store, kDateTime, values.dateTime);
    putWhole(store, kFileSize, values.fileSize);
    putWhole(store, kVersion, values.version);
    putWhole(store, kSizeLimit, values.sizeLimit);
    put(store, kTxtSize, values.txtSize);
    put(store, kSizeOptions, values.cmbSizeOptions);
    put(store, kFileMask1, values.cmbFileMask1);
    putFlag(store, kIncSubFolders, values.chkIncSubFolders);
    put(store, kFileMask2, values.cmbFileMask2);
}

MaxSizeValues loadMaxSizeValues(const SettingsStore& store) {
    return {wholeInt(store, kMaxLimitOption), text(store, kMaxText), wholeInt(store, kMaxSet)};
}

void saveMaxSizeValues(SettingsStore& store, const MaxSizeValues& values) {
    if (values.option) {
        putWhole(store, kMaxLimitOption, *values.option);
    }
    put(store, kMaxText, values.text);
    putWhole(store, kMaxSet, values.unitIndex);
}

GenInfo loadGenInfo(const SettingsStore& store) {
    const long long runs = std::clamp<long long>(whole(store, kTotRun), INT16_MIN, INT16_MAX);
    return {static_cast<std::int16_t>(runs), text(store, kInsDate)};
}

void recordScanStart(SettingsStore& store, std::time_t now) {
    GenInfo info = loadGenInfo(store);
    if (info.totRun < INT16_MAX) {
        ++info.totRun;
    }
    if (info.insDate == kInsDate.fallback) {
        info.insDate = DateText(now);
    }
    putWhole(store, kTotRun, info.totRun);
    put(store, kInsDate, info.insDate);
}

ReportMailSettings loadReportMailSettings(const SettingsStore& store) {
    return {text(store, kMailHost), text(store, kSupportAddress)};
}

} // namespace pw
