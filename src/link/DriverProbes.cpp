#include "link/DriverProbes.h"

#if defined(Q_OS_WIN)
#include <windows.h>
#elif defined(Q_OS_UNIX)
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#endif

namespace devlink {

int64_t DriverOutputQueue(PortHandle handle)
{
#if defined(Q_OS_WIN)
    COMSTAT status{};
    DWORD errors = 0;
    if (::ClearCommError(handle, &errors, &status)) return static_cast<int64_t>(status.cbOutQue);
#elif defined(Q_OS_UNIX) && defined(TIOCOUTQ)
    int queued = 0;
    if (::ioctl(handle, TIOCOUTQ, &queued) == 0 && queued > 0) return queued;
#else
    (void)handle;
#endif
    return 0;
}

bool LineHungUp(PortHandle handle)
{
#if defined(Q_OS_UNIX)
    pollfd line{handle, POLLIN, 0};
    return ::poll(&line, 1, 0) > 0 && (line.revents & (POLLHUP | POLLNVAL)) != 0;
#else
    (void)handle;
    return false;
#endif
}

}  // namespace devlink
