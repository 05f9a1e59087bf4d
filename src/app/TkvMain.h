#pragma once

// The unattended console run.
class TkvMain {
public:
    void Run();
};
