#pragma once
// The serial line between the tool and the board, seen from the board. Without line
// settings it is the bare pseudo-terminal: bytes come and go at once. Paced at a line's
// settings it behaves like a real line at that rate: bytes the tool wrote count as
// received only once their last bit would have arrived, and what the board sends leaves
// one character time after the other.

#include "common/LittleEndian.h"
#include "link/LineSettings.h"

#include <chrono>
#include <deque>
#include <optional>

namespace devsim {

class PacedLine {
public:
    using Clock = std::chrono::steady_clock;

    explicit PacedLine(const std::optional<devlink::LineSettings>& settings);

    // Bytes read from the device at `now`.
    void Arrived(const uint8_t* data, size_t size, Clock::time_point now);
    // The bytes whose last bit has arrived by `now`, in order; empty when none.
    common::Bytes Received(Clock::time_point now);

    // Bytes to send, not before `notBefore`. A piece marked `releasedByNext` (the second
    // half of a split reply) goes out at once when the next piece is queued.
    void Queue(common::Bytes bytes, Clock::time_point notBefore, bool releasedByNext = false);
    // Writes to `fd` every byte that is due by `now`.
    void Transmit(int fd, Clock::time_point now);

    // When the next byte is due in either direction; nullopt when nothing waits.
    std::optional<Clock::time_point> NextDue() const;
    // Forgets everything on its way in and out (the board was pulled, the tool left).
    void Clear();

private:
    struct Incoming {
        Clock::time_point due;
        common::Bytes bytes;
    };
    struct Outgoing {
        common::Bytes bytes;
        Clock::time_point notBefore;
        bool releasedByNext = false;
        std::optional<Clock::time_point> start;  // when its first bit went on the line
        size_t sent = 0;
    };

    Clock::time_point StartOf(const Outgoing& piece) const;
    size_t BytesDue(const Outgoing& piece, Clock::time_point now) const;

    Clock::duration charTime_{0};
    std::deque<Incoming> incoming_;
    std::deque<Outgoing> outgoing_;
    Clock::time_point receiveLineFreeAt_{};
    Clock::time_point sendLineFreeAt_{};
};

}  // namespace devsim
