#pragma once
// Operation 1 (programming chips) runs inside the engine's tick like the others; the
// engine only knows it through these calls. The operation alone moves its own state and
// its run flag.

namespace devlink {

class ProgramOperation {
public:
    virtual ~ProgramOperation() = default;
    // The engine hands over to programming: the operation starts from its idle state.
    virtual void Enter() = 0;
    // One step of the running programming operation; called once per tick while it runs.
    virtual void Step() = 0;
    // A tick with the port closed: the run is no longer armed, and the operation idles.
    virtual void PortClosed() = 0;
};

}  // namespace devlink
