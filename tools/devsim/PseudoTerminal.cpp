#include "PseudoTerminal.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <termios.h>
#include <unistd.h>

namespace devsim {
namespace {

[[noreturn]] void Fail(const char* what)
{
    throw std::runtime_error(std::string(what) + ": " + std::strerror(errno));
}

// Raw line: no echo, no line editing, no translation of any byte.
void MakeRaw(const std::string& slavePath)
{
    const int slave = ::open(slavePath.c_str(), O_RDWR | O_NOCTTY);
    if (slave < 0) Fail("open slave");
    termios tio{};
    if (::tcgetattr(slave, &tio) != 0) Fail("tcgetattr");
    ::cfmakeraw(&tio);
    if (::tcsetattr(slave, TCSANOW, &tio) != 0) Fail("tcsetattr");
    // Closed again: the line keeps its mode, and a hang-up then tells when the tool
    // has closed its end.
    ::close(slave);
}

}  // namespace

PseudoTerminal::PseudoTerminal()
{
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0) Fail("posix_openpt");
    if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0) Fail("grantpt/unlockpt");
    const char* name = ::ptsname(master_);
    if (!name) Fail("ptsname");
    slavePath_ = name;
    MakeRaw(slavePath_);
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
}

PseudoTerminal::~PseudoTerminal()
{
    if (master_ >= 0) ::close(master_);
}

}  // namespace devsim
