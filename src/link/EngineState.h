#pragma once
// The hand-over between the user interface and the link engine, and the engine's own
// state that the operations share.

#include "image/ImageTypes.h"

#include <array>
#include <cstdint>

namespace devlink {

enum OpCode : uint8_t {
    OpLinkCheck = 0,
    OpProgram = 1,
    OpEraseSettings = 2,
    OpReadSettings = 3,
    OpUpdateSettings = 4,
    OpSaveSettings = 5,
    OpReadImageInfo = 6,
    OpReadDisplay = 7,
};

constexpr int kRequestFlag = 7;  // CmdFlag element that holds the requested operation

struct EngineState {
    std::array<uint8_t, 9> CmdFlag{};  // element 7: the requested operation
    uint8_t CurMode = 0;               // the operation the engine runs now
    int16_t LinkState = 0;             // step of the running operation
    int16_t FailCount = 0;
    int32_t DispAddr = 0;
    int16_t ProgRun = 0;               // 1 while programming is requested by Program
    image::ImageInfoRecord ImageInfo;  // read back by operation 6, stamped by preparation

    void Request(uint8_t op) { CmdFlag[kRequestFlag] = op; }
    uint8_t Requested() const { return CmdFlag[kRequestFlag]; }
};

}  // namespace devlink
