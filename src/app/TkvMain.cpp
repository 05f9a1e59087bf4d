#include "app/TkvMain.h"

void TkvMain::Run() {}
