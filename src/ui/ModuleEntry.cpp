// The entry point the program looks up when it loads the window module.
#include "ui/QtWindowRun.h"

extern "C" __attribute__((visibility("default"))) app::IWindowRun* QuindleCreateWindowRun(int* argc, char** argv) {
    return new ui::TkvQtWindowRun(*argc, argv);
}
