#pragma once
// The controller's end of a pseudo-terminal pair. The tool opens the other end (the
// slave device) as its serial port.

#include <string>

namespace devsim {

class PseudoTerminal {
public:
    // Opens the pair and puts the line into raw mode; throws std::runtime_error.
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    int Fd() const { return master_; }
    const std::string& SlavePath() const { return slavePath_; }

private:
    int master_ = -1;
    std::string slavePath_;
};

}  // namespace devsim
