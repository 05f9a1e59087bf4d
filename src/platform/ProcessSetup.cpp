#include "platform/ProcessSetup.h"

#include <malloc.h>

#include <cstdlib>
#include <ctime>

namespace platform {

void PinLocalTimeZone() {
    if (!std::getenv("TZ")) ::setenv("TZ", ":/etc/localtime", 0);
    ::tzset();
}

void KeepFreedMemory() {
    ::mallopt(M_MMAP_THRESHOLD, 32 << 20);
    ::mallopt(M_TRIM_THRESHOLD, 64 << 20);
}

}  // namespace platform
