#include "convert/Quindle.h"

#include <exception>

#include "automation/OleObject.h"
#include "platform/FileIdentity.h"
#include "project/TkvProject.h"

namespace convert {

using automation::Variant;

void TkvQUINDLE::ConvertNode(batch::TkvBatch& batch, batch::TkvNode& node) {
    std::string target = GetTargetName(batch, node);
    if (target.empty()) return;
    // Before the workbook is read: what is read is this version or a newer one.
    platform::TFileIdentity read;
    const bool isFile = platform::ReadFileIdentity(node.FileName, read);
    try {
        OpenWorkbook(node.FileName);
        // An existing target is not deleted first: the save writes a
        // temporary file and renames it over the target, so a failed save
        // leaves the old target as it was.
        std::vector<Variant> args{Variant(target), Variant(kHtmlFormat)};
        if (project::kvProject->GetBool("AllSheets", true)) {
            automation::CallMethod(Workbook, "SaveAs", args);
        } else {
            int32_t sheet = project::kvProject->GetInt("Sheet", 0);
            Variant which = sheet < 1 ? automation::GetProperty(Workbook, "ActiveSheet")
                                      : automation::GetIndexedProperty(Workbook, "Sheets", {Variant(sheet)});
            automation::CallMethod(which, "SaveAs", args);
        }
        CloseWorkbook();
        ProcessSource(batch, node, target, isFile ? &read : nullptr);
        node.ResultText = target;
        node.State = batch::TNodeState::Success;
        batch.ReportSuccess();
    } catch (const std::exception& e) {
        node.ResultText = e.what();
        node.State = batch::TNodeState::Failure;
        batch.ReportFailure(e.what());
    } catch (...) {
        CloseWorkbook();
        throw;
    }
    CloseWorkbook();
}

}  // namespace convert
