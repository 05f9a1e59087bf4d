#pragma once

// Set-up that holds for the whole process. Call each once at program start,
// before any thread exists: they change the process's environment.

// The C library asks for the local time zone whenever a time is converted
// (the zip layer does so for every entry it reads), and with no TZ set it
// looks at /etc/localtime on disk at each call; naming the same zone file
// explicitly keeps the zone and drops those lookups.
namespace platform {

void PinLocalTimeZone();

}  // namespace platform
