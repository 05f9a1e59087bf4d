#pragma once
#include <QIcon>
#include <QPixmap>

namespace ui {

// The pictures of the window's image list, drawn here so the program needs
// no image files. Indices follow the list's order.
enum TkvImage {
    imgWaiting = 0,
    imgSuccess = 1,
    imgFailure = 2,
    imgOpen = 3,
    imgNew = 4,
    imgSave = 5,
    imgSaveAs = 6,
    imgUpdate = 7,
    imgHelp = 8,
    imgHome = 9,
    imgSupport = 10,
    imgAbout = 11,
    imgConvert = 12,
    imgSearch = 13,
    imgConfig = 14,
    imgConverting = 15,  // a row whose file a worker is converting now
    imgStop = 16,
    imgPause = 17,
    imgView = 18,
    imgOpenResult = 19,
    imgCopy = 20
};

QIcon ImageListIcon(int index);
// The product's icon (window, desktop, about window), in every size the
// icon folder holds.
QIcon AppIcon();
QPixmap QuindleLogo(int size = 128);

}  // namespace ui
