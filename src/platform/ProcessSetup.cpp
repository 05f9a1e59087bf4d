#include "platform/ProcessSetup.h"

#include <cstdlib>
#include <ctime>

void PinLocalTimeZone() {
    if (!std::getenv("TZ")) ::setenv("TZ", ":/etc/localtime", 0);
    ::tzset();
}
