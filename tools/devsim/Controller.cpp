#include "Controller.h"

#include "link/Commands.h"

namespace devsim {

using namespace devlink;

namespace {

constexpr uint8_t kOk = 0x00;
constexpr uint8_t kRefused = 0x01;
constexpr uint8_t kBytesDiffer = 0x02;  // 07 over bytes that are neither erased nor equal
constexpr uint32_t kSettingsPagesSize = 2 * kPageSize;  // flash pages 10 and 11

common::Bytes Status(uint8_t cmd, uint8_t status) { return {kFrameAddr, cmd, status}; }

uint32_t Field32(const common::Bytes& frame, long at) { return common::ReadLE<uint32_t>(frame, at).value_or(0); }
uint16_t Field16(const common::Bytes& frame, long at) { return common::ReadLE<uint16_t>(frame, at).value_or(0); }

}  // namespace

Controller::Controller(ControllerOptions options) : options_(std::move(options)) {}

void Controller::Boot()
{
    if (auto stored = memory_.Read(kSettingsFlashAddr, kBootSettingsCopy)) memory_.Write(kSettingsRamAddr, *stored);
}

void Controller::PowerCycle()
{
    mode_ = ModeRun;
    openPage_.reset();
    Boot();
}

void Controller::ReplaceBoard()
{
    options_.wornBits.clear();
    if (options_.chipId) options_.chipId->back() = static_cast<uint8_t>(options_.chipId->back() + 1);
    memory_ = MemoryMap();
    displayCount_ = 0;
    PowerCycle();
}

std::optional<common::Bytes> Controller::Handle(const common::Bytes& request)
{
    pageJustClosed_ = false;
    imageJustFinished_ = false;
    const uint8_t cmd = request.at(1);
    if (options_.refused.count(cmd)) return Status(cmd, kRefused);
    switch (cmd) {
    case CmdLinkQuery: return LinkQuery();
    case CmdHandshake: return Handshake();
    case CmdEnterDownload: return EnterDownload();
    case CmdErasePage: return ErasePage(request);
    case CmdWriteChunk: return WriteChunk(request);
    case CmdClosePage: return ClosePage(request);
    case CmdEraseSettings: return EraseSettings();
    case CmdReadMemory: return ReadMemory(request);
    case CmdWriteSettings: return WriteSettings(request);
    case CmdQueryDisplay: return QueryDisplay();
    default: return Status(cmd, kRefused);
    }
}

common::Bytes Controller::LinkQuery() const { return Status(CmdLinkQuery, mode_); }

common::Bytes Controller::Handshake() const
{
    if (!options_.chipId) return Status(CmdHandshake, 0x00);
    common::Bytes reply = Status(CmdHandshake, 0x01);
    reply.insert(reply.end(), options_.chipId->begin(), options_.chipId->end());
    return reply;
}

common::Bytes Controller::EnterDownload()
{
    mode_ = ModeDownload;
    openPage_.reset();
    return Status(CmdEnterDownload, kOk);
}

// 05: 00, page address (32-bit), page number.
common::Bytes Controller::ErasePage(const common::Bytes& request)
{
    const uint32_t address = Field32(request, 3);
    const bool aligned = (address - kFlashStart) % kPageSize == 0;
    if (mode_ != ModeDownload || !aligned || !memory_.EraseFlash(address, kPageSize)) {
        openPage_.reset();
        return Status(CmdErasePage, kRefused);
    }
    openPage_ = address;
    pageBuffer_.assign(kPageSize, 0xFF);
    return Status(CmdErasePage, kOk);
}

// 07: 00, position in the page (16-bit), length (16-bit), data.
common::Bytes Controller::WriteChunk(const common::Bytes& request)
{
    const uint16_t position = Field16(request, 3);
    const uint16_t length = Field16(request, 5);
    if (mode_ != ModeDownload || !openPage_ || position + length > kPageSize)
        return Status(CmdWriteChunk, kRefused);
    const common::Bytes data(request.begin() + 7, request.begin() + 7 + length);
    if (options_.compareBeforeWrite) {
        const auto target = options_.flashAtClose
                                ? std::optional(common::Bytes(pageBuffer_.begin() + position,
                                                              pageBuffer_.begin() + position + length))
                                : memory_.Read(*openPage_ + position, length);
        if (!target || !WritableOver(*target, data)) return Status(CmdWriteChunk, kBytesDiffer);
    }
    if (options_.flashAtClose) {
        std::copy(data.begin(), data.end(), pageBuffer_.begin() + position);
        return Status(CmdWriteChunk, kOk);
    }
    return Status(CmdWriteChunk, ProgramFlash(*openPage_ + position, data) ? kOk : kRefused);
}

// 09: flag (A7 on the image's last page), image offset (32-bit), page number.
common::Bytes Controller::ClosePage(const common::Bytes& request)
{
    if (mode_ != ModeDownload || !openPage_) return Status(CmdClosePage, kRefused);
    if (options_.flashAtClose && !ProgramFlash(*openPage_, pageBuffer_)) return Status(CmdClosePage, kRefused);
    openPage_.reset();
    pageJustClosed_ = true;
    if (request.at(2) == kLastPageFlag) {
        if (!options_.staysInDownload) mode_ = ModeRun;  // the new program starts
        imageJustFinished_ = true;
    }
    return Status(CmdClosePage, kOk);
}

bool Controller::WritableOver(const common::Bytes& target, const common::Bytes& data)
{
    for (size_t i = 0; i < data.size(); ++i)
        if (target[i] != 0xFF && target[i] != data[i]) return false;
    return true;
}

common::Bytes Controller::EraseSettings()
{
    memory_.EraseFlash(kSettingsFlashAddr, kSettingsPagesSize);
    return Status(CmdEraseSettings, kOk);
}

// F4: address (32-bit), length (16-bit). Reply: address, length, the bytes read.
std::optional<common::Bytes> Controller::ReadMemory(const common::Bytes& request)
{
    if (mode_ == ModeDownload && options_.readInDownload == ReadInDownload::Silent) return std::nullopt;
    if (mode_ == ModeDownload && options_.readInDownload == ReadInDownload::Refuses)
        return Status(CmdReadMemory, kRefused);
    const uint32_t address = Field32(request, 2);
    const uint16_t length = Field16(request, 6);
    if (address < options_.displayAddr + 4 && address + length > options_.displayAddr) AdvanceDisplay();
    common::Bytes reply{kFrameAddr, CmdReadMemory};
    reply.insert(reply.end(), request.begin() + 2, request.begin() + 8);
    if (auto data = memory_.Read(address, length)) reply.insert(reply.end(), data->begin(), data->end());
    return reply;
}

// F5: RAM address (32-bit), length (16-bit), flag (AA: store in flash too), data.
common::Bytes Controller::WriteSettings(const common::Bytes& request)
{
    const uint32_t address = Field32(request, 2);
    const uint16_t length = Field16(request, 6);
    const common::Bytes data(request.begin() + 9, request.begin() + 9 + length);
    bool stored = memory_.Write(address, data);
    if (stored && request.at(8) == kSaveSettingsFlag) {
        stored = memory_.EraseFlash(kSettingsFlashAddr, kPageSize) && ProgramFlash(kSettingsFlashAddr, data);
    }
    return Status(CmdWriteSettings, stored ? kOk : kRefused);
}

bool Controller::ProgramFlash(uint32_t address, const common::Bytes& data)
{
    common::Bytes cells = data;
    for (const auto& [cell, bits] : options_.wornBits)
        if (cell >= address && cell - address < cells.size()) cells[cell - address] |= bits;
    return memory_.Write(address, cells);
}

// FF: the display block's address in bytes 2..5.
common::Bytes Controller::QueryDisplay() const
{
    common::Bytes reply{kFrameAddr, CmdQueryDisplay, 0, 0, 0, 0};
    common::WriteLE<uint32_t>(reply, 2, options_.displayAddr);
    return reply;
}

// The running board's values change between reads: a counter and three times it.
void Controller::AdvanceDisplay()
{
    ++displayCount_;
    common::Bytes values;
    common::AppendLE<uint16_t>(values, displayCount_);
    common::AppendLE<uint16_t>(values, static_cast<uint16_t>(displayCount_ * 3));
    memory_.Write(options_.displayAddr, values);
}

}  // namespace devsim
