#pragma once
// The link engine: one tick of the main window's timer guards the port, supervises
// the exchange in flight, hands over to a newly requested operation between exchanges
// and advances the running operation by one step.

#include "link/EngineState.h"
#include "link/EngineView.h"
#include "link/LinkExchange.h"
#include "link/ProgramOperation.h"
#include "params/ParamTypes.h"

#include <functional>
#include <optional>

namespace devlink {

class LinkEngine {
public:
    LinkEngine(LinkExchange& link, EngineState& state, params::ParamState& params, EngineView& view);

    // MBTim_Timer. A tick that arrives while one is running (from a modal window's
    // event loop) returns at once.
    void Tick();

    // Operation 1; null runs nothing while operation 1 is requested.
    void SetProgramOperation(ProgramOperation* program) { program_ = program; }

private:
    bool PortGuard();
    // Remembers how many exchanges had failed when the requested operation last changed.
    void NoteRequest();
    void DropSupersededRequest();
    void HandOver();
    // What the running operation shows when its exchange fails, if anything.
    std::optional<QString> UnsentRequestText() const;
    void Dispatch();
    bool ExchangeOver() const { return link_.LinkPhase == PhaseIdle; }
    void EndOperation();
    // Operations 0 and 2 to 6: step 0 runs `send`, step 1 waits; true on the tick on
    // which the exchange is over. Any other step goes back to step 0.
    bool SendThenAwait(const std::function<void()>& send);
    void Send(const common::Bytes& body, Limits limits);

    void LinkCheck();
    void EraseSettings();
    void ReadSettings();
    void WriteSettings(uint8_t flag);
    void SendSettings(uint8_t flag);
    void FinishSettingsWrite(uint8_t flag);
    void SendSettingsReadBack(uint8_t flag);
    void FinishSettingsReadBack(uint8_t flag);
    void ReportSettingsWritten(uint8_t flag);
    static QString SettingsWriteFailedText(uint8_t flag);
    void ReadImageInfo();
    void FinishImageInfo();
    void ReadDisplay();
    void FinishDisplayAddress();
    void FinishDisplayRead();

    // Whether the F4 exchange just over brought all the `count` bytes asked for: a read
    // without them (a board refusing it answers without data) is a failed read.
    bool ReadSucceeded(int count) const;
    // Copies the data bytes of a read that succeeded into the first `count` bytes of
    // `target`, as far as `target` goes.
    void CopyReplyData(common::Bytes& target, int count) const;

    LinkExchange& link_;
    EngineState& state_;
    params::ParamState& params_;
    EngineView& view_;
    ProgramOperation* program_ = nullptr;
    bool ticking_ = false;
    uint8_t lastRequest_ = OpLinkCheck;
    uint32_t failuresAtRequest_ = 0;
    common::Bytes writtenBlock_;  // the stamped block of the last F5
};

}  // namespace devlink
