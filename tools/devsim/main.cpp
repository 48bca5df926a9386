// devsim: a stand-in controller for trying the tool and for its end-to-end tests.
// It opens a pseudo-terminal pair, prints the device path, and answers every request
// of the command table until SIGTERM (or, with --once, until the tool closes the port).

#include "Controller.h"
#include "FrameAssembler.h"
#include "Options.h"
#include "PseudoTerminal.h"

#include "link/Commands.h"
#include "link/Crc16.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <poll.h>
#include <sys/prctl.h>
#include <thread>
#include <unistd.h>

namespace devsim {
namespace {

using Clock = std::chrono::steady_clock;

volatile std::sig_atomic_t g_stop = 0;

void OnSignal(int) { g_stop = 1; }

void InstallSignalHandlers()
{
    struct sigaction action {};
    action.sa_handler = OnSignal;  // no SA_RESTART: poll() returns at once
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
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

void Trace(const char* what, const common::Bytes& bytes)
{
    std::fprintf(stderr, "devsim %s", what);
    for (uint8_t b : bytes) std::fprintf(stderr, " %02X", b);
    std::fprintf(stderr, "\n");
}

void WriteAll(int fd, const common::Bytes& bytes)
{
    size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + sent, bytes.size() - sent);
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

class Session {
public:
    Session(const Options& options, PseudoTerminal& pty) : options_(options), pty_(pty), controller_(options.controller) {}

    void Preload()
    {
        if (!options_.imageFile.empty()) controller_.Memory().Write(devlink::kFlashBase, ReadFile(options_.imageFile));
        if (!options_.settingsFile.empty())
            controller_.Memory().Write(devlink::kSettingsFlashAddr, ReadFile(options_.settingsFile));
        controller_.Boot();
    }

    void Run()
    {
        bool connected = false;
        while (!g_stop) {
            pollfd p{pty_.Fd(), POLLIN, 0};
            const int ready = ::poll(&p, 1, 10);
            if (ready < 0 && errno != EINTR) break;
            SendDueSecondHalf();
            // Bytes are read even when a hang-up is flagged with them.
            if ((p.revents & POLLIN) && Receive()) {
                connected = true;
            } else if (p.revents & POLLHUP) {
                // Nobody has the device open.
                if (connected && options_.once) break;
                connected = false;
                assembler_.Clear();
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
            DropStalePartialFrame();
        }
        DumpFlash();
    }

private:
    // False when nothing could be read (the other side is closed).
    bool Receive()
    {
        uint8_t chunk[4096];
        const ssize_t n = ::read(pty_.Fd(), chunk, sizeof chunk);
        if (n <= 0) return false;
        lastByteAt_ = Clock::now();
        if (options_.verbose) Trace("bytes", common::Bytes(chunk, chunk + n));
        assembler_.Append(chunk, static_cast<size_t>(n));
        while (auto frame = assembler_.Next()) Answer(*frame);
        return true;
    }

    void Answer(const common::Bytes& request)
    {
        ++requests_;
        if (options_.verbose) Trace("<-", request);
        common::Bytes reply = controller_.Handle(request);
        if (controller_.PageJustClosed()) DumpFlash();
        if (options_.silentAfter && requests_ > *options_.silentAfter) return;
        const auto crc = devlink::Crc16(reply.data(), reply.size(), 0, reply.size());
        reply.push_back(crc.CRCLo);
        reply.push_back(crc.CRCHi);
        if (options_.badCrc) reply.back() ^= 0x5A;
        if (options_.verbose) Trace("->", reply);
        Send(reply);
    }

    void Send(const common::Bytes& reply)
    {
        FlushSecondHalf();
        if (!options_.splitReply || reply.size() < 2) {
            WriteAll(pty_.Fd(), reply);
            return;
        }
        const auto middle = reply.begin() + static_cast<long>(reply.size() / 2);
        WriteAll(pty_.Fd(), common::Bytes(reply.begin(), middle));
        secondHalf_ = common::Bytes(middle, reply.end());
        secondHalfAt_ = Clock::now() + std::chrono::milliseconds(options_.splitPauseMs);
    }

    void SendDueSecondHalf()
    {
        if (!secondHalf_.empty() && Clock::now() >= secondHalfAt_) FlushSecondHalf();
    }

    void FlushSecondHalf()
    {
        if (secondHalf_.empty()) return;
        WriteAll(pty_.Fd(), secondHalf_);
        secondHalf_.clear();
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
    long requests_ = 0;
    common::Bytes secondHalf_;
    Clock::time_point secondHalfAt_;
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
        if (!options->linkPath.empty()) {
            ::unlink(options->linkPath.c_str());
            if (::symlink(pty.SlavePath().c_str(), options->linkPath.c_str()) != 0)
                throw std::runtime_error("cannot create link " + options->linkPath);
        }
        std::cout << pty.SlavePath() << std::endl;
        Session session(*options, pty);
        session.Preload();
        session.Run();
        if (!options->linkPath.empty()) ::unlink(options->linkPath.c_str());
    } catch (const std::exception& e) {
        std::cerr << "devsim: " << e.what() << "\n";
        return 1;
    }
    return 0;
}

}  // namespace
}  // namespace devsim

int main(int argc, char** argv) { return devsim::Main(argc, argv); }
