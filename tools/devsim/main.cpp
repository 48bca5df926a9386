// devsim: a stand-in controller for trying the tool and for its end-to-end tests.
// It opens a pseudo-terminal pair, prints the device path, and answers every request
// of the command table until SIGTERM (or, with --once, until the tool closes the port).
// SIGUSR1 pulls the board out or puts it back; SIGUSR2 swaps in a new board.

#include "Controller.h"
#include "DeviceLink.h"
#include "FrameAssembler.h"
#include "Options.h"
#include "PacedLine.h"
#include "PseudoTerminal.h"

#include "link/Commands.h"
#include "common/Crc16.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <poll.h>
#include <sys/prctl.h>
#include <thread>
#include <unistd.h>

namespace devsim {
namespace {

using Clock = std::chrono::steady_clock;

volatile std::sig_atomic_t g_stop = 0;
volatile std::sig_atomic_t g_pullToggles = 0;
volatile std::sig_atomic_t g_swaps = 0;

void OnSignal(int) { g_stop = 1; }
void OnPullSignal(int) { g_pullToggles = g_pullToggles + 1; }
void OnSwapSignal(int) { g_swaps = g_swaps + 1; }

void InstallSignalHandlers()
{
    struct sigaction action {};
    action.sa_handler = OnSignal;  // no SA_RESTART: poll() returns at once
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    action.sa_handler = OnPullSignal;
    sigaction(SIGUSR1, &action, nullptr);
    action.sa_handler = OnSwapSignal;
    sigaction(SIGUSR2, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
}

common::Bytes ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    return common::Bytes(std::istreambuf_iterator<char>(in), {});
}

void WriteFileAtomically(const std::string& path, const common::Bytes& bytes)
{
    const std::string temporary = path + ".part";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    std::rename(temporary.c_str(), path.c_str());
}

std::string HexLine(const common::Bytes& bytes)
{
    std::string line;
    char digits[4];
    for (uint8_t b : bytes) {
        std::snprintf(digits, sizeof digits, line.empty() ? "%02X" : " %02X", b);
        line += digits;
    }
    return line;
}

void Trace(const char* what, const common::Bytes& bytes)
{
    std::fprintf(stderr, "devsim %s %s\n", what, HexLine(bytes).c_str());
}

// Tells the starting process that a signal has been acted on.
void Announce(const char* event)
{
    std::cout << event << std::endl;
}

// Counts the requests, all of them and per command, to find the ones a fault applies to.
class RequestCounter {
public:
    void Count(uint8_t command)
    {
        ++all_;
        ++perCommand_[command];
    }
    // Whether the request just counted is the one `point` names.
    bool Matches(const FaultPoint& point, uint8_t command) const
    {
        if (!point.command) return point.count == all_;
        return *point.command == command && point.count == perCommand_.at(command);
    }
    bool Matches(const std::vector<FaultPoint>& points, uint8_t command) const
    {
        return std::any_of(points.begin(), points.end(), [&](const FaultPoint& p) { return Matches(p, command); });
    }
    long All() const { return all_; }

private:
    long all_ = 0;
    std::map<uint8_t, long> perCommand_;
};

class Session {
public:
    Session(const Options& options, PseudoTerminal& pty)
        : options_(options), pty_(pty), controller_(options.controller), line_(options.line)
    {
    }

    void Preload()
    {
        if (!options_.imageFile.empty()) controller_.Memory().Write(devlink::kFlashBase, ReadFile(options_.imageFile));
        if (!options_.settingsFile.empty())
            controller_.Memory().Write(devlink::kSettingsFlashAddr, ReadFile(options_.settingsFile));
        if (!options_.displayFile.empty()) displayBytes_ = ReadFile(options_.displayFile);
        controller_.Boot();
        LoadDisplay();
        if (!options_.recordFile.empty()) {
            record_.open(options_.recordFile, std::ios::app);
            if (!record_) throw std::runtime_error("cannot write " + options_.recordFile);
        }
    }

    void Run()
    {
        bool connected = false;
        while (!g_stop) {
            pollfd p{pty_.Fd(), POLLIN, 0};
            const int ready = ::poll(&p, 1, PollTimeoutMs());
            if (ready < 0 && errno != EINTR) break;
            ActOnSignals();
            // Bytes are read even when a hang-up is flagged with them.
            if ((p.revents & POLLIN) && Receive()) {
                connected = true;
            } else if (p.revents & POLLHUP) {
                // Nobody has the device open.
                if (connected && options_.once) break;
                connected = false;
                assembler_.Clear();
                line_.Clear();
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
            AnswerWhatHasArrived();
            line_.Transmit(pty_.Fd(), Clock::now());
            DropStalePartialFrame();
        }
        DumpFlash();
    }

private:
    void LoadDisplay()
    {
        if (!displayBytes_.empty()) controller_.Memory().Write(options_.controller.displayAddr, displayBytes_);
    }

    void ActOnSignals()
    {
        while (pullToggles_ != g_pullToggles) {
            ++pullToggles_;
            pulled_ = !pulled_;
            assembler_.Clear();
            line_.Clear();
            if (!pulled_) {
                controller_.PowerCycle();
                LoadDisplay();
            }
            Announce(pulled_ ? "pulled" : "plugged");
        }
        while (swaps_ != g_swaps) {
            ++swaps_;
            SwapBoard();
            Announce("swapped");
        }
    }

    void SwapBoard()
    {
        ++boardsSwappedOut_;
        if (!options_.flashOut.empty())
            WriteFileAtomically(options_.flashOut + ".board" + std::to_string(boardsSwappedOut_),
                                controller_.Memory().Flash());
        controller_.ReplaceBoard();
        LoadDisplay();
        handshakesSinceDone_.reset();
        DumpFlash();
    }

    // With --swap-after-handshakes, a programmed board answers that many handshakes and
    // then gives way to a new one.
    void SwapWhenDue(uint8_t command)
    {
        if (command != devlink::CmdHandshake || !options_.swapAfterHandshakes || !handshakesSinceDone_) return;
        if (*handshakesSinceDone_ >= *options_.swapAfterHandshakes)
            SwapBoard();
        else
            ++*handshakesSinceDone_;
    }

    // Waits no longer than until the line has something due, and at most 10 ms.
    int PollTimeoutMs() const
    {
        constexpr int kIdlePollMs = 10;
        const auto due = line_.NextDue();
        if (!due) return kIdlePollMs;
        const auto wait = std::chrono::ceil<std::chrono::milliseconds>(*due - Clock::now()).count();
        return static_cast<int>(std::clamp<long>(wait, 0, kIdlePollMs));
    }

    // False when nothing could be read (the other side is closed).
    bool Receive()
    {
        uint8_t chunk[4096];
        const ssize_t n = ::read(pty_.Fd(), chunk, sizeof chunk);
        if (n <= 0) return false;
        if (pulled_) return true;  // nobody on the line to hear it
        if (options_.verbose) Trace("bytes", common::Bytes(chunk, chunk + n));
        line_.Arrived(chunk, static_cast<size_t>(n), Clock::now());
        return true;
    }

    void AnswerWhatHasArrived()
    {
        const common::Bytes received = line_.Received(Clock::now());
        if (received.empty()) return;
        lastByteAt_ = Clock::now();
        assembler_.Append(received.data(), received.size());
        while (auto frame = assembler_.Next()) Answer(*frame);
    }

    void Answer(const common::Bytes& request)
    {
        const uint8_t command = request.at(1);
        counter_.Count(command);
        Record(request);
        if (options_.verbose) Trace("<-", request);
        if (counter_.Matches(options_.loseRequest, command)) return;
        SwapWhenDue(command);
        std::optional<common::Bytes> answer = counter_.Matches(options_.statusFail, command)
                                                  ? common::Bytes{devlink::kFrameAddr, command, 0x01}
                                                  : controller_.Handle(request);
        if (controller_.PageJustClosed()) DumpFlash();
        if (controller_.ImageJustFinished()) handshakesSinceDone_ = 0;
        if (!answer) return;
        if (options_.silentAfter && counter_.All() > *options_.silentAfter) return;
        if (counter_.Matches(options_.dropReply, command)) return;
        common::Bytes reply = std::move(*answer);
        if (const auto length = ReplyLength(command)) reply.resize(*length - 2, 0x00);
        const auto crc = common::Crc16(reply.data(), reply.size(), 0, reply.size());
        reply.push_back(crc.CRCLo);
        reply.push_back(crc.CRCHi);
        if (options_.badCrc || counter_.Matches(options_.badCrcAt, command)) reply.back() ^= 0x5A;
        if (options_.verbose) Trace("->", reply);
        Send(reply, options_.splitReply || counter_.Matches(options_.splitAt, command), ReplyDelay(command));
    }

    std::chrono::milliseconds ReplyDelay(uint8_t command) const
    {
        for (const DelayedReply& delayed : options_.delayReply)
            if (counter_.Matches(delayed.at, command)) return std::chrono::milliseconds(delayed.delayMs);
        return std::chrono::milliseconds(0);
    }

    // The whole length, CRC included, that --reply-length sets for this reply.
    std::optional<size_t> ReplyLength(uint8_t command) const
    {
        for (const SizedReply& sized : options_.replyLength)
            if (counter_.Matches(sized.at, command)) return sized.length;
        return std::nullopt;
    }

    void Record(const common::Bytes& request)
    {
        if (!record_.is_open()) return;
        record_ << HexLine(request) << '\n';
        record_.flush();
    }

    void Send(const common::Bytes& reply, bool split, std::chrono::milliseconds delay)
    {
        const Clock::time_point at = Clock::now() + delay;
        if (!split || reply.size() < 2) {
            line_.Queue(reply, at);
            return;
        }
        const auto middle = reply.begin() + static_cast<long>(reply.size() / 2);
        line_.Queue(common::Bytes(reply.begin(), middle), at);
        line_.Queue(common::Bytes(middle, reply.end()), at + std::chrono::milliseconds(options_.splitPauseMs), true);
    }

    // A request the tool stopped sending halfway is forgotten after a short silence.
    void DropStalePartialFrame()
    {
        if (!assembler_.Empty() && Clock::now() - lastByteAt_ > std::chrono::milliseconds(500)) assembler_.Clear();
    }

    void DumpFlash()
    {
        if (!options_.flashOut.empty()) WriteFileAtomically(options_.flashOut, controller_.Memory().Flash());
    }

    const Options& options_;
    PseudoTerminal& pty_;
    Controller controller_;
    FrameAssembler assembler_;
    RequestCounter counter_;
    std::ofstream record_;
    common::Bytes displayBytes_;
    bool pulled_ = false;
    std::sig_atomic_t pullToggles_ = 0;
    std::sig_atomic_t swaps_ = 0;
    int boardsSwappedOut_ = 0;
    std::optional<long> handshakesSinceDone_;  // set once the board on the line is programmed
    PacedLine line_;
    Clock::time_point lastByteAt_;
};

int Main(int argc, char** argv)
{
    std::optional<Options> options;
    try {
        options = ParseOptions(argc, argv);
    } catch (const std::exception& e) {
        std::cerr << "devsim: " << e.what() << "\n" << kUsage;
        return 2;
    }
    if (!options) {
        std::cout << kUsage;
        return 0;
    }
    InstallSignalHandlers();
    // A test that crashes leaves no controller behind.
    if (options->exitWithParent) ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    try {
        PseudoTerminal pty;
        const DeviceLink link(options->linkPath, pty.SlavePath());
        std::cout << pty.SlavePath() << std::endl;
        Session session(*options, pty);
        session.Preload();
        session.Run();
    } catch (const LinkRefused& e) {
        std::cerr << "devsim: " << e.what() << "\n";
        return 2;
    } catch (const std::exception& e) {
        std::cerr << "devsim: " << e.what() << "\n";
        return 1;
    }
    return 0;
}

}  // namespace
}  // namespace devsim

int main(int argc, char** argv) { return devsim::Main(argc, argv); }
