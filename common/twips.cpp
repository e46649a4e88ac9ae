#include "common/twips.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace pw {
namespace {

constexpr double kTwipsPerInch = 1440;
constexpr double kStandardDpi = 96;
constexpr double kCenterFormRaise = 1000;

double dpiOrStandard(double logicalDpi) {
    return logicalDpi > 0 ? logicalDpi : kStandardDpi;
}

} // namespace

int twipsToPixels(double twips, double logicalDpi) {
    // A damaged setting may hold any finite number; it must not overflow the int.
    const double pixels = std::clamp(twips * dpiOrStandard(logicalDpi) / kTwipsPerInch,
                                     double{std::numeric_limits<int>::min()},
                                     double{std::numeric_limits<int>::max()});
    return static_cast<int>(std::lround(pixels));
}

float pixelsToTwips(int pixels, double logicalDpi) {
    return static_cast<float>(pixels * kTwipsPerInch / dpiOrStandard(logicalDpi));
}

TwipsPoint centerFormOrigin(const TwipsRect& workArea, double dialogWidth, double dialogHeight) {
    return {workArea.left + std::floor((workArea.width - dialogWidth) / 2),
            workArea.top + std::floor((workArea.height - dialogHeight) / 2) - kCenterFormRaise};
}

} // namespace pw
