#pragma once
// The link that names devsim's device for the tool (--link PATH, e.g. ports/COM1).

#include <stdexcept>
#include <string>

namespace devsim {

// Something other than a link stands at the path; devsim leaves it as it is.
class LinkRefused : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class DeviceLink {
public:
    // Makes `path` a link to `device`; an empty path makes none. Only a link already
    // there (one an earlier run left behind) is replaced: anything else throws
    // LinkRefused. Throws std::runtime_error when the link cannot be made.
    DeviceLink(std::string path, std::string device);
    // Removes the link, but only while it is still the one made here: another devsim may
    // have taken the path over since.
    ~DeviceLink();
    DeviceLink(const DeviceLink&) = delete;
    DeviceLink& operator=(const DeviceLink&) = delete;

private:
    bool StillOurs() const;

    std::string path_;
    std::string device_;
    bool made_ = false;
};

}  // namespace devsim
