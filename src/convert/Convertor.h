#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "convert/WorkBase.h"
#include "platform/FileIdentity.h"

namespace convert {

// A converter worker: one link of a chain of workers over one batch. The
// chain is built by the constructor; each worker owns the next one, and the
// chain handle owns the first, so every worker stays until the whole chain
// has ended.
class TkvConvertor : public TkvWorkBase {
public:
    // Builds the rest of the chain (count - 1 more workers of the project's
    // converter class) before returning; a count below 1 makes one worker.
    TkvConvertor(batch::TkvBatch& batch, batch::TkvNodeEvent onNodeDone, int32_t count);
    ~TkvConvertor() override;

    const batch::TkvNodeEvent OnNodeDone;
    const int32_t ChainLength;
    TkvConvertor* NextWorker() const { return next_.get(); }

    // Reaches every worker from this one to the end of the chain.
    void SetOnFinish(batch::TkvEvent onFinish);
    void ResumeAll(const std::shared_ptr<void>& keepAlive);
    // The tail is asked first and this worker last.
    void TerminateAll();

    // The conversion of one entry; subclasses fill it in.
    virtual void ConvertNode(batch::TkvBatch& batch, batch::TkvNode& node) {}
    virtual std::string AdjustTargetName(const std::string& path) { return path; }
    virtual std::string GetEngineExe() { return {}; }
    virtual bool HasMacros() { return true; }

    // The target path of an entry; empty when the entry is not converted:
    // its target exists and the overwrite rule says skip (the entry is then
    // a success), or it fails here (a folder that cannot be made, a page
    // another source of this run has, a page that is the workbook itself;
    // the entry is then a failure, reported to the batch).
    std::string GetTargetName(batch::TkvBatch& batch, batch::TkvNode& node);
    // After a complete save: file times, then deletion or renaming of the
    // source, but only while it is still the version `read` (taken before the
    // workbook was opened; null when the source was no file then); otherwise
    // the source stays and the entry's Note says why. Never fails.
    void ProcessSource(batch::TkvBatch& batch, batch::TkvNode& node, const std::string& target,
                       const platform::TFileIdentity* read);
    static void DeleteTarget(const std::string& path);

protected:
    void ProcessNode() override;
    // Finish callback on the main thread, then the live count goes down.
    void Finish() override;

private:
    std::unique_ptr<TkvConvertor> next_;
    std::string knownFolder_;  // the target folder last found or made; this worker's thread only
    mutable std::mutex finishMutex_;  // guards onFinish_
    batch::TkvEvent onFinish_;
};

// Creates a worker chain of a class by name.
using TkvConverterFactory =
    std::function<std::unique_ptr<TkvConvertor>(batch::TkvBatch&, batch::TkvNodeEvent, int32_t)>;

// Registers a converter class under `name` (compared ignoring case); an empty
// factory removes it. "TkvConvertor", "TkvExcelOle" and "TkvQUINDLE" are
// there from the start.
void RegisterConverterClass(const std::string& name, TkvConverterFactory factory);
// Throws std::runtime_error when no class has that name.
std::unique_ptr<TkvConvertor> CreateConverter(const std::string& name, batch::TkvBatch& batch,
                                              batch::TkvNodeEvent onNodeDone, int32_t count);

}  // namespace convert
