#pragma once
#include <string>
#include <string_view>

namespace platform {

// How hard a write insists on reaching the disk before it replaces the old
// file. Either way a crashed process never leaves a half-written file; only
// a power cut can lose an unflushed file, which matters for what the user
// made (a project) and not for what is made again or is merely kept for
// convenience (counters, the recent list, a run's log).
enum class TDurability { Flushed, Replaceable };

// Writes `data` to a temporary file in the folder of `path`, flushes it when
// asked to and renames it over `path`. Throws std::runtime_error with a
// readable message on failure; the old file is then left as it was.
void AtomicWriteFile(const std::string& path, std::string_view data, TDurability durability = TDurability::Flushed);

// Creates a folder with all missing parents; true when it exists afterwards.
bool ForceDirectories(const std::string& path);

bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);

// Copies access and modification times; false when either side fails.
bool CopyFileTime(const std::string& from, const std::string& to);

// True when the current user may create files in `folder`.
bool FolderWritable(const std::string& folder);

// $XDG_STATE_HOME/quindle/ (default ~/.local/state/quindle/) and
// $XDG_CONFIG_HOME/quindle/ (default ~/.config/quindle/), each ending in '/'.
std::string StateFolder();
std::string ConfigFolder();

// Where a file that lives beside the program is written: beside it when the
// program's folder is writable and not an installation's bin/, else in
// StateFolder().
std::string WritableBeside(const std::string& exePath, const std::string& fileName);

// Reads a whole file; throws std::runtime_error when it cannot be read or is
// larger than `maxBytes`.
std::string ReadWholeFile(const std::string& path, size_t maxBytes);

}  // namespace platform
