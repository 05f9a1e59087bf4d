#include "automation/ExcelServer.h"

#include <filesystem>
#include <memory>

#include "automation/AsciiText.h"
#include "automation/HttpFetch.h"
#include "automation/ServerObject.h"
#include "sheets/Errors.h"
#include "sheets/Loader.h"
#include "sheets/html/HtmlWriter.h"

namespace automation {
namespace {

using sheets::HtmlOptions;

std::string TextArg(const CallArgs& a, size_t i, const char* what) {
    std::string s;
    if (!a.At(i).ToText(s) || a.At(i).IsEmpty())
        throw ServerError{std::string("The argument ") + what + " is missing or not text", kDISP_E_TYPEMISMATCH};
    return s;
}

bool BoolArg(const CallArgs& a, size_t i, bool def) {
    const Variant& v = a.At(i);
    if (v.IsOmitted() || v.IsEmpty()) return def;
    bool b = def;
    if (!v.ToBool(b)) throw ServerStatus{kDISP_E_TYPEMISMATCH};
    return b;
}

std::string ProgramFolder() {
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return {};
    return exe.parent_path().string();
}

void SaveHtml(const sheets::Workbook& wb, const CallArgs& a, HtmlOptions options) {
    std::string path = TextArg(a, 0, "FileName");
    int32_t format = 0;
    const Variant& fv = a.At(1);
    if (fv.IsOmitted() || !fv.ToInt(format) || format != kXlHtml) {
        std::string shown;
        if (fv.IsOmitted() || !fv.ToText(shown)) shown = "(none)";
        throw ServerError{"File format " + shown + " is not supported: only 44 (HTML) can be saved"};
    }
    try {
        sheets::WriteHtml(wb, path, options);
    } catch (const sheets::Error& e) {
        throw ServerError{e.what()};
    }
}

class Worksheet : public ServerObject {
public:
    Worksheet(std::shared_ptr<const sheets::Workbook> wb, HtmlOptions options, std::string name) {
        AddMember("SaveAs", kDispatchMethod, [wb, options](const CallArgs& a) {
            SaveHtml(*wb, a, options);
            return Variant();
        });
        AddMember("Name", kDispatchPropertyGet | kDispatchMethod, [name](const CallArgs&) { return Variant(name); });
    }
};

ObjectRef SheetAt(const std::shared_ptr<const sheets::Workbook>& wb, const Variant& which) {
    const auto& list = wb->sheets;
    std::string name;
    int32_t pos = 0;
    if (which.type() == Variant::Type::String && !which.ToInt(pos)) {
        which.ToText(name);
        for (size_t i = 0; i < list.size(); ++i) {
            if (SameName(list[i].name, name)) {
                pos = static_cast<int32_t>(i + 1);
                break;
            }
        }
        if (pos == 0) throw ServerError{"There is no sheet named '" + name + "'", kDISP_E_BADINDEX};
    } else if (!which.ToInt(pos)) {
        throw ServerStatus{kDISP_E_TYPEMISMATCH};
    }
    if (pos < 1 || static_cast<size_t>(pos) > list.size())
        throw ServerError{"Sheet " + std::to_string(pos) + " does not exist: the workbook has " +
                              std::to_string(list.size()) + (list.size() == 1 ? " sheet" : " sheets"),
                          kDISP_E_BADINDEX};
    HtmlOptions options;
    options.scope = HtmlOptions::Scope::SheetAt;
    options.sheetPosition = static_cast<uint32_t>(pos);
    return std::make_shared<Worksheet>(wb, options, list[static_cast<size_t>(pos) - 1].name);
}

class SheetsCollection : public ServerObject {
public:
    explicit SheetsCollection(std::shared_ptr<const sheets::Workbook> wb) {
        AddMember("Count", kDispatchPropertyGet | kDispatchMethod,
                  [wb](const CallArgs&) { return Variant(static_cast<int32_t>(wb->sheets.size())); });
        AddMember("Item", kDispatchPropertyGet | kDispatchMethod, [wb](const CallArgs& a) {
            if (a.Count() < 1) throw ServerStatus{kDISP_E_BADPARAMCOUNT};
            return Variant(SheetAt(wb, a.At(0)));
        });
    }
};

class WorkbookObject : public ServerObject {
public:
    WorkbookObject(std::shared_ptr<const sheets::Workbook> loaded, std::string name) : wb_(std::move(loaded)) {
        AddMember("SaveAs", kDispatchMethod, [this](const CallArgs& a) {
            SaveHtml(Model(), a, HtmlOptions{});
            return Variant();
        });
        AddMember("Close", kDispatchMethod, [this](const CallArgs&) {
            wb_.reset();  // nothing is ever saved on closing
            return Variant();
        });
        AddMember("Sheets", kDispatchPropertyGet | kDispatchMethod, [this](const CallArgs& a) {
            auto wb = Shared();
            if (a.Count() == 0) return Variant(ObjectRef(std::make_shared<SheetsCollection>(wb)));
            return Variant(SheetAt(wb, a.At(0)));
        });
        AddMember("ActiveSheet", kDispatchPropertyGet | kDispatchMethod, [this](const CallArgs&) {
            auto wb = Shared();
            if (wb->sheets.empty()) throw ServerError{"The workbook has no sheets"};
            size_t active = wb->activeSheet < wb->sheets.size() ? wb->activeSheet : 0;
            HtmlOptions options;
            options.scope = HtmlOptions::Scope::ActiveSheet;
            return Variant(ObjectRef(std::make_shared<Worksheet>(wb, options, wb->sheets[active].name)));
        });
        AddMember("HasVBProject", kDispatchPropertyGet | kDispatchMethod,
                  [this](const CallArgs&) { return Variant(Model().hasVbaProject); });
        AddMember("Name", kDispatchPropertyGet | kDispatchMethod, [name](const CallArgs&) { return Variant(name); });
    }

private:
    std::shared_ptr<const sheets::Workbook> Shared() const {
        if (!wb_) throw ServerError{"The workbook is closed"};
        return wb_;
    }
    const sheets::Workbook& Model() const { return *Shared(); }

    std::shared_ptr<const sheets::Workbook> wb_;  // null once closed
};

class WorkbooksCollection : public ServerObject {
public:
    WorkbooksCollection() {
        AddMember("Open", kDispatchMethod, [this](const CallArgs& a) { return Open(a); });
        AddMember("Count", kDispatchPropertyGet | kDispatchMethod,
                  [this](const CallArgs&) { return Variant(opened_); });
    }

private:
    Variant Open(const CallArgs& a) {
        std::string file = TextArg(a, 0, "FileName");
        BoolArg(a, 2, false);  // the engine never writes to a source, so read-only changes nothing
        // A password is accepted but never tried: the engine has no way to
        // ask for one, and a protected workbook fails at once either way.
        sheets::Workbook loaded;
        try {
            if (IsWebAddress(file)) {
                std::string bytes = FetchUrl(file, GetHttpLimits());
                loaded = sheets::LoadWorkbookFromMemory(bytes);
            } else {
                try {
                    loaded = sheets::LoadWorkbook(file);
                } catch (const sheets::Error&) {
                    // Asked only once reading has failed: no look-up per file.
                    std::error_code ec;
                    if (!std::filesystem::is_regular_file(file, ec))
                        throw ServerError{"Cannot find the workbook '" + FileNameOf(file) + "'"};
                    throw;
                }
            }
        } catch (const ServerError&) {
            throw;
        } catch (const std::bad_alloc&) {
            throw ServerError{"Not enough memory to open '" + FileNameOf(file) + "'", kE_OUTOFMEMORY};
        } catch (const std::exception& e) {
            throw ServerError{e.what()};
        }
        ++opened_;
        auto shared = std::make_shared<const sheets::Workbook>(std::move(loaded));
        return Variant(ObjectRef(std::make_shared<WorkbookObject>(std::move(shared), FileNameOf(file))));
    }

    int32_t opened_ = 0;
};

class Application : public ServerObject {
public:
    Application() : workbooks_(std::make_shared<WorkbooksCollection>()) {
        AddMember("Version", kDispatchPropertyGet | kDispatchMethod,
                  [](const CallArgs&) { return Variant(kEngineVersion); });
        AddMember("DisplayAlerts", kDispatchPropertyGet | kDispatchPropertyPut, [this](const CallArgs& a) {
            if (a.flags & kDispatchPropertyPut) {
                bool b = true;
                if (!a.putValue.ToBool(b)) throw ServerStatus{kDISP_E_TYPEMISMATCH};
                displayAlerts_ = b;
                return Variant();
            }
            return Variant(displayAlerts_);
        });
        AddMember("Workbooks", kDispatchPropertyGet | kDispatchMethod,
                  [this](const CallArgs&) { return Variant(ObjectRef(workbooks_)); });
        AddMember("Path", kDispatchPropertyGet | kDispatchMethod,
                  [](const CallArgs&) { return Variant(ProgramFolder()); });
        AddMember("Quit", kDispatchMethod, [](const CallArgs&) { return Variant(); });
    }

private:
    std::shared_ptr<WorkbooksCollection> workbooks_;
    bool displayAlerts_ = true;  // no prompt is ever shown; kept for callers that read it back
};

}  // namespace

HResult CreateExcelApplication(ObjectRef& out) {
    out = std::make_shared<Application>();
    return S_OK_;
}

}  // namespace automation
