#include "app/Startup.h"
#include "app/WindowModule.h"

int main(int argc, char** argv) {
    TkvWindowModule window(argc, argv);
    return QuindleMain(argc, argv, &window);
}
