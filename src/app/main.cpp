#include "app/Startup.h"
#include "app/WindowModule.h"

int main(int argc, char** argv) {
    app::TkvWindowModule window(argc, argv);
    return app::QuindleMain(argc, argv, &window);
}
