#pragma once
#include "convert/Workers.h"

// Runs a worker's finish callback on the GUI thread and blocks the worker
// until it has run, through a queued invocation on the application object.
class TkvQtDispatcher : public IMainThreadDispatcher {
public:
    void RunOnMainThreadAndWait(const std::function<void()>& fn) override;
};
