#include "DeviceLink.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace devsim {
namespace {

const char* KindOf(mode_t mode)
{
    if (S_ISREG(mode)) return "a file";
    if (S_ISDIR(mode)) return "a folder";
    return "something other than a link";
}

std::string Refusal(const std::string& path, const char* kind)
{
    return "--link " + path + ": " + kind + " stands there; devsim replaces only a link and leaves it as it is";
}

}  // namespace

DeviceLink::DeviceLink(std::string path, std::string device) : path_(std::move(path)), device_(std::move(device))
{
    if (path_.empty()) return;
    struct stat status {};
    if (::lstat(path_.c_str(), &status) == 0) {
        if (!S_ISLNK(status.st_mode)) throw LinkRefused(Refusal(path_, KindOf(status.st_mode)));
        if (::unlink(path_.c_str()) != 0 && errno != ENOENT)
            throw std::runtime_error("cannot remove the old link " + path_ + ": " + std::strerror(errno));
    }
    if (::symlink(device_.c_str(), path_.c_str()) != 0) {
        if (errno == EEXIST) throw LinkRefused("--link " + path_ + ": something was put there meanwhile; left as it is");
        throw std::runtime_error("cannot create link " + path_ + ": " + std::strerror(errno));
    }
    made_ = true;
}

DeviceLink::~DeviceLink()
{
    if (made_ && StillOurs()) ::unlink(path_.c_str());
}

bool DeviceLink::StillOurs() const
{
    std::vector<char> target(device_.size() + 2);
    const ssize_t length = ::readlink(path_.c_str(), target.data(), target.size());
    return length >= 0 && std::string(target.data(), static_cast<size_t>(length)) == device_;
}

}  // namespace devsim
