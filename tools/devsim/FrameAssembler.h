#pragma once
// Cuts the byte stream from the tool into whole request frames. A request's length
// follows from its command byte (and, for 07 and F5, from its length field). Bytes
// that cannot start a frame are dropped one at a time, so the stream resynchronises.

#include "common/LittleEndian.h"

#include <optional>

namespace devsim {

class FrameAssembler {
public:
    void Append(const uint8_t* data, size_t size);
    // The next whole frame with a good CRC; frames with a bad CRC are dropped.
    std::optional<common::Bytes> Next();
    void Clear() { buffer_.clear(); }
    bool Empty() const { return buffer_.empty(); }
    int DroppedFrames() const { return dropped_; }

private:
    // The whole length of the frame at the buffer's start; 0 when not known yet,
    // -1 when the buffer cannot start a frame.
    long ExpectedLength() const;

    common::Bytes buffer_;
    int dropped_ = 0;
};

}  // namespace devsim
