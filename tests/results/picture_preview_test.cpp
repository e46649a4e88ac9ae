#include "results/picture_preview.h"

#include <gtest/gtest.h>

namespace pw {
namespace {

TEST(PreviewPicture, TheLastFourCharactersInLowerCaseMustBeAPictureType) {
    for (const char* name : {"photo.JPG", "a.bmp", "x.Dib", "y.gif", "z.wmf", "e.EMF", "i.ico",
                             "c.cur", ".jpg", "Ärger.gİf"}) {
        EXPECT_TRUE(isPreviewPicture(name)) << name;
    }
    // A whole type only: not the last four characters of a longer type, not a short name
    // and not an ending that straddles two types of the list.
    for (const char* name : {"photo.jpeg", "a.png", "gif", "jpg", "x.bm", "p .d", "bmp ", ""}) {
        EXPECT_FALSE(isPreviewPicture(name)) << name;
    }
}

} // namespace
} // namespace pw
