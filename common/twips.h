#pragma once
// Geometry in twips (1/1440 inch), as the settings store it, against the pixels of a
// screen.

namespace pw {

// 15 twips a pixel at 96 DPI. A DPI that is not positive counts as 96; a result beyond
// the range of int is clamped to it.
int twipsToPixels(double twips, double logicalDpi);
float pixelsToTwips(int pixels, double logicalDpi);

struct TwipsRect {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
};

struct TwipsPoint {
    double left = 0;
    double top = 0;
};

// Where a dialog of the given width and height goes in a work area (the screen without
// its panels): centred across, 1000 twips above the middle down, each half rounded down
// to whole twips.
TwipsPoint centerFormOrigin(const TwipsRect& workArea, double dialogWidth, double dialogHeight);

} // namespace pw
