#pragma once
// The program's pictures. The numbered ones keep the numbers that settings and session
// files store: 9/10 the Viewer button (preview off/on), 11/12 the Recycle button
// (permanent/recycle bin), 15/16 a searched/excluded folder row, 17/18 a marked/unmarked
// result row.

#include <QIcon>

namespace pw {

enum class Picture {
    Scan = 1,
    Cancel = 2,
    Mark = 3,
    Copy = 4,
    Move = 5,
    Delete = 6,
    Rename = 7,
    Export = 8,
    ViewerOff = 9,
    ViewerOn = 10,
    DeletePermanently = 11,
    RecycleBin = 12,
    SearchFolder = 15,
    ExcludedFolder = 16,
    Marked = 17,
    Unmarked = 18,
    SortAscending = 19,
    SortDescending = 20,
    Application = 21,
    AddFolder = 22,
    RemoveFolder = 23,
    Browse = 24,
    Tip = 25,
};

QIcon pictureIcon(Picture picture);

// A stored image number (9, 10, 11, 12, 15, 16, 17 or 18) as its picture; any other
// number gives an empty icon.
QIcon pictureIcon(int imageNumber);

} // namespace pw
