#pragma once
#include <functional>
#include <string>
#include <string_view>

namespace batch {

using TkvStopTest = std::function<bool()>;
using TkvPathSink = std::function<void(const std::string&)>;
// A folder that exists but cannot be read: its path (ending with '/') and
// the reason.
using TkvFolderFailureSink = std::function<void(const std::string&, const std::string&)>;

// Walks `folder` (empty for the current folder, otherwise ending with '/'):
// first every regular file of the folder whose name fits `mask`, then, when
// `recurse` is set, each sub-folder the same way, depth first. Names that
// begin with '.' are hidden: hidden files are skipped when `skipHidden` is
// set, hidden folders are never entered. With SkipLockFiles on, "~$" names
// are skipped. `stop` is asked after every entry; once it answers true the
// walk ends. Entries that vanish and links that lead back to a folder
// already walked add nothing. The walk never leaves the tree of `folder`
// through a link: a link is followed only when what it leads to lies inside
// that tree. The sink gets folder + name; a folder that exists but cannot be
// read goes to `failed` (when given) with the reason.
void SearchFolder(const std::string& folder, const std::string& mask, bool recurse, bool skipHidden,
                  const TkvStopTest& stop, const TkvPathSink& sink, const TkvFolderFailureSink& failed = {});

// Whether a file name fits a mask, ignoring letter case: '*' stands for any
// run of characters, '?' for one character, or for none at the end of the
// name. An empty mask fits nothing.
bool WildcardMatch(std::string_view name, std::string_view mask);

}  // namespace batch
