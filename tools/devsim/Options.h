#pragma once
// Command line of the stand-in controller.

#include "Controller.h"

#include "link/LineSettings.h"

#include <optional>
#include <string>
#include <vector>

namespace devsim {

// The request a fault applies to: the N-th request of all (command unset) or the N-th
// request of one command, counted from 1.
struct FaultPoint {
    std::optional<uint8_t> command;
    long count = 0;
};

// A reply sent late: the request it answers, and by how much.
struct DelayedReply {
    FaultPoint at;
    int delayMs = 0;
};

// A reply cut or padded to a whole length, CRC included, with a valid CRC.
struct SizedReply {
    FaultPoint at;
    size_t length = 0;
};

struct Options {
    ControllerOptions controller;
    std::string linkPath;                 // --link: a symlink to the slave device
    std::string flashOut;                 // --flash-out: flash dump after every page close and at exit
    std::string settingsFile;             // --settings: stored setting block at 0x08002800
    std::string imageFile;                // --image: flash contents from 0x08002000
    std::string displayFile;              // --display: display block contents
    std::string recordFile;               // --record: every request appended as a hex line
    std::optional<long> silentAfter;      // --silent-after N: answer only the first N requests
    bool badCrc = false;                  // --bad-crc: spoil the CRC of every reply
    std::vector<FaultPoint> badCrcAt;     // --bad-crc-at: spoil the CRC of one reply
    std::vector<FaultPoint> dropReply;    // --drop-reply: carry the request out, answer nothing
    std::vector<FaultPoint> statusFail;   // --status-fail: answer status 01, carry nothing out
    std::vector<FaultPoint> splitAt;      // --split-at: this reply in two pieces
    std::vector<DelayedReply> delayReply; // --delay-reply: this reply late
    std::vector<FaultPoint> loseRequest;  // --lose-request: this request never arrives whole
    std::vector<SizedReply> replyLength;  // --reply-length: this reply cut or padded, CRC valid
    std::optional<devlink::LineSettings> line;  // --line: pace the line at these settings
    std::optional<long> swapAfterHandshakes;  // --swap-after-handshakes: a new board comes
    bool splitReply = false;              // --split-reply: each reply in two pieces
    int splitPauseMs = 200;               // --split-pause-ms: silence between the pieces
    bool once = false;                    // --once: exit when the tool closes its end
    bool exitWithParent = false;          // --exit-with-parent: stop when the starting process dies
    bool verbose = false;                 // --verbose: each request and reply on stderr
};

extern const char* const kUsage;

// Throws std::invalid_argument with a message for a bad command line; nullopt for --help.
std::optional<Options> ParseOptions(int argc, char** argv);

}  // namespace devsim
