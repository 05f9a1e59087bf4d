#pragma once
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "project/LineList.h"

namespace project {

class IPropertyHost;
class TkvPropList;

// What IsOverwrite says to do with an existing target.
enum class TOverwrite { Overwrite, Keep, Skip };

// The batch project: the options of one conversion job, the product profile,
// the project file they came from and the recently used project files.
//
// Options may be read from any thread while the main thread changes them:
// every operation on Options takes optionsMutex_.
class TkvProject {
public:
    TkvProject();  // loads Recent from RecentFileName() when kvApp is set
    ~TkvProject();  // ReleaseControls, writes Recent

    // Product profile: set once at start-up, before any other thread runs.
    std::string ConverterClass;  // the worker class by name; convert/ keeps the registry
    bool DeriveTarget = true;
    bool DefaultOverwrite = true;
    std::string ProjectExt, ProjectFilter, ShortName, Title, FileFilter, FilePattern, TargetExt, ProductVersion;
    char PathDelim = '/';

    // Main thread only.
    std::string FileName;
    std::string InlineOptions;

    // Interprets kvApp's FirstArg. After -I or -U it opens the notice and
    // returns without opening a project; ExitRequested then tells start-up
    // to end the process.
    void ParseCommandLine();
    bool ExitRequested() const { return exitRequested_; }
    void OpenCurrent();
    void OpenProject(bool showDialog);
    void NewProject();
    void SaveProject();
    void SaveProjectAs();
    void StoreOptions(bool toFile);  // throws when the file cannot be written
    void ReadControls();
    void WriteControls();
    void BindControl(IPropertyHost* control);
    void ReleaseControls();
    bool IsProjectFile(const std::string& path) const;
    void AddRecent();
    // The default project: beside the program, else where it is saved when
    // the program's folder is read-only, else the user's config folder; when
    // none exists, the place where saving will put it. An installed program
    // uses the user's config folder (or an older copy in the state folder).
    std::string DefaultProjectFile() const;
    std::string RecentFileName() const;
    std::vector<std::string> Recent() const;
    // Writes the recent list now (teardown does it too); never throws.
    void SaveRecent() const;

    // Any thread.
    std::string GetOption(const std::string& key) const;
    void SetOption(const std::string& key, const std::string& value);
    std::string OptionsText() const;  // name=value lines, CR LF
    void SetOptionsText(const std::string& text);
    bool GetBool(const std::string& key, bool def) const;
    int32_t GetInt(const std::string& key, int32_t def) const;

    int32_t Daemon() const;
    bool DeleteSource() const;
    TOverwrite IsOverwrite() const;
    bool KeepFileTime() const;
    bool KeepTargetSubdirs() const;
    bool MacroEnabled() const;
    bool PureConsole() const;
    std::string RenameSource() const;
    bool RunAndClose() const;  // the effective value
    std::string Source() const;
    bool Subdir() const;
    std::string Target() const;
    int32_t ThreadsCount() const;
    std::string TargetFolder() const;  // creates the folder, ends with '/'

private:
    TkvPropList& Accessor(IPropertyHost* control);
    std::string ExePath() const;

    mutable std::mutex optionsMutex_;  // guards options_
    TLineList options_;
    mutable std::mutex recentMutex_;  // guards recent_ and recentAdded_
    TLineList recent_;
    std::vector<std::string> recentAdded_;  // added by this process, oldest first
    // Main thread only: the bound controls and their accessors; a control's
    // tag holds its accessor's index + 1 (-1: none yet).
    std::vector<IPropertyHost*> controls_;
    std::vector<std::unique_ptr<TkvPropList>> accessors_;
    bool exitRequested_ = false;
};

extern TkvProject* kvProject;

}  // namespace project
