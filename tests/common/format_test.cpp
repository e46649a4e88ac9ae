#include "common/buz_timer.h"
#include "common/format.h"
#include "common/twips.h"
#include "support/scoped_env.h"

#include <ctime>
#include <gtest/gtest.h>
#include <limits>
#include <optional>

namespace pw {
namespace {

TEST(FormatSize, ChoosesTheUnitAndRoundsToTwoDecimals) {
    EXPECT_EQ(FormatSize(0), "0 Bytes");
    EXPECT_EQ(FormatSize(1023), "1023 Bytes");
    EXPECT_EQ(FormatSize(1023.9), "1023 Bytes"); // truncated, not rounded
    EXPECT_EQ(FormatSize(1024), "1.00 KB");
    EXPECT_EQ(FormatSize(1536), "1.50 KB");
    EXPECT_EQ(FormatSize(1048575), "1024.00 KB");
    EXPECT_EQ(FormatSize(1048576), "1.00 MB");
    EXPECT_EQ(FormatSize(1073741823), "1024.00 MB");
    EXPECT_EQ(FormatSize(1073741824), "1.00 GB");
    EXPECT_EQ(FormatSize(5368709120.0 * 1000), "5000.00 GB");
    EXPECT_EQ(FormatSize(1024 * 2.005), "2.01 KB"); // halves round up
}

TEST(SizeKey, PadsToTwelveDigitsAndKeepsLongerSizes) {
    EXPECT_EQ(SizeKey(1), "000000000001");
    EXPECT_EQ(SizeKey(5368709120ULL), "005368709120");
    EXPECT_EQ(SizeKey(1000000000000ULL), "1000000000000");
}

class LocalTimeTest : public ::testing::Test {
protected:
    void SetUp() override { tzset(); }
    void TearDown() override {
        m_utc.reset();
        tzset();
    }

private:
    std::optional<test::ScopedEnv> m_utc{std::in_place, "TZ", "UTC"};
};

// Regression: a date text read back with 12 AM taken as noon, or 12 PM as midnight, put
// the rows of a loaded session out of time order and kept the wrong file of a group.
TEST_F(LocalTimeTest, DateTextUsesTheTwelveHourClockAndReadsBackToItsStamp) {
    // 2006-03-07 16:05:09 UTC
    EXPECT_EQ(DateText(1141747509), "3/7/2006 4:05:09 PM");
    EXPECT_EQ(SortDateText(1141747509), "20060307160509");
    EXPECT_EQ(DateText(1141689600), "3/7/2006 12:00:00 AM");
    EXPECT_EQ(DateText(1141732800), "3/7/2006 12:00:00 PM");
    EXPECT_EQ(DateText(1703980799), "12/30/2023 11:59:59 PM");
    for (std::time_t t = 1141689600; t < 1141689600 + 86400; t += 59) {
        const auto back = readDateText(DateText(t));
        ASSERT_TRUE(back) << DateText(t);
        EXPECT_EQ(*back, localStamp(t)) << DateText(t);
    }
    EXPECT_EQ(readDateText("3/7/2006 12:05:09 AM")->hour, 0);
    EXPECT_EQ(SortDateText(*readDateText("3/7/2006 12:05:09 AM")), "20060307000509");
    EXPECT_EQ(SortDateText(*readDateText("3/7/2006 12:59:59 PM")), "20060307125959");
    EXPECT_EQ(readDateText("03/07/2006 01:05:09 PM")->hour, 13);
    for (const char* bad : {"", "d", "3/7/2006 4:05:09", "3/7/2006 0:05:09 AM",
                            "3/7/2006 13:05:09 PM", "13/7/2006 1:05:09 AM", "3/7/2006 4:05:09 pm",
                            "3/7/2006 4:05:09 PM ", "3/7/-2006 4:05:09 PM"}) {
        EXPECT_FALSE(readDateText(bad)) << bad;
    }
}

TEST(BuzTimer, ElapsedTextPadsSecondsAndMinutesOnlyBelowAnHour) {
    EXPECT_EQ(buzTimer::formatElapsed(0), "00:00:00");
    EXPECT_EQ(buzTimer::formatElapsed(42), "00:00:42");
    EXPECT_EQ(buzTimer::formatElapsed(307), "00:05:07");
    EXPECT_EQ(buzTimer::formatElapsed(3599), "00:59:59");
    EXPECT_EQ(buzTimer::formatElapsed(3907), "1:5:07");
    EXPECT_EQ(buzTimer::formatElapsed(36000 + 600), "10:10:00");
    buzTimer timer;
    EXPECT_EQ(timer.Elapsed(), "00:00:00");
}

TEST(GetExt, TakesTheTextAfterTheLastDot) {
    EXPECT_EQ(GetExt("archive.tar.gz"), "gz");
    EXPECT_EQ(GetExt("README"), "");
    EXPECT_EQ(GetExt(".bashrc"), "bashrc");
    EXPECT_EQ(GetExt("trailing."), "");
}

TEST(Twips, StoredGeometryMapsToPixelsAtTheScreensDpi) {
    EXPECT_EQ(twipsToPixels(12000, 96), 800);
    EXPECT_EQ(twipsToPixels(8000, 96), 533);
    EXPECT_EQ(twipsToPixels(12000, 192), 1600);
    EXPECT_EQ(twipsToPixels(12000, 0), 800); // no DPI reported: 96
    EXPECT_EQ(twipsToPixels(1e30, 96), std::numeric_limits<int>::max());
    EXPECT_FLOAT_EQ(pixelsToTwips(800, 96), 12000);
    EXPECT_FLOAT_EQ(pixelsToTwips(1600, 192), 12000);
}

TEST(Twips, ADialogIsCentredAcrossAndRaisedAboveTheMiddle) {
    const TwipsRect workArea{300, 450, 28800, 16200};
    const TwipsPoint origin = centerFormOrigin(workArea, 6001, 4001);
    EXPECT_EQ(origin.left, 300 + 11399);      // (28800 - 6001) / 2 rounded down
    EXPECT_EQ(origin.top, 450 + 6099 - 1000); // (16200 - 4001) / 2 rounded down
    // A dialog larger than the work area goes above and left of it, as the rule says.
    EXPECT_EQ(centerFormOrigin({0, 0, 1000, 1000}, 3001, 1000).left, -1001);
}

} // namespace
} // namespace pw
