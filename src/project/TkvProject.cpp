#include "project/TkvProject.h"

#include "info/TkvInfo.h"
#include "platform/Choosers.h"
#include "platform/Files.h"
#include "platform/FolderLock.h"
#include "platform/InstallLayout.h"
#include "platform/Text.h"
#include "platform/TkvApp.h"
#include "project/PropertyHost.h"
#include "project/TkvPropList.h"
#include "text/Utf8.h"

namespace project {

TkvProject* kvProject = nullptr;

namespace {

bool BoolOf(const TLineList& list, const std::string& key, bool def) {
    bool b;
    return platform::TryParseBool(list.Value(key), b) ? b : def;
}

int32_t IntOf(const TLineList& list, const std::string& key, int32_t def) {
    int32_t n;
    return platform::TryParseInt32(list.Value(key), n) ? n : def;
}

// Option lines given as -P text: "," and ";" both separate options.
std::string InlineLines(std::string text) {
    if (!text.empty() && text[0] == ':') text.erase(0, 1);
    std::string out;
    for (char c : text) {
        if (c == ',' || c == ';') out += "\r\n";
        else out += c;
    }
    return out;
}

}  // namespace

TkvProject::TkvProject() {
    if (!platform::kvApp) return;
    try {
        const std::string name = RecentFileName();
        if (platform::FileExists(name)) recent_.LoadFromFile(name);
    } catch (...) {
        // A damaged recent list only costs the user the list.
    }
}

TkvProject::~TkvProject() {
    ReleaseControls();
    SaveRecent();
}

void TkvProject::SaveRecent() const {
    if (!platform::kvApp) return;
    try {
        const std::string name = RecentFileName();
        const std::string folder = platform::FolderPart(name);
        if (!folder.empty() && !platform::DirectoryExists(folder)) platform::ForceDirectories(folder);
        std::lock_guard lock(recentMutex_);
        // Other runs may have added projects since this one started: their
        // entries are read again under the lock and this run's added to them.
        platform::TFolderLock folderLock(name);
        TLineList merged = recent_;
        if (platform::FileExists(name)) {
            try {
                TLineList current;
                current.LoadFromFile(name);
                for (const std::string& added : recentAdded_)
                    if (current.IndexOf(added) < 0) current.Insert(0, added);
                merged = std::move(current);
            } catch (...) {
                // unreadable now: this run's list stands
            }
        }
        merged.SaveToFile(name, platform::TDurability::Replaceable);
    } catch (...) {
        // The recent list is a convenience; exit goes on without it.
    }
}

std::string TkvProject::ExePath() const { return platform::kvApp ? platform::kvApp->ExePath() : std::string(); }

void TkvProject::ParseCommandLine() {
    const std::string a = platform::kvApp ? platform::kvApp->FirstArg() : std::string();
    // Only "-" starts a switch: "/" starts every absolute path here.
    if (text::CharCount(a) >= 2 && a[0] == '-') {
        char letter = a[1];
        if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
        if (letter == 'I' || letter == 'U') {
            if (info::kvInfo) {
                if (letter == 'I') info::kvInfo->OpenLink("", "ins", a.substr(2));
                else info::kvInfo->OpenLink("", "uni", "");
            }
            exitRequested_ = true;
            return;
        }
        if (letter == 'P') InlineOptions = InlineLines(a.substr(2));
    } else if (text::CharCount(a) >= 2) {
        FileName = a;
    }
    OpenCurrent();
}

void TkvProject::OpenCurrent() {
    if (FileName.empty() && InlineOptions.empty()) FileName = DefaultProjectFile();
    OpenProject(false);
}

void TkvProject::OpenProject(bool showDialog) {
    if (showDialog) {
        std::string path = FileName;
        if (!platform::ChooseFiles(ProjectFilter + "|" + FileFilter, path, false)) return;
        FileName = path;
    }
    const std::string n = FileName;
    if (IsProjectFile(n)) {
        TLineList loaded;
        bool ok = true;
        try {
            loaded.LoadFromFile(n);
        } catch (...) {
            ok = false;  // an unreadable project leaves the options as they were
        }
        if (ok) {
            {
                std::lock_guard lock(optionsMutex_);
                options_ = std::move(loaded);
            }
            AddRecent();
        }
    } else if (!InlineOptions.empty()) {
        FileName.clear();
        std::lock_guard lock(optionsMutex_);
        options_.SetText(InlineOptions);
        if (DeriveTarget && options_.Value("Target").empty())
            options_.SetValue("Target", platform::FolderPart(options_.Value("Source")));
    } else {
        FileName.clear();
        std::lock_guard lock(optionsMutex_);
        options_.SetValue("Source", n);
        if (DeriveTarget && options_.Value("Target").empty()) options_.SetValue("Target", platform::FolderPart(n));
    }
    WriteControls();
}

void TkvProject::NewProject() {
    FileName.clear();
    {
        std::lock_guard lock(optionsMutex_);
        options_.Clear();
    }
    WriteControls();
}

void TkvProject::SaveProject() {
    if (!FileName.empty()) StoreOptions(true);
    else SaveProjectAs();
}

void TkvProject::SaveProjectAs() {
    std::string path = FileName;
    if (!platform::ChooseSaveFile(ProjectFilter, ProjectExt, path)) return;
    FileName = path;
    StoreOptions(true);
}

void TkvProject::StoreOptions(bool toFile) {
    ReadControls();
    if (!toFile) return;
    TLineList snapshot;
    {
        std::lock_guard lock(optionsMutex_);
        snapshot = options_;
    }
    // The folder of the default project is ours to make (the user's config
    // folder on a fresh account); any other missing folder is the user's
    // mistake and fails the save.
    const std::string folder = platform::FolderPart(FileName);
    if (!folder.empty() && !platform::DirectoryExists(folder) && FileName == DefaultProjectFile())
        platform::ForceDirectories(folder);
    snapshot.SaveToFile(FileName);
    AddRecent();
}

TkvPropList& TkvProject::Accessor(IPropertyHost* control) {
    const int tag = control->Tag();
    if (tag > 0 && static_cast<size_t>(tag) <= accessors_.size() && accessors_[tag - 1]->Instance == control)
        return *accessors_[tag - 1];
    accessors_.push_back(std::make_unique<TkvPropList>(control));
    control->SetTag(static_cast<int>(accessors_.size()));
    return *accessors_.back();
}

void TkvProject::ReadControls() {
    for (IPropertyHost* control : controls_) {
        const std::string name = control->Name();
        if (name.empty()) continue;
        const std::string value = Accessor(control).GetProp(control->Hint());
        SetOption(name.substr(1), value);
    }
}

void TkvProject::WriteControls() {
    for (IPropertyHost* control : controls_) {
        const std::string name = control->Name();
        if (name.empty()) continue;
        const std::string hint = control->Hint();
        TkvPropList& accessor = Accessor(control);
        std::string value;
        {
            std::lock_guard lock(optionsMutex_);
            value = options_.Value(name.substr(1));
            if (value.empty()) {
                // Older project files keep the value under the control's
                // own name; it moves to the plain key at the next save.
                const std::string legacy = name + "." + hint;
                value = options_.Value(legacy);
                options_.SetValue(legacy, "");
            }
        }
        accessor.SetProp(hint, value);
    }
}

void TkvProject::BindControl(IPropertyHost* control) {
    if (control) controls_.push_back(control);
}

void TkvProject::ReleaseControls() {
    for (IPropertyHost* control : controls_)
        if (control->Tag() > 0) control->SetTag(-1);
    controls_.clear();
    accessors_.clear();
}

bool TkvProject::IsProjectFile(const std::string& path) const {
    if (ProjectExt.empty()) return false;
    const size_t at = path.find(ProjectExt);
    return at != std::string::npos && at + ProjectExt.size() == path.size();
}

void TkvProject::AddRecent() {
    if (FileName.empty()) return;
    std::lock_guard lock(recentMutex_);
    if (recent_.IndexOf(FileName) < 0) {
        recent_.Insert(0, FileName);
        recentAdded_.push_back(FileName);
    }
}

std::string TkvProject::DefaultProjectFile() const {
    const std::string exe = ExePath();
    const std::string name = platform::ChangeFileExt(platform::NamePart(exe), ProjectExt);
    // An installed program's default project is the user's configuration;
    // nothing of it belongs beside a program that every user shares.
    if (platform::IsInstalled(exe)) {
        for (const std::string& candidate : {platform::ConfigFolder() + name, platform::StateFolder() + name})
            if (platform::FileExists(candidate)) return candidate;
        return platform::ConfigFolder() + name;
    }
    const std::string beside = platform::FolderPart(exe) + name;
    for (const std::string& candidate : {beside, platform::StateFolder() + name, platform::ConfigFolder() + name})
        if (platform::FileExists(candidate)) return candidate;
    return platform::WritableBeside(exe, name);
}

std::string TkvProject::RecentFileName() const {
    const std::string exe = ExePath();
    return platform::WritableBeside(exe, platform::NamePart(exe) + ".log");
}

std::vector<std::string> TkvProject::Recent() const {
    std::lock_guard lock(recentMutex_);
    return recent_.Lines();
}

std::string TkvProject::GetOption(const std::string& key) const {
    std::lock_guard lock(optionsMutex_);
    return options_.Value(key);
}

void TkvProject::SetOption(const std::string& key, const std::string& value) {
    std::lock_guard lock(optionsMutex_);
    options_.SetValue(key, value);
}

std::string TkvProject::OptionsText() const {
    std::lock_guard lock(optionsMutex_);
    return options_.Text();
}

void TkvProject::SetOptionsText(const std::string& text) {
    std::lock_guard lock(optionsMutex_);
    options_.SetText(text);
}

bool TkvProject::GetBool(const std::string& key, bool def) const {
    std::lock_guard lock(optionsMutex_);
    return BoolOf(options_, key, def);
}

int32_t TkvProject::GetInt(const std::string& key, int32_t def) const {
    std::lock_guard lock(optionsMutex_);
    return IntOf(options_, key, def);
}

int32_t TkvProject::Daemon() const { return GetInt("Daemon", 0); }
bool TkvProject::DeleteSource() const { return GetBool("DeleteSource", false); }
bool TkvProject::KeepFileTime() const { return GetBool("KeepFileTime", false); }
bool TkvProject::KeepTargetSubdirs() const { return GetBool("KeepTargetSubdirs", true); }
bool TkvProject::MacroEnabled() const { return GetBool("MacroEnabled", false); }
bool TkvProject::PureConsole() const { return GetBool("PureConsole", false); }
std::string TkvProject::RenameSource() const { return GetOption("RenameSource"); }
std::string TkvProject::Source() const { return GetOption("Source"); }
bool TkvProject::Subdir() const { return GetBool("Subdir", false); }
std::string TkvProject::Target() const { return GetOption("Target"); }
int32_t TkvProject::ThreadsCount() const { return GetInt("ThreadsCount", 1); }

TOverwrite TkvProject::IsOverwrite() const {
    const std::string v = GetOption("IsOverwrite");
    if (platform::SameText(v, "skip")) return TOverwrite::Skip;
    bool b;
    if (platform::TryParseBool(v, b)) return b ? TOverwrite::Overwrite : TOverwrite::Keep;
    return DefaultOverwrite ? TOverwrite::Overwrite : TOverwrite::Keep;
}

bool TkvProject::RunAndClose() const {
    std::lock_guard lock(optionsMutex_);
    return BoolOf(options_, "RunAndClose", false) || BoolOf(options_, "PureConsole", false) ||
           IntOf(options_, "Daemon", 0) > 0;
}

std::string TkvProject::TargetFolder() const {
    std::string t = Target();
    if (t.empty()) return t;
    // A file: address is made where it points, not as a folder named "file:"
    // in the current one.
    const std::string folder = platform::FileAddressToPath(t);
    if (!platform::DirectoryExists(folder)) platform::ForceDirectories(folder);  // failures show per file later
    if (t.back() != PathDelim) t += PathDelim;
    return t;
}

}  // namespace project
