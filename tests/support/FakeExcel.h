#pragma once
// A stand-in "Excel.Application" for driving the converter without the
// engine: records every call and fails where a test tells it to.
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "automation/OleObject.h"
#include "automation/Registry.h"
#include "automation/ServerObject.h"

namespace fake {

using namespace automation;

// What the fake does; shared by every instance a test creates.
struct Script {
    std::mutex mutex;  // guards everything below
    HResult createStatus = 0;  // creation fails with this when negative
    std::string version = "16.0";
    std::string openError;  // Open fails with this description
    std::string failNamesWith;  // ... for the file names that contain this
    HResult openStatus = 0;  // ... or with this bare status
    std::string saveError;  // SaveAs fails with this description
    std::function<void(const std::string&)> whileOpening;  // called with the file, unlocked, as Open begins
    bool omitSheetsMember = false;
    int sheetCount = 3;
    bool hasVbProject = false;
    bool failHasVbProject = false;
    // Observations.
    int created = 0, quits = 0, opens = 0, closes = 0, saves = 0;
    bool alertsOff = false;
    std::vector<std::vector<Variant>> openArgs;
    std::vector<std::string> savedWhat;  // "book" / "active" / "sheet N"
    std::vector<std::string> log;  // member calls in order
};

inline void Note(Script& s, const std::string& what) {
    std::lock_guard<std::mutex> lock(s.mutex);
    s.log.push_back(what);
}

inline void WriteTarget(Script& s, const CallArgs& a, const std::string& what) {
    std::string path;
    a.At(0).ToText(path);
    int32_t format = 0;
    a.At(1).ToInt(format);
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        s.log.push_back("SaveAs " + what);
        if (!s.saveError.empty()) throw ServerError{s.saveError};
        ++s.saves;
        s.savedWhat.push_back(what);
    }
    if (format != 44) throw ServerError{"bad format"};
    std::ofstream(path) << "<html>" << what << "</html>";
}

class Sheet : public ServerObject {
public:
    Sheet(std::shared_ptr<Script> s, std::string what) {
        AddMember("SaveAs", kDispatchMethod, [s, what](const CallArgs& a) {
            WriteTarget(*s, a, what);
            return Variant();
        });
    }
};

class Book : public ServerObject {
public:
    explicit Book(std::shared_ptr<Script> s) {
        AddMember("SaveAs", kDispatchMethod, [s](const CallArgs& a) {
            WriteTarget(*s, a, "book");
            return Variant();
        });
        AddMember("Close", kDispatchMethod, [s](const CallArgs& a) {
            std::lock_guard<std::mutex> lock(s->mutex);
            ++s->closes;
            s->log.push_back("Close");
            return Variant();
        });
        AddMember("ActiveSheet", kDispatchPropertyGet | kDispatchMethod,
                  [s](const CallArgs&) { return Variant(ObjectRef(std::make_shared<Sheet>(s, "active"))); });
        if (!s->omitSheetsMember) {
            AddMember("Sheets", kDispatchPropertyGet, [s](const CallArgs& a) {
                int32_t n = 0;
                a.At(0).ToInt(n);
                if (n < 1 || n > s->sheetCount) throw ServerStatus{kDISP_E_BADINDEX};
                return Variant(ObjectRef(std::make_shared<Sheet>(s, "sheet " + std::to_string(n))));
            });
        }
        AddMember("HasVBProject", kDispatchPropertyGet | kDispatchMethod, [s](const CallArgs&) {
            if (s->failHasVbProject) throw ServerStatus{kE_FAIL};
            return Variant(s->hasVbProject);
        });
    }
};

class Books : public ServerObject {
public:
    explicit Books(std::shared_ptr<Script> s) {
        AddMember("Open", kDispatchMethod, [s](const CallArgs& a) {
            if (s->whileOpening) {
                std::string opened;
                a.At(0).ToText(opened);
                s->whileOpening(opened);
            }
            std::lock_guard<std::mutex> lock(s->mutex);
            s->log.push_back("Open");
            s->openArgs.push_back(a.positional);
            std::string file;
            a.At(0).ToText(file);
            if (!s->failNamesWith.empty() && file.find(s->failNamesWith) != std::string::npos)
                throw ServerError{"Cannot read " + file.substr(file.find_last_of('/') + 1) + "."};
            if (!s->openError.empty()) throw ServerError{s->openError};
            if (s->openStatus) throw ServerStatus{s->openStatus};
            ++s->opens;
            return Variant(ObjectRef(std::make_shared<Book>(s)));
        });
    }
};

class App : public ServerObject {
public:
    explicit App(std::shared_ptr<Script> s) {
        auto books = std::make_shared<Books>(s);
        AddMember("Version", kDispatchPropertyGet | kDispatchMethod, [s](const CallArgs&) {
            std::lock_guard<std::mutex> lock(s->mutex);
            return Variant(s->version);
        });
        AddMember("DisplayAlerts", kDispatchPropertyPut, [s](const CallArgs& a) {
            bool b = true;
            a.putValue.ToBool(b);
            std::lock_guard<std::mutex> lock(s->mutex);
            s->alertsOff = !b;
            return Variant();
        });
        AddMember("Workbooks", kDispatchPropertyGet | kDispatchMethod,
                  [books](const CallArgs&) { return Variant(ObjectRef(books)); });
        AddMember("Path", kDispatchPropertyGet | kDispatchMethod, [](const CallArgs&) { return Variant("/opt/fake"); });
        AddMember("Quit", kDispatchMethod, [s](const CallArgs&) {
            std::lock_guard<std::mutex> lock(s->mutex);
            ++s->quits;
            return Variant();
        });
    }
};

// Puts the fake under "Excel.Application" for the life of the object.
class Installed {
public:
    std::shared_ptr<Script> script = std::make_shared<Script>();
    Installed() {
        auto s = script;
        previous_ = RegisterServer("Excel.Application", [s](ObjectRef& out) {
            std::lock_guard<std::mutex> lock(s->mutex);
            if (s->createStatus < 0) return s->createStatus;
            ++s->created;
            out = std::make_shared<App>(s);
            return S_OK_;
        });
    }
    ~Installed() { RegisterServer("Excel.Application", previous_); }

private:
    ServerFactory previous_;
};

}  // namespace fake
