#pragma once
// Whether a page just written holds the image. Replies carry no sequence number, so in a
// page where an exchange failed or was refused a late reply may have been taken for a
// request that was never carried out. Such a page is suspect, through every writing of
// it, until a read-back after one of its closes shows the image's bytes: once its close
// has been answered the page is in flash on every kind of loader. A read-back whose
// reply is lost or garbled is sent again. A board that refuses to read back, or leaves
// kUnansweredReadsToStopAsking reads in a row unanswered, is not asked again during its
// download; there a suspect page is written again from its erase until one writing of
// it goes without a failed exchange.
//
// A board is given up on a page that it shows not to hold what it is sent: a read-back
// that still differs, or a chunk refused, in kMaxWrongWritings writings of that page.
// Lost replies alone give a board up only after kMaxPageWritings writings of one page,
// which a line that loses a few replies in a hundred never comes near.

#include <cstdint>

namespace devlink {

constexpr int kMaxWrongWritings = 3;
constexpr int kMaxPageWritings = 24;
constexpr int kUnansweredReadsToStopAsking = 3;

class PageCheck {
public:
    enum class Verdict {
        Done,        // the page can be trusted
        ReadBack,    // read it back from its start and compare it with the image
        ReadAgain,   // send the read-back that failed again
        WriteAgain,  // write it again from its erase
        Failed,      // the board is given up on this page
    };

    // Another download, on a board that is taken to read back until it shows otherwise.
    void NewDownload() { *this = PageCheck(); }
    // The first writing of the next page.
    void NewPage();
    // An exchange of the writing in hand failed, was refused, or may have taken a late
    // reply.
    void ExchangeFailed();

    // The page's close was answered.
    Verdict Closed();
    // The close failed: whether the board carried it out no read-back can show.
    Verdict CloseFailed() { return WriteAgain(); }
    // The board refused a chunk: it does not hold what it was sent.
    Verdict WriteRefused() { return WrongWriting(); }
    // A read-back got no usable reply.
    Verdict ReadFailed();
    // The board answered a read-back with a refusal.
    Verdict ReadRefused() { return StopAskingToReadBack(); }
    // A read-back brought the image's bytes.
    void ReadMatched() { failedReadsInARow_ = 0; }
    // A read-back brought other bytes than the image's.
    Verdict ReadDiffers();

private:
    // The next writing of the page, or Failed once a bound is reached.
    Verdict WriteAgain();
    // The board showed that the writing in hand does not hold the image.
    Verdict WrongWriting();
    Verdict StopAskingToReadBack();

    bool suspect_ = false;        // until a read-back shows the page right
    bool writingFailed_ = false;  // an exchange of the writing in hand failed
    bool readBackWorks_ = true;
    int writings_ = 1;
    int wrongWritings_ = 0;
    int failedReadsInARow_ = 0;
};

}  // namespace devlink
