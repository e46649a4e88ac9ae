#include "fileops/recycle_preference.h"

#include <gtest/gtest.h>

namespace pw {
namespace {

TEST(RecyclePreference, AbsentOrDamagedValueMeansTheTrash) {
    MemorySettingsStore store;
    EXPECT_EQ(loadRecyclePreference(store), RecyclePreference::RecycleBin);
    store.saveValue("Options", "RecycleBin", "11");
    EXPECT_EQ(loadRecyclePreference(store), RecyclePreference::Permanent);
    EXPECT_FALSE(sendsToRecycleBin(loadRecyclePreference(store)));
    for (const char* damaged : {"", "abc", "0", "111", "1 1"}) {
        store.saveValue("Options", "RecycleBin", damaged);
        EXPECT_EQ(loadRecyclePreference(store), RecyclePreference::RecycleBin) << damaged;
    }
    saveRecyclePreference(store, RecyclePreference::RecycleBin);
    EXPECT_EQ(store.value("Options", "RecycleBin"), "12");
    EXPECT_TRUE(sendsToRecycleBin(loadRecyclePreference(store)));
}

TEST(RecyclePreference, ToggleAsksOnlyBeforeSwitchingToPermanent) {
    MemorySettingsStore store;
    std::vector<UserMessage> asked;
    bool answer = false;
    const AskYesNo ask = [&](const UserMessage& question) {
        asked.push_back(question);
        return answer;
    };

    // No keeps the trash and stores nothing.
    EXPECT_EQ(toggleRecyclePreference(store, ask), RecyclePreference::RecycleBin);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].title, "Confirm");
    EXPECT_EQ(asked[0].text, "This will delete the files permanently i.e., they are not sent "
                             "to the recycle bin.\nAre you sure you want to preceed.");
    EXPECT_FALSE(store.value("Options", "RecycleBin").has_value());

    answer = true;
    EXPECT_EQ(toggleRecyclePreference(store, ask), RecyclePreference::Permanent);
    EXPECT_EQ(store.value("Options", "RecycleBin"), "11");
    EXPECT_EQ(asked.size(), 2u);

    // Back to the trash without a question.
    EXPECT_EQ(toggleRecyclePreference(store, ask), RecyclePreference::RecycleBin);
    EXPECT_EQ(store.value("Options", "RecycleBin"), "12");
    EXPECT_EQ(asked.size(), 2u);
}

TEST(RecyclePreference, DialogBoxStaysCheckedUnlessConfirmed) {
    UserMessage seen;
    EXPECT_TRUE(confirmRecycleBinUnchecked([&](const UserMessage& question) {
        seen = question;
        return false;
    }));
    EXPECT_EQ(seen.text, "This will delete the files permanently i.e., they are not sent to "
                         "the recycle bin.\nAre you sure to preceed.");
    EXPECT_EQ(seen.title, "Confirm");
    EXPECT_FALSE(confirmRecycleBinUnchecked([](const UserMessage&) { return true; }));
}

} // namespace
} // namespace pw
