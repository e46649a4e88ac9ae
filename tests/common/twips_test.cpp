#include "common/twips.h"

#include <gtest/gtest.h>
#include <limits>

namespace pw {
namespace {

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
