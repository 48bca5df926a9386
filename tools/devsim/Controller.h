#pragma once
// The stand-in controller: answers each request of the command table like the board.

#include "MemoryMap.h"

#include <map>
#include <optional>
#include <set>

namespace devsim {

constexpr uint32_t kDefaultDisplayAddr = 0x20000400;
constexpr size_t kBootSettingsCopy = 480;  // setting bytes copied from flash to RAM at start

// How a loader answers F4 while it is in download mode.
enum class ReadInDownload { Answers, Silent, Refuses };

struct ControllerOptions {
    std::optional<common::Bytes> chipId = common::Bytes{0x35, 0x00, 0x47, 0x00, 0x13, 0x51,
                                                        0x33, 0x30, 0x38, 0x37, 0x35, 0x32};
    uint32_t displayAddr = kDefaultDisplayAddr;
    std::set<uint8_t> refused;  // commands answered with a non-zero status and no data
    bool flashAtClose = false;  // 07 fills a page buffer; the page goes into flash at its 09
    // 07 refuses a chunk over bytes that are neither erased nor equal to it (status 02).
    bool compareBeforeWrite = false;
    bool staysInDownload = false;  // the last page's close leaves the board in download mode
    ReadInDownload readInDownload = ReadInDownload::Answers;
    std::map<uint32_t, uint8_t> wornBits;  // flash address: bits that stay at 1 on this board
};

class Controller {
public:
    explicit Controller(ControllerOptions options);

    // Copies the stored settings into RAM, as the board does when it starts.
    void Boot();
    // Put back after being pulled out: the board restarts in run mode, its memory kept.
    void PowerCycle();
    // Another board in its place: the next chip ID, blank flash and RAM, run mode.
    void ReplaceBoard();
    // The reply to a whole request, without its CRC; nullopt for none.
    std::optional<common::Bytes> Handle(const common::Bytes& request);

    MemoryMap& Memory() { return memory_; }
    uint8_t Mode() const { return mode_; }
    // True when the last request closed a page.
    bool PageJustClosed() const { return pageJustClosed_; }
    // True when the last request closed the image's last page.
    bool ImageJustFinished() const { return imageJustFinished_; }

private:
    common::Bytes LinkQuery() const;
    common::Bytes Handshake() const;
    common::Bytes EnterDownload();
    common::Bytes ErasePage(const common::Bytes& request);
    common::Bytes WriteChunk(const common::Bytes& request);
    common::Bytes ClosePage(const common::Bytes& request);
    // Whether `data` may be programmed over `target`: every byte erased or already equal.
    static bool WritableOver(const common::Bytes& target, const common::Bytes& data);
    common::Bytes EraseSettings();
    std::optional<common::Bytes> ReadMemory(const common::Bytes& request);
    // Writes flash as its cells take it: worn bits stay at 1.
    bool ProgramFlash(uint32_t address, const common::Bytes& data);
    common::Bytes WriteSettings(const common::Bytes& request);
    common::Bytes QueryDisplay() const;
    void AdvanceDisplay();

    ControllerOptions options_;
    MemoryMap memory_;
    uint8_t mode_ = 2;  // 1 download, 2 run, 3 stop
    std::optional<uint32_t> openPage_;
    common::Bytes pageBuffer_;  // the open page's bytes on a loader that writes at the close
    bool pageJustClosed_ = false;
    bool imageJustFinished_ = false;
    uint16_t displayCount_ = 0;
};

}  // namespace devsim
