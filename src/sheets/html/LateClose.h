#pragma once

namespace sheets::html {

// Closes a descriptor on a background thread. Closing the last reference to
// a file whose name is gone frees its blocks, which can wait for the disk
// (a file system mounted with `discard` and no journal trims them there and
// then); the thread that converts has better things to do. When the thread
// falls far behind, or cannot be started, the caller closes it instead.
void CloseLater(int fd);

}  // namespace sheets::html
