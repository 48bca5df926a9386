#include "link/LinkEngine.h"

#include "image/ImageTypes.h"
#include "link/Commands.h"
#include "params/SettingsBlock.h"

#include <algorithm>

namespace devlink {
namespace {

// Steps of operations 0 and 2 to 6; operations 4 and 5 may read the block back after.
constexpr int16_t kSend = 0;
constexpr int16_t kWait = 1;
constexpr int16_t kReadBack = 2;
constexpr int16_t kWaitReadBack = 3;
// Steps of operation 7.
constexpr int16_t kAskAddress = 0;
constexpr int16_t kWaitAddress = 1;
constexpr int16_t kReadDisplay = 2;
constexpr int16_t kWaitDisplay = 3;

constexpr int16_t kPollsPerFailure = 5;  // "Link failure！" once FailCount goes above this

const QString kOpenPortFirst = QStringLiteral("Open port first！");
const QString kLinkFailure = QStringLiteral("Link failure！");
const QString kReadFailure = QStringLiteral("Read the data failure");
const QString kReadSuccess = QStringLiteral("Successful reading data set");
const QString kEraseExchangeFailed = QStringLiteral("Erase data failed!");
const QString kCommunicationFails = QStringLiteral("Communication fails");

QString ModeText(uint8_t mode)
{
    switch (mode) {
    case ModeDownload: return QStringLiteral("Link normal-download mode");
    case ModeRun: return QStringLiteral("Link normal-run mode");
    case ModeStop: return QStringLiteral("Link normal-stop mode");
    default: return {};
    }
}

// Resets a flag when the tick leaves, however it leaves.
class TickGuard {
public:
    explicit TickGuard(bool& flag) : flag_(flag) { flag_ = true; }
    ~TickGuard() { flag_ = false; }
    TickGuard(const TickGuard&) = delete;
    TickGuard& operator=(const TickGuard&) = delete;

private:
    bool& flag_;
};

}  // namespace

LinkEngine::LinkEngine(LinkExchange& link, EngineState& state, params::ParamState& params, EngineView& view)
    : link_(link), state_(state), params_(params), view_(view)
{
}

void LinkEngine::Tick()
{
    if (ticking_) return;
    TickGuard guard(ticking_);
    NoteRequest();
    if (!PortGuard()) return;
    view_.SetCommand3Enabled(true);
    DropSupersededRequest();
    link_.CommPoll();
    HandOver();
    try {
        Dispatch();
    } catch (const std::exception&) {
        // A failing step ends this tick's work; the next tick goes on.
    }
}

bool LinkEngine::PortGuard()
{
    bool open = false;
    try {
        open = link_.Port().PortOpen();
    } catch (const SerialError&) {
        open = false;
    }
    if (open) return true;
    // Whatever was in flight is over with the port: its reply is never taken, and the
    // engine hands over to what element 7 holds once the port is open again.
    link_.Abandon();
    if (program_)
        program_->PortClosed();
    else
        state_.ProgRun = 0;
    if (state_.CurMode != OpProgram) state_.LinkState = 0;
    link_.LinkError = LinkPortClosed;
    view_.SetCommand3Enabled(false);
    view_.SetCommand4Enabled(false);
    view_.SetPanelText(kPanelLink, kOpenPortFirst);
    return false;
}

void LinkEngine::NoteRequest()
{
    if (state_.Requested() == lastRequest_) return;
    lastRequest_ = state_.Requested();
    failuresAtRequest_ = link_.FailedExchanges();
}

// A request held for a quiet line has not gone out. Once another operation is requested
// it never does: it is dropped before the supervisor could release it on this tick, and
// the new operation takes over as if no exchange were in flight. The old operation
// still shows the text it shows for a failed exchange, so that its click leaves a trace.
void LinkEngine::DropSupersededRequest()
{
    if (state_.CurMode == state_.Requested()) return;
    if (!link_.DropHeldRequest()) return;
    if (const auto text = UnsentRequestText()) view_.SetPanelText(kPanelResult, *text);
}

void LinkEngine::HandOver()
{
    if (state_.CurMode == state_.Requested() || !ExchangeOver()) return;
    state_.CurMode = state_.Requested();
    if (state_.CurMode == OpProgram && program_)
        program_->Enter();
    else
        state_.LinkState = 0;
}

// Polling, programming, the image information and the display address show nothing for
// a failed exchange.
std::optional<QString> LinkEngine::UnsentRequestText() const
{
    switch (state_.CurMode) {
    case OpEraseSettings: return kEraseExchangeFailed;
    case OpReadSettings: return kReadFailure;
    case OpUpdateSettings:
    case OpSaveSettings: {
        const uint8_t flag = state_.CurMode == OpSaveSettings ? kSaveSettingsFlag : kUpdateSettingsFlag;
        return state_.LinkState == kWaitReadBack ? SettingsWriteFailedText(flag) : kCommunicationFails;
    }
    case OpReadDisplay:
        if (state_.LinkState == kWaitDisplay) return kReadFailure;
        return std::nullopt;
    default: return std::nullopt;
    }
}

void LinkEngine::Dispatch()
{
    switch (state_.CurMode) {
    case OpLinkCheck: LinkCheck(); break;
    case OpProgram:
        if (program_) program_->Step();
        break;
    case OpEraseSettings: EraseSettings(); break;
    case OpReadSettings: ReadSettings(); break;
    case OpUpdateSettings: WriteSettings(kUpdateSettingsFlag); break;
    case OpSaveSettings: WriteSettings(kSaveSettingsFlag); break;
    case OpReadImageInfo: ReadImageInfo(); break;
    case OpReadDisplay: ReadDisplay(); break;
    default: break;
    }
}

void LinkEngine::EndOperation()
{
    state_.LinkState = 0;
    state_.Request(OpLinkCheck);
}

bool LinkEngine::ReadSucceeded(int count) const
{
    return link_.LinkError == LinkOk && ReadReplyCarries(link_.RxBuf, static_cast<uint16_t>(count));
}

void LinkEngine::CopyReplyData(common::Bytes& target, int count) const
{
    const size_t n = std::min<size_t>(static_cast<uint16_t>(count), target.size());
    std::copy_n(link_.RxBuf.begin() + static_cast<long>(kReplyDataOffset), n, target.begin());
}

bool LinkEngine::SendThenAwait(const std::function<void()>& send)
{
    if (state_.LinkState == kSend) {
        send();
        return false;
    }
    if (state_.LinkState != kWait) {
        state_.LinkState = kSend;
        return false;
    }
    return ExchangeOver();
}

void LinkEngine::Send(const common::Bytes& body, Limits limits)
{
    link_.SendFrame(body, limits);
    state_.LinkState = kWait;
}

void LinkEngine::LinkCheck()
{
    if (!SendThenAwait([this] { Send(LinkQueryBody(), kLinkQueryLimits); })) return;
    if (link_.LinkError == LinkOk) {
        const QString mode = ModeText(link_.RxBuf.at(kReplyStatus));
        if (!mode.isEmpty()) view_.SetPanelText(kPanelLink, mode);
        state_.FailCount = 0;
    }
    state_.LinkState = kSend;
    state_.FailCount += 1;
    if (state_.FailCount > kPollsPerFailure) {
        state_.FailCount = 0;
        view_.SetPanelText(kPanelLink, kLinkFailure);
    }
}

void LinkEngine::EraseSettings()
{
    if (!SendThenAwait([this] { Send(EraseSettingsBody(), kEraseSettingsLimits); })) return;
    if (link_.LinkError != LinkOk)
        view_.SetPanelText(kPanelResult, kEraseExchangeFailed);
    else if (link_.RxBuf.at(kReplyStatus) != 0)
        view_.SetPanelText(kPanelResult, QStringLiteral("Erase data failed"));
    else
        view_.SetPanelText(kPanelResult, QStringLiteral("Erase the data successfully"));
    EndOperation();
}

void LinkEngine::ReadSettings()
{
    const params::ProtoInfoRecord& info = params_.ProtoInfo[0];
    const auto send = [&] { Send(ReadMemoryBody(kSettingsFlashAddr, static_cast<uint16_t>(info.DataLen)), kReadMemoryLimits); };
    if (!SendThenAwait(send)) return;
    if (!ReadSucceeded(info.DataLen)) {
        view_.SetPanelText(kPanelResult, kReadFailure);
    } else {
        // A block that fails its check never stays in SetData: the next update or save
        // would stamp it afresh and write values the user never saw.
        const common::Bytes shown = params_.SetData;
        CopyReplyData(params_.SetData, info.DataLen);
        if (params::CheckBlockCrc(params_.SetData, info) < 1) {
            view_.SetPanelText(kPanelResult, kReadSuccess);
            view_.ShowSetData();
            view_.SetMenuImg4Enabled(true);
        } else {
            params_.SetData = shown;
            view_.SetPanelText(kPanelResult, QStringLiteral("Read the data validation is invalid"));
        }
    }
    EndOperation();
}

void LinkEngine::WriteSettings(uint8_t flag)
{
    switch (state_.LinkState) {
    case kSend: SendSettings(flag); break;
    case kWait:
        if (ExchangeOver()) FinishSettingsWrite(flag);
        break;
    case kReadBack: SendSettingsReadBack(flag); break;
    case kWaitReadBack:
        if (ExchangeOver()) FinishSettingsReadBack(flag);
        break;
    default: state_.LinkState = kSend; break;
    }
}

void LinkEngine::SendSettings(uint8_t flag)
{
    const params::ProtoInfoRecord& info = params_.ProtoInfo[0];
    if (params::StampBlockCrc(params_.SetData, info) >= 1) {
        view_.SetPanelText(kPanelResult, QStringLiteral("Set the data validation is invalid"));
        EndOperation();
        return;
    }
    writtenBlock_.assign(static_cast<size_t>(std::max<int16_t>(info.DataLen, 0)), 0);
    std::copy_n(params_.SetData.begin(), std::min(writtenBlock_.size(), params_.SetData.size()), writtenBlock_.begin());
    Send(WriteSettingsBody(flag, writtenBlock_), WriteSettingsLimits(flag));
}

// A good reply may still be a late one to an earlier F5 when a failure went before:
// then the board's block is read back, and only a block equal to the one sent counts.
void LinkEngine::FinishSettingsWrite(uint8_t flag)
{
    if (link_.LinkError != LinkOk) {
        view_.SetPanelText(kPanelResult, kCommunicationFails);
    } else if (link_.RxBuf.at(kReplyStatus) != 0) {
        view_.SetPanelText(kPanelResult, SettingsWriteFailedText(flag));
    } else if (link_.FollowsAFailure() || link_.FailedExchanges() != failuresAtRequest_) {
        state_.LinkState = kReadBack;
        return;
    } else {
        ReportSettingsWritten(flag);
    }
    EndOperation();
}

void LinkEngine::SendSettingsReadBack(uint8_t flag)
{
    const uint32_t address = flag == kSaveSettingsFlag ? kSettingsFlashAddr : kSettingsRamAddr;
    Send(ReadMemoryBody(address, static_cast<uint16_t>(writtenBlock_.size())), kReadMemoryLimits);
    state_.LinkState = kWaitReadBack;
}

void LinkEngine::FinishSettingsReadBack(uint8_t flag)
{
    if (link_.LinkError == LinkOk && ReadReplyHolds(link_.RxBuf, writtenBlock_))
        ReportSettingsWritten(flag);
    else
        view_.SetPanelText(kPanelResult, SettingsWriteFailedText(flag));
    EndOperation();
}

void LinkEngine::ReportSettingsWritten(uint8_t flag)
{
    view_.SetPanelText(kPanelResult, flag == kSaveSettingsFlag ? QStringLiteral("Save Settings data successfully")
                                                               : QStringLiteral("Update the set data successfully"));
    view_.SetSettingCellForeBlack();
}

QString LinkEngine::SettingsWriteFailedText(uint8_t flag)
{
    return flag == kSaveSettingsFlag ? QStringLiteral("Save Settings data failed")
                                     : QStringLiteral("Setting the update data failed");
}

void LinkEngine::ReadImageInfo()
{
    if (!SendThenAwait([this] { Send(ReadMemoryBody(kImageInfoAddr, image::kImageInfoSize), kReadMemoryLimits); }))
        return;
    if (!ReadSucceeded(image::kImageInfoSize)) {
        EndOperation();
        return;
    }
    FinishImageInfo();
}

void LinkEngine::FinishImageInfo()
{
    state_.ImageInfo.FromBytes(link_.RxBuf.data(), link_.RxBuf.size(), kReplyDataOffset);
    // A board that holds no order number leaves the box's own.
    const QString orderID = image::FieldText(state_.ImageInfo.OrderID);
    if (!orderID.isEmpty()) view_.SetNotesTxt5(orderID);
    // Ended before the modal window opens, so nothing can complete it a second time.
    EndOperation();
    view_.ShowVersionWindow(state_.ImageInfo);
}

void LinkEngine::ReadDisplay()
{
    switch (state_.LinkState) {
    case kAskAddress:
        link_.SendFrame(QueryDisplayBody(), kQueryDisplayLimits);
        state_.LinkState = kWaitAddress;
        break;
    case kWaitAddress:
        if (ExchangeOver()) FinishDisplayAddress();
        break;
    case kReadDisplay:
        link_.SendFrame(ReadMemoryBody(static_cast<uint32_t>(state_.DispAddr),
                                       static_cast<uint16_t>(params_.ProtoInfo[1].DataLen)),
                        kReadMemoryLimits);
        state_.LinkState = kWaitDisplay;
        break;
    case kWaitDisplay:
        if (ExchangeOver()) FinishDisplayRead();
        break;
    default:
        state_.LinkState = kReadDisplay;
        break;
    }
}

void LinkEngine::FinishDisplayAddress()
{
    state_.LinkState = kAskAddress;
    if (link_.LinkError != LinkOk || link_.RxBuf.size() < kQueryDisplayReplySize) return;
    const int32_t address = common::ReadLE<int32_t>(link_.RxBuf, kReplyStatus).value_or(0);
    if (address > static_cast<int32_t>(kDisplayAddrFloor)) {
        state_.DispAddr = address;
        state_.LinkState = kReadDisplay;
    }
}

void LinkEngine::FinishDisplayRead()
{
    if (!ReadSucceeded(params_.ProtoInfo[1].DataLen)) {
        view_.SetPanelText(kPanelResult, kReadFailure);
    } else {
        CopyReplyData(params_.DispData, params_.ProtoInfo[1].DataLen);
        view_.SetPanelText(kPanelResult, kReadSuccess);
        view_.ShowDispData();
    }
    state_.LinkState = kReadDisplay;
}

}  // namespace devlink
