#include "convert/ExcelOle.h"

#include <charconv>
#include <cmath>
#include <string>

#include "automation/OleObject.h"
#include "automation/Registry.h"
#include "info/Counters.h"
#include "info/TkvInfo.h"
#include "project/TkvProject.h"

namespace convert {

using automation::Variant;

namespace {

// Passed as the password so that a protected workbook fails at once instead
// of waiting for one; no real workbook uses it.
constexpr int32_t kWrongPassword = 0x51D0C0DE;

}  // namespace

TkvExcelOle::TkvExcelOle(batch::TkvBatch& batch, batch::TkvNodeEvent onNodeDone, int32_t count)
    : TkvConvertor(batch, std::move(onNodeDone), count) {}

void TkvExcelOle::StartExcel() {
    ExcelApp = automation::CreateOleObject(kProgId);
    try {
        ExcelVersion = ParseExcelVersion(automation::GetProperty(ExcelApp, "Version"));
        if (info::kvInfo) info::kvInfo->Tally(info::kExcelVersion, ExcelVersion, 1);
    } catch (...) {}
    try {
        automation::SetProperty(ExcelApp, "DisplayAlerts", Variant(false));
    } catch (...) {}
}

void TkvExcelOle::OpenWorkbook(const std::string& source) {
    if (!ExcelApp.IsObject()) StartExcel();
    if (Workbook.IsObject()) return;
    Variant books = automation::GetProperty(ExcelApp, "Workbooks");
    if (project::kvProject->GetBool("SkipPassword", false)) {
        Workbook = automation::CallMethod(
            books, "Open",
            {Variant(source), Variant::Omitted(), Variant(true), Variant::Omitted(), Variant(kWrongPassword)});
    } else {
        Workbook = automation::CallMethod(
            books, "Open",
            {Variant(source), Variant::Omitted(), Variant(project::kvProject->GetBool("ReadOnly", false))});
    }
}

void TkvExcelOle::CloseWorkbook() {
    if (Workbook.IsObject()) {
        try {
            automation::CallMethod(Workbook, "Close", {Variant(false)});
        } catch (...) {}
    }
    Workbook.Clear();
}

std::string TkvExcelOle::GetEngineExe() {
    std::string path;
    automation::GetProperty(ExcelApp, "Path").ToText(path);
    return path + "/EXCEL.EXE";
}

bool TkvExcelOle::HasMacros() {
    if (ExcelVersion < 12) return true;
    try {
        bool has = true;
        if (automation::GetProperty(Workbook, "HasVBProject").ToBool(has)) return has;
    } catch (...) {}
    return true;
}

int32_t TkvExcelOle::ParseExcelVersion(const Variant& version, char decimalSeparator) {
    int32_t result = 0;
    bool read = false;
    if (version.type() == Variant::Type::String) {
        std::string text;
        version.ToText(text);
        if (decimalSeparator == '.' || text.find('.') == std::string::npos) {
            for (char& c : text)
                if (c == decimalSeparator) c = '.';
            double d = 0;
            if (Variant(text).ToDouble(d) && std::fabs(d) < 2e9) {
                result = static_cast<int32_t>(std::trunc(d));
                read = true;
            }
        }
        if (!read) {
            std::string digits;
            for (char c : text)
                if (c != '.' && c != ' ') digits += c;
            int32_t n = 0;
            auto r = std::from_chars(digits.data(), digits.data() + digits.size(), n);
            result = (r.ec == std::errc() && r.ptr == digits.data() + digits.size()) ? n : 0;
        }
    } else {
        double d = 0;
        if (version.ToDouble(d) && std::fabs(d) < 2e9) result = static_cast<int32_t>(std::trunc(d));
    }
    if (result > 77) result /= 10;
    return result;
}

void TkvExcelOle::Finish() {
    if (ExcelApp.IsObject()) {
        try {
            automation::CallMethod(ExcelApp, "Quit");
        } catch (...) {}
    }
    ExcelApp.Clear();
    Workbook.Clear();
    TkvConvertor::Finish();
}

}  // namespace convert
