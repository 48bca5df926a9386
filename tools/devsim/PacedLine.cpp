#include "PacedLine.h"

#include <algorithm>
#include <cerrno>
#include <poll.h>
#include <unistd.h>

namespace devsim {
namespace {

void WriteAll(int fd, const uint8_t* data, size_t size)
{
    size_t sent = 0;
    while (sent < size) {
        const ssize_t n = ::write(fd, data + sent, size - sent);
        if (n > 0) {
            sent += static_cast<size_t>(n);
        } else if (n < 0 && errno == EAGAIN) {
            pollfd p{fd, POLLOUT, 0};
            ::poll(&p, 1, 50);
        } else {
            return;  // the other side is gone; the reply is lost like on a pulled cable
        }
    }
}

}  // namespace

PacedLine::PacedLine(const std::optional<devlink::LineSettings>& settings)
{
    if (settings) charTime_ = std::chrono::duration_cast<Clock::duration>(devlink::WireTime(1, *settings));
}

void PacedLine::Arrived(const uint8_t* data, size_t size, Clock::time_point now)
{
    receiveLineFreeAt_ = std::max(receiveLineFreeAt_, now) + charTime_ * static_cast<long>(size);
    incoming_.push_back({receiveLineFreeAt_, common::Bytes(data, data + size)});
}

common::Bytes PacedLine::Received(Clock::time_point now)
{
    common::Bytes received;
    while (!incoming_.empty() && incoming_.front().due <= now) {
        const common::Bytes& bytes = incoming_.front().bytes;
        received.insert(received.end(), bytes.begin(), bytes.end());
        incoming_.pop_front();
    }
    return received;
}

void PacedLine::Queue(common::Bytes bytes, Clock::time_point notBefore, bool releasedByNext)
{
    for (Outgoing& piece : outgoing_)
        if (piece.releasedByNext) piece.notBefore = std::min(piece.notBefore, notBefore);
    outgoing_.push_back({std::move(bytes), notBefore, releasedByNext, std::nullopt, 0});
}

PacedLine::Clock::time_point PacedLine::StartOf(const Outgoing& piece) const
{
    return piece.start ? *piece.start : std::max(piece.notBefore, sendLineFreeAt_);
}

// Byte k of a piece has left the line once k + 1 character times have passed since the
// piece started.
size_t PacedLine::BytesDue(const Outgoing& piece, Clock::time_point now) const
{
    const Clock::time_point start = StartOf(piece);
    if (now < start) return 0;
    if (charTime_.count() == 0) return piece.bytes.size();
    const auto characters = static_cast<size_t>((now - start) / charTime_);
    return std::min(characters, piece.bytes.size());
}

void PacedLine::Transmit(int fd, Clock::time_point now)
{
    while (!outgoing_.empty()) {
        Outgoing& piece = outgoing_.front();
        if (now < StartOf(piece)) return;
        piece.start = StartOf(piece);
        const size_t due = BytesDue(piece, now);
        if (due > piece.sent) WriteAll(fd, piece.bytes.data() + piece.sent, due - piece.sent);
        piece.sent = due;
        if (piece.sent < piece.bytes.size()) return;
        sendLineFreeAt_ = *piece.start + charTime_ * static_cast<long>(piece.bytes.size());
        outgoing_.pop_front();
    }
}

std::optional<PacedLine::Clock::time_point> PacedLine::NextDue() const
{
    std::optional<Clock::time_point> next;
    if (!incoming_.empty()) next = incoming_.front().due;
    if (!outgoing_.empty()) {
        const Outgoing& piece = outgoing_.front();
        const Clock::time_point byteDue = StartOf(piece) + charTime_ * static_cast<long>(piece.sent + 1);
        next = next ? std::min(*next, byteDue) : byteDue;
    }
    return next;
}

void PacedLine::Clear()
{
    incoming_.clear();
    outgoing_.clear();
}

}  // namespace devsim
