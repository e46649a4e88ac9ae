#include "results/picture_preview.h"
#include "support/temp_tree.h"

#include <cerrno>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

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

TEST(PreviewPicture, ADibIsReadAsABitmap) {
    EXPECT_EQ(previewPictureFormat("scan.DIB"), "bmp");
    EXPECT_EQ(previewPictureFormat("scan.bmp"), "");
    EXPECT_EQ(previewPictureFormat("photo.jpg"), "");
}

TEST(PreviewPicture, OnlyARegularFileIsOpenedAndAFifoDoesNotBlock) {
    test::TempTree tree;
    tree.addFile("a.jpg", "data");
    const int fd = openPreviewFile(tree.path("a.jpg").c_str());
    ASSERT_GE(fd, 0);
    char buffer[8] = {};
    EXPECT_EQ(::read(fd, buffer, sizeof buffer), 4);
    ::close(fd);

    const std::string fifo = tree.path("b.jpg");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(openPreviewFile(fifo.c_str()), -1);
    EXPECT_EQ(openPreviewFile(tree.root().c_str()), -1);
    EXPECT_EQ(errno, EISDIR);
    EXPECT_EQ(openPreviewFile(tree.path("missing.jpg").c_str()), -1);
}

} // namespace
} // namespace pw
