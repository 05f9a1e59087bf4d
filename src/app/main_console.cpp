#include "app/Startup.h"

int main(int argc, char** argv) { return QuindleMain(argc, argv, nullptr); }
