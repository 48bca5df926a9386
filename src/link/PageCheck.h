#pragma once
// Whether a page just written can be trusted. Replies carry no sequence number, so in a
// page where an exchange failed a late reply may have been taken for a request that was
// never carried out. Such a page is suspect. Once its close has been answered the page
// is in flash on every kind of loader, and a suspect page is read back and compared with
// the image. A board that cannot read back in download mode (no answer, a refusal, or a
// reply without the data) is not asked again: there a suspect page is written again from
// its erase until one writing of it goes without a failure. A page that read back wrong
// is read back after every writing that follows. Every page is written at most
// kMaxPageWritings times in one start of a chip.

#include <cstdint>

namespace devlink {

constexpr int kMaxPageWritings = 3;

class PageCheck {
public:
    enum class Verdict {
        Done,        // the page can be trusted
        ReadBack,    // read it back and compare it with the image
        WriteAgain,  // write it again from its erase
        Failed,      // written kMaxPageWritings times and still not right
    };

    // Another board, which may read back again.
    void NewBoard() { readBackWorks_ = true; }
    // The first writing of the next page.
    void NewPage();
    // An exchange of the page failed, or may have taken a late reply.
    void MarkSuspect() { suspect_ = true; }

    // The page's close was answered.
    Verdict Closed();
    // The close failed: whether the board carried it out cannot be read back.
    Verdict CloseFailed() { return WriteAgain(false); }
    // The board refused a write: the page starts again from its erase.
    Verdict WriteRefused() { return WriteAgain(false); }
    // A read-back without the data: the board is not asked to read back again.
    Verdict ReadBackUnusable();
    // A read-back whose bytes differ from the image.
    Verdict ReadBackDiffers() { return WriteAgain(true); }

    bool Suspect() const { return suspect_; }
    int Writings() const { return writings_; }
    bool ReadBackWorks() const { return readBackWorks_; }

private:
    // The next writing of the page, or Failed after the last; `readBackAfter` checks
    // that writing by reading it back, however it goes.
    Verdict WriteAgain(bool readBackAfter);

    bool suspect_ = false;
    bool readBackWorks_ = true;
    int writings_ = 0;
};

}  // namespace devlink
