#include "results/adv_marking.h"
#include "row_builder.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <gtest/gtest.h>

namespace pw {
namespace {

constexpr std::uint64_t kMB = 1024 * 1024;
using Names = std::vector<std::string>;

using test::markedNames;
using test::RowDef;
using test::tableOf;

TEST(MatchMask, ExtensionMustOccurInTheMaskWithItsLetterCase) {
    const std::string images{kBuiltInFileMasks[3]};
    EXPECT_TRUE(MatchMask("a.jpg", images));
    EXPECT_TRUE(MatchMask("a.jpe", images)); // ".jpe" occurs inside ".jpeg"
    EXPECT_FALSE(MatchMask("A.JPG", images));
    EXPECT_FALSE(MatchMask("a.txt", images));
    EXPECT_FALSE(MatchMask("README", images));
    EXPECT_TRUE(MatchMask("README", "All files(*.*)"));
    EXPECT_TRUE(MatchMask("a.tar.gz", "*.gz"));
    EXPECT_FALSE(MatchMask("a.gz.tar", "*.gz"));

    EXPECT_EQ(maskAfterEdit("   "), "All files(*.*)");
    EXPECT_EQ(maskAfterEdit(""), "All files(*.*)");
    EXPECT_EQ(maskAfterEdit(" *.txt"), " *.txt");
}

TEST(AdvMarkingSettings, ExactlyOneKeepRuleStaysInForce) {
    AdvMarkingSettings settings;
    chooseSizeRule(settings, SizeRule::KeepLarger);
    EXPECT_EQ(settings.dateRule, DateRule::None);
    EXPECT_EQ(settings.sizeRule, SizeRule::KeepLarger);
    chooseVersionRule(settings, VersionRule::KeepOlder);
    EXPECT_EQ(settings.sizeRule, SizeRule::None);
    EXPECT_EQ(settings.versionRule, VersionRule::KeepOlder);
    chooseSizeRule(settings, SizeRule::None); // version still in force
    EXPECT_EQ(settings.dateRule, DateRule::None);
    chooseVersionRule(settings, VersionRule::None); // nothing left: newest is kept
    EXPECT_EQ(settings.dateRule, DateRule::KeepNewer);
    chooseDateRule(settings, DateRule::KeepOlder);
    EXPECT_EQ(settings.dateRule, DateRule::KeepOlder);
    chooseDateRule(settings, DateRule::None);
    EXPECT_EQ(settings.dateRule, DateRule::KeepNewer);
}

TEST(AdvMarkingSettings, StoredValuesRoundTripAndAlwaysLeaveOneKeepRule) {
    MemorySettingsStore store;
    const AdvMarkingSettings fresh = LoadAdvMarkingSettings(store);
    EXPECT_EQ(fresh.dateRule, DateRule::KeepNewer);
    EXPECT_EQ(fresh.sizeLimit, SizeLimitChoice::None);
    EXPECT_TRUE(fresh.includeSubFolders);

    AdvMarkingSettings chosen;
    chooseVersionRule(chosen, VersionRule::KeepOlder);
    chosen.sizeLimit = SizeLimitChoice::Specify;
    chosen.sizeText = "2.9";
    chosen.sizeUnit = "MB";
    chosen.rangeMask = "*.jpg";
    chosen.includeSubFolders = false;
    chosen.folderMask = "*.txt";
    SaveAdvMarkingSettings(store, chosen);
    const AdvMarkingSettings back = LoadAdvMarkingSettings(store);
    EXPECT_EQ(back.dateRule, DateRule::None);
    EXPECT_EQ(back.versionRule, VersionRule::KeepOlder);
    EXPECT_TRUE(back.sizeAmountEnabled());
    EXPECT_EQ(back.sizeText + back.sizeUnit + back.rangeMask + back.folderMask, "2.9MB*.jpg*.txt");
    EXPECT_FALSE(back.includeSubFolders);

    // Two rules stored: the later frame wins. None at all: the newest is kept. Any number
    // but 0 or 1 is the frame's second rule; a text that is no number the default.
    store.saveValue("AdvMarking", "DateTime", "1");
    store.saveValue("AdvMarking", "FileSize", "1");
    store.saveValue("AdvMarking", "Version", "0");
    EXPECT_EQ(LoadAdvMarkingSettings(store).sizeRule, SizeRule::KeepLarger);
    EXPECT_EQ(LoadAdvMarkingSettings(store).dateRule, DateRule::None);
    store.saveValue("AdvMarking", "DateTime", "0");
    store.saveValue("AdvMarking", "FileSize", "0");
    EXPECT_EQ(LoadAdvMarkingSettings(store).dateRule, DateRule::KeepNewer);
    store.saveValue("AdvMarking", "DateTime", "7");
    store.saveValue("AdvMarking", "SizeLimit", "9");
    EXPECT_EQ(LoadAdvMarkingSettings(store).dateRule, DateRule::KeepOlder);
    EXPECT_EQ(LoadAdvMarkingSettings(store).sizeLimit, SizeLimitChoice::Specify);
    store.saveValue("AdvMarking", "DateTime", "abc");
    EXPECT_EQ(LoadAdvMarkingSettings(store).dateRule, DateRule::KeepNewer);
}

TEST(SizeLimitKB, FromTheChoiceAmountAndUnit) {
    AdvMarkingSettings settings;
    EXPECT_EQ(SizeLimitKB(settings), 0);
    settings.sizeLimit = SizeLimitChoice::Cd;
    EXPECT_EQ(SizeLimitKB(settings), 716800);
    settings.sizeLimit = SizeLimitChoice::Dvd;
    EXPECT_EQ(SizeLimitKB(settings), 4589843);
    settings.sizeLimit = SizeLimitChoice::Specify;
    settings.sizeText = "2.9";
    settings.sizeUnit = "MB";
    EXPECT_EQ(SizeLimitKB(settings), 2048);
    settings.sizeUnit = "GB";
    EXPECT_EQ(SizeLimitKB(settings), 2 * 1024 * 1024);
    settings.sizeUnit = "KB";
    EXPECT_EQ(SizeLimitKB(settings), 2.9);
    settings.sizeUnit = "";
    EXPECT_EQ(SizeLimitKB(settings), 0);
    settings.sizeText = "2,9";
    EXPECT_FALSE(SizeLimitKB(settings));
}

// The rows a rule keeps, in list order (the rule sorts the list by group).
Names keptBy(const std::vector<RowDef>& defs, const std::function<void(AdvMarkingSettings&)>& rule,
             bool grouped = true) {
    ResultTable table = tableOf(defs);
    table.setGrouped(grouped);
    AdvMarkingSettings settings;
    rule(settings);
    MarkByRange(table, settings);
    Names kept;
    for (const ResultTableRow& row : table.rows()) {
        if (!row.marked) {
            kept.push_back(row.name);
        }
    }
    return kept;
}

TEST(MarkByRange, EachRuleKeepsOneFileOfEveryGroup) {
    const std::vector<RowDef> dated{{"b.txt", 1, "20240101110000", 2},
                                    {"x.txt", 1, "20240101100000", 1},
                                    {"y.txt", 1, "20240101120000", 1},
                                    {"a.txt", 1, "20240101100000", 2}};
    const auto date = [](DateRule r) {
        return [r](AdvMarkingSettings& s) { chooseDateRule(s, r); };
    };
    const auto size = [](SizeRule r) {
        return [r](AdvMarkingSettings& s) { chooseSizeRule(s, r); };
    };
    const auto version = [](VersionRule r) {
        return [r](AdvMarkingSettings& s) { chooseVersionRule(s, r); };
    };
    EXPECT_EQ(keptBy(dated, date(DateRule::KeepNewer)), (Names{"y.txt", "b.txt"}));
    EXPECT_EQ(keptBy(dated, date(DateRule::KeepOlder)), (Names{"x.txt", "a.txt"}));
    const std::vector<RowDef> sized{{"big", 900}, {"small", 5}, {"mid", 40}};
    EXPECT_EQ(keptBy(sized, size(SizeRule::KeepLarger)), Names{"big"});
    EXPECT_EQ(keptBy(sized, size(SizeRule::KeepSmaller)), Names{"small"});
    // Version texts compare as text: "9.0.0.0" is above "10.0.0.1".
    const std::vector<RowDef> versions{{"x", 1, "20240101000000", 1, "/p/", "9.0.0.0"},
                                       {"y", 1, "20240101000000", 1, "/p/", "10.0.0.1"}};
    EXPECT_EQ(keptBy(versions, version(VersionRule::KeepNewer)), Names{"x"});
    EXPECT_EQ(keptBy(versions, version(VersionRule::KeepOlder)), Names{"y"});
    // Rows without group numbers form one group.
    EXPECT_EQ(keptBy({{"a", 1, "20240101000000", 0}, {"b", 1, "20240102000000", 0}},
                     date(DateRule::KeepNewer), false),
              Names{"b"});

    // Ties fall to the position text in the rule's direction: rows 9 to 12 of group 2, all
    // of one size, keep the smallest text "10" ascending and the largest "9" descending.
    std::vector<RowDef> tied;
    for (int i = 1; i <= 8; ++i) {
        tied.push_back({"g1-" + std::to_string(i), 7, "20240101000000", 1});
    }
    for (int p = 9; p <= 12; ++p) {
        tied.push_back({"r" + std::to_string(p), 7, "20240101000000", 2});
    }
    EXPECT_EQ(keptBy(tied, size(SizeRule::KeepSmaller)), (Names{"g1-1", "r10"}));
    EXPECT_EQ(keptBy(tied, size(SizeRule::KeepLarger)), (Names{"g1-8", "r9"}));

    // Only files matching the mask take part, and earlier marks stay, uncounted.
    ResultTable table = tableOf({{"a.jpg", 10, "20240101100000", 1},
                                 {"b.txt", 20, "20240101110000", 1},
                                 {"c.txt", 30, "20240101120000", 1},
                                 {"d.jpg", 40, "20240101100000", 2},
                                 {"e.png", 50, "20240101100000", 2}});
    table.setMarked(3, true);
    AdvMarkingSettings settings;
    settings.rangeMask = "*.jpg";
    // a.jpg and d.jpg are each the only match in their group: marked, then kept.
    EXPECT_EQ(MarkByRange(table, settings).totalsText, "Total Files Marked 0 Size 0 Bytes");
    EXPECT_EQ(markedNames(table), Names{"c.txt"});
}

TEST(MarkByRange, SizeLimitStopsAfterTheFileThatCrossesItAndTheGroupStillKeepsOne) {
    std::vector<RowDef> defs;
    for (int g = 1; g <= 3; ++g) {
        for (int i = 1; i <= 3; ++i) {
            defs.push_back({"g" + std::to_string(g) + "-" + std::to_string(i), 400 * kMB,
                            "2024010100000" + std::to_string(i), g});
        }
    }
    ResultTable table = tableOf(defs);
    AdvMarkingSettings settings;
    settings.sizeLimit = SizeLimitChoice::Cd;
    const MarkOutcome outcome = MarkByRange(table, settings);
    // g1-1 and g1-2 were marked (800 MB, over the limit only after g1-2), then g1-3 stopped
    // the walk and the group kept its newest marked file, g1-2.
    EXPECT_EQ(markedNames(table), Names{"g1-1"});
    EXPECT_EQ(outcome.totalsText, "Total Files Marked 1 Size 400.00 MB");

    ResultTable roomy = tableOf(defs);
    settings.sizeLimit = SizeLimitChoice::Specify;
    settings.sizeText = "1";
    settings.sizeUnit = "GB";
    MarkByRange(roomy, settings);
    // 1048576 KB: all of group 1 is marked (1200 MB); closing it takes its kept file out
    // of the total (800 MB), so g2-1 is marked too, g2-2 stops the walk and g2-1 is kept.
    EXPECT_EQ(markedNames(roomy), (Names{"g1-1", "g1-2"}));
}

TEST(MarkByRange, AnAmountThatIsNoNumberMarksNothing) {
    ResultTable table = tableOf({{"b", 1, "20240101000000", 2}, {"a", 1, "20240101000000", 1}});
    AdvMarkingSettings settings;
    settings.sizeLimit = SizeLimitChoice::Specify;
    settings.sizeText = "lots";
    const MarkOutcome outcome = MarkByRange(table, settings);
    ASSERT_TRUE(outcome.message);
    EXPECT_EQ(outcome.message->text, "Type only integer values");
    EXPECT_EQ(outcome.message->title, "Error");
    EXPECT_FALSE(outcome.totalsText);
    EXPECT_TRUE(markedNames(table).empty());
}

TEST(FolderLines, SubFoldersAreCheckedWhereverTheyStandButNotPrefixSiblings) {
    std::vector<FolderLine> lines = makeFolderLines(
        {"/x/Database/", "/x/Data/Old/", "/x/Data/", "/x/Data.bak/", "/x/Data/Old/Deep/"});
    Names order;
    for (const FolderLine& line : lines) {
        EXPECT_FALSE(line.checked);
        order.push_back(line.text);
    }
    // "." sorts before "/": the backup folder stands between Data/ and its sub-folder.
    EXPECT_EQ(order, (Names{"/x/Data.bak/", "/x/Data/", "/x/Data/Old/", "/x/Data/Old/Deep/",
                            "/x/Database/"}));
    lines[1].checked = true;
    lines[2].checked = true; // already below a checked line
    checkSubFolderLines(lines);
    Names checked;
    for (const FolderLine& line : lines) {
        if (line.checked) {
            checked.push_back(line.text);
        }
    }
    EXPECT_EQ(checked, (Names{"/x/Data/", "/x/Data/Old/", "/x/Data/Old/Deep/"}));

    setAllFolderLines(lines, true);
    EXPECT_TRUE(
        std::all_of(lines.begin(), lines.end(), [](const FolderLine& l) { return l.checked; }));
    setAllFolderLines(lines, false);
    EXPECT_TRUE(
        std::none_of(lines.begin(), lines.end(), [](const FolderLine& l) { return l.checked; }));
}

TEST(MarkByFolders, MarksMatchingFilesOfTheCheckedFoldersOnly) {
    const std::vector<RowDef> defs{
        {"a.txt", 1, "20240101000000", 1, "/x/Database/"},
        {"b.txt", 2, "20240101000000", 1, "/x/Data/"},
        {"c.jpg", 4, "20240101000000", 2, "/x/Data/"},
        {"d.txt", 8, "20240101000000", 2, "/x/Data/Old/"},
        {"e.txt", 16, "20240101000000", 3, "/x/data/"},
        {"f.txt", 32, "20240101000000", 3, "/x/Data.bak/"},
    };
    // Lines deliberately out of the list's order.
    std::vector<FolderLine> lines{{"/x/Data/Old/", false},
                                  {"/x/Database/", false},
                                  {"/x/Data/", true},
                                  {"/x/data/", false},
                                  {"/x/Data.bak/", false}};
    ResultTable table = tableOf(defs);
    std::vector<FolderLine> flat = lines;
    const MarkOutcome outcome = MarkByFolders(table, flat, false, "*.txt");
    EXPECT_EQ(markedNames(table), Names{"b.txt"});
    EXPECT_EQ(outcome.totalsText, "Total Files Marked 1 Size 2 Bytes");
    EXPECT_FALSE(flat[0].checked);
    // The list is sorted by Path.
    EXPECT_EQ(table.row(1).folderText(), "/x/Data.bak/");

    ResultTable deep = tableOf(defs);
    deep.setMarked(6, true); // f.txt: marked before, stays, not counted
    std::vector<FolderLine> withSubs = lines;
    const MarkOutcome subOutcome = MarkByFolders(deep, withSubs, true, "All files(*.*)");
    EXPECT_EQ(markedNames(deep), (Names{"f.txt", "b.txt", "c.jpg", "d.txt"}));
    EXPECT_EQ(subOutcome.totalsText, "Total Files Marked 3 Size 14 Bytes");
    EXPECT_TRUE(withSubs[0].checked); // the user sees the sub-folder checked
    EXPECT_FALSE(withSubs[1].checked);

    std::vector<FolderLine> none = lines;
    setAllFolderLines(none, false);
    ResultTable untouched = tableOf(defs);
    EXPECT_EQ(MarkByFolders(untouched, none, true, "*.*").totalsText,
              "Total Files Marked 0 Size 0 Bytes");
}

} // namespace
} // namespace pw
