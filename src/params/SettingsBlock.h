#pragma once
// The 32-byte header of a setting block: payload length at bytes 20..23 and the
// payload's CRC-16 at bytes 28 (high byte) and 29 (low byte).

#include "params/ParamTypes.h"

namespace params {

// 0 when the block's length field and CRC are right, 1 otherwise.
int CheckBlockCrc(const common::Bytes& block, const ProtoInfoRecord& info);

// Writes the payload's CRC into bytes 28 and 29 and zeroes bytes 30 and 31;
// 0 on success, 1 (block unchanged) when the length field is wrong.
int StampBlockCrc(common::Bytes& block, const ProtoInfoRecord& info);

}  // namespace params
