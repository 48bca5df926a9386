#pragma once
// Operation 1 (programming chips) runs inside the engine's tick like the others; the
// engine only knows it through this step.

namespace devlink {

class ProgramOperation {
public:
    virtual ~ProgramOperation() = default;
    // One step of the running programming operation; called once per tick while it runs.
    virtual void Step() = 0;
};

}  // namespace devlink
