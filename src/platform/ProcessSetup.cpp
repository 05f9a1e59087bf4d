#include "platform/ProcessSetup.h"

#include <cstdlib>
#include <ctime>

namespace platform {

void PinLocalTimeZone() {
    if (!std::getenv("TZ")) ::setenv("TZ", ":/etc/localtime", 0);
    ::tzset();
}

}  // namespace platform
