#include "convert/Workers.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <stdexcept>

#include "convert/Convertor.h"
#include "convert/ExcelOle.h"
#include "convert/Quindle.h"
#include "platform/Text.h"
#include "project/TkvProject.h"

namespace convert {

namespace {

template <class T>
TkvConverterFactory FactoryOf() {
    return [](batch::TkvBatch& batch, batch::TkvNodeEvent onNodeDone, int32_t count) -> std::unique_ptr<TkvConvertor> {
        return std::make_unique<T>(batch, std::move(onNodeDone), count);
    };
}

struct ClassRegistry {
    std::mutex mutex;  // guards classes
    std::map<std::string, TkvConverterFactory> classes;  // key: folded name
};

ClassRegistry& Classes() {
    static ClassRegistry* registry = [] {
        auto* r = new ClassRegistry;  // never destroyed: workers may still be built at exit
        r->classes[platform::FoldCase("TkvConvertor")] = FactoryOf<TkvConvertor>();
        r->classes[platform::FoldCase("TkvExcelOle")] = FactoryOf<TkvExcelOle>();
        r->classes[platform::FoldCase("TkvQUINDLE")] = FactoryOf<TkvQUINDLE>();
        return r;
    }();
    return *registry;
}

// The handle a caller keeps. It owns the first worker (which owns the rest);
// each running thread holds the handle too, so the workers are freed only
// when the caller has let go and every thread has ended.
class Chain : public TkvWorkerChain, public std::enable_shared_from_this<Chain> {
public:
    explicit Chain(std::unique_ptr<TkvConvertor> first) : first_(std::move(first)) {}
    int32_t ChainLength() const override { return first_->ChainLength; }
    void SetOnFinish(batch::TkvEvent onFinish) override { first_->SetOnFinish(std::move(onFinish)); }
    void ResumeAll() override { first_->ResumeAll(shared_from_this()); }
    void TerminateAll() override { first_->TerminateAll(); }

private:
    std::unique_ptr<TkvConvertor> first_;
};

}  // namespace

void RegisterConverterClass(const std::string& name, TkvConverterFactory factory) {
    ClassRegistry& r = Classes();
    std::lock_guard<std::mutex> lock(r.mutex);
    if (factory) r.classes[platform::FoldCase(name)] = std::move(factory);
    else r.classes.erase(platform::FoldCase(name));
}

std::unique_ptr<TkvConvertor> CreateConverter(const std::string& name, batch::TkvBatch& batch,
                                              batch::TkvNodeEvent onNodeDone, int32_t count) {
    TkvConverterFactory factory;
    {
        ClassRegistry& r = Classes();
        std::lock_guard<std::mutex> lock(r.mutex);
        auto it = r.classes.find(platform::FoldCase(name));
        if (it == r.classes.end()) throw std::runtime_error("Class " + name + " not found");
        factory = it->second;
    }
    return factory(batch, std::move(onNodeDone), count);
}

std::shared_ptr<TkvWorkerChain> CreateWorkers(batch::TkvBatch& batch, const std::string& targetFolder,
                                              batch::TkvNodeEvent onNodeDone) {
    // Target names are the folder text followed by the relative name, so the
    // folder must end with its delimiter whoever built the text.
    std::string folder = batch::TkvBatch::NormalizePath(targetFolder);
    if (!folder.empty() && folder.back() != '/') folder += '/';
    batch.SetTargetDir(folder);
    // Every worker is a thread with an engine of its own: an absurd count in
    // a project file must not exhaust the machine.
    int32_t count = std::min(project::kvProject->ThreadsCount(), kMaxWorkers);
    return std::make_shared<Chain>(
        CreateConverter(project::kvProject->ConverterClass, batch, std::move(onNodeDone), count));
}

}  // namespace convert
