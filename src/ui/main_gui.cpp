#include "app/Startup.h"
#include "ui/QtWindowRun.h"

int main(int argc, char** argv) {
    TkvQtWindowRun windowRun(argc, argv);
    return QuindleMain(argc, argv, &windowRun);
}
