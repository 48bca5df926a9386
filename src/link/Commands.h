#pragma once
// The controller's command table: request bodies (frame bytes 0 .. n-3, without the
// CRC) and the tick limits of each exchange. All fields inside a body are little-endian.

#include "common/LittleEndian.h"
#include "link/LinkExchange.h"

#include <cstdint>
#include <span>

namespace devlink {

constexpr uint8_t kFrameAddr = 0x01;

enum CommandCode : uint8_t {
    CmdLinkQuery = 0xF0,
    CmdHandshake = 0xF1,
    CmdEnterDownload = 0x03,
    CmdErasePage = 0x05,
    CmdWriteChunk = 0x07,
    CmdClosePage = 0x09,
    CmdEraseSettings = 0xFE,
    CmdReadMemory = 0xF4,
    CmdWriteSettings = 0xF5,
    CmdQueryDisplay = 0xFF,
};

// Tick limits, GapLimit / ReplyLimit / SendLimit.
constexpr Limits kLinkQueryLimits{3, 20, 20};
constexpr Limits kHandshakeLimits{3, 5, 10};
constexpr Limits kEnterDownloadLimits{3, 20, 100};
constexpr Limits kErasePageLimits{3, 20, 100};
constexpr Limits kWriteChunkLimits{3, 20, 100};
constexpr Limits kClosePageLimits{3, 20, 100};
constexpr Limits kEraseSettingsLimits{2, 100, 50};
constexpr Limits kReadMemoryLimits{3, 100, 50};
constexpr Limits kUpdateSettingsLimits{3, 100, 500};  // F5 with flag 00
constexpr Limits kSaveSettingsLimits{3, 200, 500};    // F5 with flag AA
constexpr Limits kQueryDisplayLimits{3, 100, 50};

// Flags carried in request payloads.
constexpr uint8_t kHandshakeKey = 0xA7;
constexpr uint8_t kLastPageFlag = 0xA7;      // 09 for the image's last page
constexpr uint8_t kUpdateSettingsFlag = 0x00;
constexpr uint8_t kSaveSettingsFlag = 0xAA;  // F5: also store the block in flash

// Device addresses.
constexpr uint32_t kFlashBase = 0x08002000;         // image byte 0
constexpr uint32_t kImageInfoAddr = 0x08002400;     // 50-byte image information block
constexpr uint32_t kSettingsFlashAddr = 0x08002800;
constexpr uint32_t kSettingsRamAddr = 0x20000110;
constexpr uint32_t kDisplayAddrFloor = 0x20000000;  // an FF address must lie above this

// Reply layout.
constexpr size_t kReplyStatus = 2;      // FrameStatus (F0: the mode; FF: address byte 0)
constexpr size_t kReplyChipId = 3;      // F1: 12-byte chip identifier at bytes 3..14
constexpr size_t kChipIdSize = 12;
constexpr size_t kReplyDataOffset = 8;  // F4: the bytes read start here
constexpr size_t kMinReplySize = 4;

// Whole reply lengths, CRC included.
constexpr size_t kStatusReplySize = 5;                                 // address, echo, status
constexpr size_t kHandshakeReplyWithId = kReplyChipId + kChipIdSize + 2;  // F1 with the chip ID: 17
constexpr size_t kQueryDisplayReplySize = 8;                           // FF: the address at bytes 2..5
constexpr size_t kReadReplyWithoutData = kReplyDataOffset + 2;         // F4 header alone: 10

// Device modes in the F0 reply's byte 2.
enum DeviceMode : uint8_t { ModeDownload = 1, ModeRun = 2, ModeStop = 3 };

common::Bytes LinkQueryBody();                                         // 01 F0 00
common::Bytes HandshakeBody();                                         // 01 F1 A7
common::Bytes EnterDownloadBody();                                     // 01 03 00
common::Bytes ErasePageBody(uint32_t pageAddr, uint8_t pageNo);        // 01 05 00 addr page
// 01 07 00 position length data; the length field is chunk.size().
common::Bytes WriteChunkBody(uint16_t position, std::span<const uint8_t> chunk);
// 01 09 flag offset page; flag A7 when lastPage, else 00.
common::Bytes ClosePageBody(bool lastPage, int32_t imageOffset, uint8_t pageNo);
common::Bytes EraseSettingsBody();                                     // 01 FE 44 33 22 11
common::Bytes ReadMemoryBody(uint32_t address, uint16_t length);       // 01 F4 addr length
// 01 F5 10 01 00 20 length flag data; the length field is settings.size().
common::Bytes WriteSettingsBody(uint8_t flag, std::span<const uint8_t> settings);
common::Bytes QueryDisplayBody();                                      // 01 FF 00

// The longest reply the request's command can bring, CRC included: F1 17 bytes, F4 the
// length asked for and 10, FF 8, every other command 5.
size_t LongestReplySize(const common::Bytes& body);

// Whether a reply (CRC included) has a length its request's command allows: F1 5 bytes
// with status 0 (no chip ID) and 17 with a non-zero status (the ID at bytes 3..14); F4
// 10 + the length asked for, or, refusing the read with a non-zero status, 5 or 10; FF
// 8; every other command 5. `request` is the frame sent, with or without its CRC.
bool ReplyLengthAllowed(const common::Bytes& request, const common::Bytes& reply);

// Whether an F4 reply (CRC included) carries all of the `count` bytes asked for.
bool ReadReplyCarries(const common::Bytes& reply, size_t count);

// Whether an F4 reply (CRC included) holds exactly `expected` from its first data byte.
bool ReadReplyHolds(const common::Bytes& reply, std::span<const uint8_t> expected);

// F5's limits depend on its flag.
constexpr Limits WriteSettingsLimits(uint8_t flag)
{
    return flag == kSaveSettingsFlag ? kSaveSettingsLimits : kUpdateSettingsLimits;
}

}  // namespace devlink
