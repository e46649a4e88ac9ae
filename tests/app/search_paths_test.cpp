// The search-path list and the add-folder dialog's rules, against the cases users meet:
// the same folder twice, excluded folders, bad sizes and typed masks.

#include "app/search_paths.h"

#include <gtest/gtest.h>

namespace pw {
namespace {

using Masks = std::vector<std::string>;

// Add as the main window runs it: a fresh dialog, the folder picked, `edit` on the
// controls, OK, then the row added or updated.
SearchPathEntry addFolder(MemorySettingsStore& store, std::vector<SearchPathEntry>& rows,
                          const std::string& folder, const std::function<void(FolderForm&)>& edit) {
    FolderForm form = newFolderForm(store);
    form.path = folder;
    edit(form);
    Masks masks = LoadFileMaskList(store).masks;
    const SearchPathEntry entry = acceptFolderForm(form, masks, store);
    addOrUpdateSearchPath(rows, entry);
    return entry;
}

std::vector<std::string> row(const SearchPathEntry& e) {
    return {e.folder, e.subFolders, e.fileTypes, e.minSize, e.maxSize, std::to_string(e.icon)};
}

TEST(SearchPaths, TheSameFolderUpdatesItsRowAndOtherLetterCaseAddsOne) {
    MemorySettingsStore store;
    std::vector<SearchPathEntry> rows;
    addFolder(store, rows, "/data/Photos", [](FolderForm&) {});
    addFolder(store, rows, "/data/Photos", [](FolderForm& f) {
        f.includeSubFolders = false;
        f.maxText = "500";
        setExclude(f, true);
    });
    addFolder(store, rows, "/data/photos", [](FolderForm&) {});
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(row(rows[0]), (std::vector<std::string>{"/data/Photos", "Yes", "", "", "", "16"}));
    // The excluded folder stored empty sizes, and OK turns the empty minimum into "10".
    EXPECT_EQ(row(rows[1]),
              (std::vector<std::string>{"/data/photos", "Yes", "All files(*.*)", "10", "", "15"}));
}

TEST(SearchPaths, OkCorrectsBadEntriesSilently) {
    MemorySettingsStore store;
    std::vector<SearchPathEntry> rows;
    const SearchPathEntry entry = addFolder(store, rows, "/d", [](FolderForm& f) {
        f.minText = "ten";
        f.maxText = "abc";
        f.mask = "   ";
        f.includeSubFolders = false;
    });
    EXPECT_EQ(row(entry), (std::vector<std::string>{"/d", "No", "All files(*.*)", "10", "", "15"}));
    // The mask box text itself is what is stored as the last mask.
    EXPECT_EQ(newFolderForm(store).mask, "   ");

    FolderForm blank;
    blank.minText = " ";
    Masks masks;
    EXPECT_EQ(acceptFolderForm(blank, masks, store).minSize, "10");
}

TEST(SearchPaths, ExcludeRemembersAndGivesBackIncludeSubFolders) {
    FolderForm form;
    form.includeSubFolders = false;
    setExclude(form, true);
    EXPECT_TRUE(form.includeSubFolders);
    EXPECT_FALSE(form.optionsEnabled());
    setExclude(form, false);
    EXPECT_FALSE(form.includeSubFolders);
    EXPECT_TRUE(form.optionsEnabled());

    SearchPathEntry excluded;
    excluded.folder = "/x";
    excluded.subFolders = "No";
    excluded.fileTypes.clear();
    excluded.icon = kExcludeIcon;
    FolderForm edit = folderFormForRow(excluded);
    EXPECT_TRUE(edit.exclude);
    EXPECT_TRUE(edit.includeSubFolders);
    EXPECT_EQ(edit.mask, "");
    setExclude(edit, false);
    EXPECT_FALSE(edit.includeSubFolders);
}

TEST(SearchPaths, LeavingTheSizeBoxes) {
    struct Case {
        const char* min;
        const char* max;
        const char* maxAfter;
        bool message;
    };
    for (const Case& c : {Case{"10", "10", "", true}, Case{"10", "9", "", true},
                          Case{"10", "11", "11", false}, Case{"10", "abc", "", false},
                          Case{"10", "", "", false}, Case{"10.4", "10.6", "10.6", false},
                          Case{"", "10", "", true}, Case{"1", "1e999", "1e999", false}}) {
        FolderForm form;
        form.minText = c.min;
        form.maxText = c.max;
        const auto message = leaveMaxBox(form);
        EXPECT_EQ(form.maxText, c.maxAfter) << c.min << " " << c.max;
        ASSERT_EQ(message.has_value(), c.message) << c.min << " " << c.max;
        if (message) {
            EXPECT_EQ(message->text, "Maximum size must be greater then minimum size");
            EXPECT_EQ(message->title, "Error");
        }
    }
    FolderForm form;
    for (const char* bad : {"", " ", "x1"}) {
        form.minText = bad;
        leaveMinBox(form);
        EXPECT_EQ(form.minText, "10") << bad;
    }
    form.path = "  ";
    EXPECT_FALSE(okEnabled(form));
    form.path = "/a";
    EXPECT_TRUE(okEnabled(form));
}

TEST(SearchPaths, ANewMaskIsAppendedAndTheListStoredAgain) {
    MemorySettingsStore store;
    Masks masks = LoadFileMaskList(store).masks; // the ten built-in masks
    EXPECT_FALSE(updateMaskList(store, masks, "All files(*.*)"));
    EXPECT_FALSE(updateMaskList(store, masks, "  "));
    EXPECT_FALSE(store.section("FileMask")); // nothing stored for an existing entry
    EXPECT_TRUE(updateMaskList(store, masks, "all files(*.*)"));
    ASSERT_EQ(masks.size(), 11u);
    const MaskList stored = LoadFileMaskList(store);
    EXPECT_TRUE(stored.stored);
    EXPECT_EQ(stored.masks, masks);
    EXPECT_EQ(store.value("FileMask", "10"), "all files(*.*)");
}

} // namespace
} // namespace pw
