#pragma once

// Set-up that holds for the whole process. Call each once at program start,
// before any thread exists: they change the process's environment.

// The C library asks for the local time zone whenever a time is converted
// (the zip layer does so for every entry it reads), and with no TZ set it
// looks at /etc/localtime on disk at each call; naming the same zone file
// explicitly keeps the zone and drops those lookups.
namespace platform {

void PinLocalTimeZone();

// A conversion frees and asks again for the same large buffers many times
// (inflated parts, parsed runs of rows, page text). By default the C library
// hands such memory back to the kernel at once and takes it again a moment
// later, and the kernel zeroes every page of it anew: on a large workbook
// that is a third of the page faults and of the system time. Keeping up to
// 64 MiB of freed memory, and serving blocks under 32 MiB from the heap,
// costs a few MiB of peak memory.
void KeepFreedMemory();

}  // namespace platform
