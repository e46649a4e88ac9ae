// The settings table: every default, the spelling of every section and key, damaged
// numbers, the stored mask list and the run counter.

#include "common/format.h"
#include "settings/settings_table.h"

#include <gtest/gtest.h>
#include <sstream>

namespace pw {
namespace {

using Masks = std::vector<std::string>;

// Everything the accessors read, as one text, so that two stores can be compared whole.
std::string everything(const SettingsStore& store) {
    std::ostringstream out;
    for (const WindowGeometry& g : {loadWindowSize(store), loadPicWindowSize(store)}) {
        out << g.width << ' ' << g.height << ' ' << g.top << ' ' << g.left << '|';
    }
    out << loadDisplay(store) << loadRecycleBin(store) << loadShowTipsAtStartup(store)
        << loadChkClose(store) << '|';
    const LastFolderEntries last = loadLastFolderEntries(store);
    out << last.fileMask << '|' << last.minSize << '|' << last.maxSize << '|';
    const ExportChoices e = loadExportChoices(store);
    out << e.exportType.value_or(0) << e.html << e.exportChar.value_or(0) << e.openFile << '|';
    const AdvMarkingValues a = loadAdvMarkingValues(store);
    out << a.dateTime << a.fileSize << a.version << a.sizeLimit << '|' << a.txtSize << '|'
        << a.cmbSizeOptions << '|' << a.cmbFileMask1 << '|' << a.chkIncSubFolders << '|'
        << a.cmbFileMask2 << '|';
    const MaxSizeValues m = loadMaxSizeValues(store);
    out << m.option.value_or(0) << '|' << m.text << '|' << m.unitIndex << '|';
    const GenInfo info = loadGenInfo(store);
    out << info.totRun << '|' << info.insDate << '|';
    const ReportMailSettings mail = loadReportMailSettings(store);
    out << mail.mailHost << '|' << mail.supportAddress;
    return out.str();
}

TEST(SettingsTable, AnEmptyStoreGivesEveryDefault) {
    const MemorySettingsStore store;
    EXPECT_EQ(everything(store), "12000 8000 0 0|2000 2500 2500 9000|101211|"
                                 "All files(*.*)|10||1021|1000||KB|All files(*.*)|1|"
                                 "All files(*.*)|1|0|0|0|Null|"
                                 "mail.pairwell.example|support@pairwell.example");
    const MaskList masks = LoadFileMaskList(store);
    EXPECT_FALSE(masks.stored);
    EXPECT_EQ(masks.masks.size(), 10u);
    EXPECT_EQ(masks.masks[3], "Images  (*.bmp *.gif *.jpg *.jpeg *.pcx *.png *.psd *.tif *.wmf)");
}

TEST(SettingsTable, EveryValueIsWrittenUnderItsSectionAndKey) {
    MemorySettingsStore store;
    saveWindowSize(store, {1234.5f, 8000, 0, 10000000});
    savePicWindowSize(store, {1, 2, 3, 4});
    saveDisplay(store, kDisplayOff);
    saveRecycleBin(store, 11);
    saveShowTipsAtStartup(store, false);
    saveChkClose(store, false);
    saveLastFolderEntries(store, {"*.txt", "", "99"});
    saveExportChoices(store, {3, true, 4, false});
    saveAdvMarkingValues(store, {2, 1, 0, 3, "2.9", "MB", "*.jpg", false, "*.doc"});
    saveMaxSizeValues(store, {3, "1.5", 2});
    store.saveValue("Reports", "MailHost", "127.0.0.1:2525");
    store.saveValue("Reports", "SupportAddress", "help@example.org");
    const ReportMailSettings mail = loadReportMailSettings(store);
    EXPECT_EQ(mail.mailHost, "127.0.0.1:2525");
    EXPECT_EQ(mail.supportAddress, "help@example.org");

    const std::vector<std::array<std::string, 3>> expected{
        {"WindowSize", "W", "1234.5"},
        {"WindowSize", "H", "8000"},
        {"WindowSize", "T", "0"},
        {"WindowSize", "L", "10000000"}, // never in exponent form
        {"PicWindowSize", "W", "1"},
        {"PicWindowSize", "H", "2"},
        {"PicWindowSize", "T", "3"},
        {"PicWindowSize", "L", "4"},
        {"Options", "Display", "9"},
        {"Options", "RecycleBin", "11"},
        {"Options", "Show Tips at Startup", "0"},
        {"Options", "ChkClose", "0"},
        {"FileMaskSelected", "Value", "*.txt"},
        {"Options", "MinFileSize", ""},
        {"Options", "MaxFileSize", "99"},
        {"Export", "ExportType", "3"},
        {"Export", "ExportFormat", "1"},
        {"Export", "ExportChar", "4"},
        {"Export", "OpenFile", "0"},
        {"AdvMarking", "DateTime", "2"},
        {"AdvMarking", "FileSize", "1"},
        {"AdvMarking", "Version", "0"},
        {"AdvMarking", "SizeLimit", "3"},
        {"AdvMarking", "txtSize", "2.9"},
        {"AdvMarking", "cmbSizeOptions", "MB"},
        {"AdvMarking", "cmbFileMask1", "*.jpg"},
        {"AdvMarking", "chkIncSubFolders", "0"},
        {"AdvMarking", "cmbFileMask2", "*.doc"},
        {"MaxLimit", "Option", "3"},
        {"MaxText", "Value", "1.5"},
        {"MaxSet", "Value", "2"},
    };
    for (const auto& [section, key, text] : expected) {
        EXPECT_EQ(store.value(section, key), text) << section << "/" << key;
    }
    EXPECT_EQ(loadWindowSize(store), (WindowGeometry{1234.5f, 8000, 0, 10000000}));

    // A choice that selects no option is not written at all.
    MemorySettingsStore none;
    saveExportChoices(none, {std::nullopt, false, std::nullopt, true});
    saveMaxSizeValues(none, {std::nullopt, "0", 0});
    EXPECT_FALSE(none.value("Export", "ExportType"));
    EXPECT_FALSE(none.value("Export", "ExportChar"));
    EXPECT_EQ(none.value("Export", "ExportFormat"), "2");
    EXPECT_FALSE(none.value("MaxLimit", "Option"));
}

TEST(SettingsTable, ADamagedNumberReadsAsItsDefault) {
    // A hand-edited or damaged settings file must not stop the program: every number that
    // does not read as one gives the key's default.
    MemorySettingsStore damaged;
    for (const auto& [section, keys] : std::vector<std::pair<std::string, Masks>>{
             {"WindowSize", {"W", "H", "T", "L"}},
             {"PicWindowSize", {"W", "H", "T", "L"}},
             {"Options", {"Display", "RecycleBin", "Show Tips at Startup", "ChkClose"}},
             {"Export", {"ExportType", "ExportFormat", "ExportChar", "OpenFile"}},
             {"AdvMarking", {"DateTime", "FileSize", "Version", "SizeLimit", "chkIncSubFolders"}},
             {"MaxLimit", {"Option"}},
             {"MaxSet", {"Value"}},
             {"GenInfo", {"TotRun"}}}) {
        for (const std::string& key : keys) {
            damaged.saveValue(section, key, key.size() % 2 ? "abc" : "1e999");
        }
    }
    EXPECT_EQ(everything(damaged), everything(MemorySettingsStore{}));

    // Blanks around a number are fine; a check box value other than 0 or 1 is the default.
    MemorySettingsStore odd;
    odd.saveValue("Options", "Display", " 9 ");
    odd.saveValue("Options", "ChkClose", "7");
    odd.saveValue("Export", "ExportType", "5");
    EXPECT_EQ(loadDisplay(odd), 9);
    EXPECT_TRUE(loadChkClose(odd));
    EXPECT_FALSE(loadExportChoices(odd).exportType); // a number that selects no option
}

TEST(FileMaskList, ReadInNumericKeyOrderAndRewrittenWhole) {
    MemorySettingsStore store;
    for (int key : {10, 9, 0, 1, 2, 3, 4, 5, 6, 7, 8}) {
        store.saveValue("FileMask", std::to_string(key), "m" + std::to_string(key));
    }
    store.saveValue("FileMask", "x", "by hand");
    MaskList list = LoadFileMaskList(store);
    EXPECT_TRUE(list.stored);
    EXPECT_EQ(list.masks, (Masks{"m0", "m1", "m2", "m3", "m4", "m5", "m6", "m7", "m8", "m9", "m10",
                                 "by hand"}));

    SaveFileMaskList(store, {"a", "b"});
    EXPECT_EQ(store.section("FileMask"),
              (std::vector<std::pair<std::string, std::string>>{{"0", "a"}, {"1", "b"}}));

    // A section that exists without values is an empty list, not the built-in one.
    SaveFileMaskList(store, {});
    store.saveValue("FileMask", "0", "a");
    store.deleteValue("FileMask", "0");
    list = LoadFileMaskList(store);
    EXPECT_TRUE(list.stored);
    EXPECT_TRUE(list.masks.empty());
}

TEST(GenInfo, EveryScanStartCountsAndTheFirstSetsTheDate) {
    MemorySettingsStore store;
    const std::time_t first = 1'700'000'000;
    recordScanStart(store, first);
    recordScanStart(store, first + 86400);
    EXPECT_EQ(store.value("GenInfo", "TotRun"), "2");
    EXPECT_EQ(store.value("GenInfo", "InsDate"), DateText(first));

    // The 16-bit counter stays at its largest value.
    store.saveValue("GenInfo", "TotRun", "32767");
    recordScanStart(store, first);
    EXPECT_EQ(loadGenInfo(store).totRun, 32767);
}

TEST(MemorySettingsStore, KeepsSectionsAndNumericStoreOrder) {
    MemorySettingsStore store;
    EXPECT_FALSE(store.section("FileMask"));
    EXPECT_EQ(store.get("Export", "ExportType", "1"), "1");
    for (int k : {10, 2, 0, 1}) {
        store.saveValue("FileMask", std::to_string(k), "mask" + std::to_string(k));
    }
    store.saveValue("FileMask", "name", "x");
    const auto values = store.section("FileMask");
    ASSERT_TRUE(values);
    std::vector<std::string> keys;
    for (const auto& [key, value] : *values) {
        keys.push_back(key);
    }
    EXPECT_EQ(keys, (std::vector<std::string>{"0", "1", "2", "10", "name"}));
    store.deleteValue("FileMask", "name");
    EXPECT_FALSE(store.value("FileMask", "name"));
    store.deleteSection("FileMask");
    EXPECT_FALSE(store.section("FileMask"));
}

} // namespace
} // namespace pw
