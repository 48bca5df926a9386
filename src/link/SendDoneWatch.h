#pragma once
// When a request has left the line. The send-done event must follow the request's last
// byte on the wire, not its hand-over to the driver: it comes once nothing of the request
// waits on the way out (neither in the port's own buffer nor in the driver's output
// queue), and never before the request's own time on the wire has passed since it was
// written. The second rule keeps the event right where the queue cannot be seen (a
// pseudo-terminal, an adapter that buffers inside its chip).

#include <chrono>
#include <cstdint>
#include <optional>

namespace devlink {

class SendDoneWatch {
public:
    using Clock = std::chrono::steady_clock;

    // A request written at `now` that takes `wireTime` on the line. Written while an
    // earlier one is still going out, it follows that one on the line; one send-done
    // then covers both.
    void Written(Clock::time_point now, std::chrono::nanoseconds wireTime);
    // Nothing is going out any more (the port was closed).
    void Clear() { lineFreeAt_.reset(); }
    bool Pending() const { return lineFreeAt_.has_value(); }
    // Time left until the last request written has had its time on the wire; zero once
    // it has, or when nothing is pending.
    std::chrono::nanoseconds WireTimeLeft(Clock::time_point now) const;
    // True exactly once per request (or run of requests written back to back): the first
    // time it is asked after the wire time has passed with `bytesQueued` at 0.
    bool Done(Clock::time_point now, int64_t bytesQueued);

private:
    std::optional<Clock::time_point> lineFreeAt_;
};

}  // namespace devlink
