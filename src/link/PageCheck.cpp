#include "link/PageCheck.h"

namespace devlink {

void PageCheck::NewPage()
{
    suspect_ = false;
    writingFailed_ = false;
    writings_ = 1;
    wrongWritings_ = 0;
}

void PageCheck::ExchangeFailed()
{
    suspect_ = true;
    writingFailed_ = true;
}

PageCheck::Verdict PageCheck::Closed()
{
    if (readBackWorks_) return suspect_ ? Verdict::ReadBack : Verdict::Done;
    return writingFailed_ ? WriteAgain() : Verdict::Done;
}

PageCheck::Verdict PageCheck::WrongWriting()
{
    ++wrongWritings_;
    return WriteAgain();
}

PageCheck::Verdict PageCheck::ReadFailed()
{
    if (++failedReadsInARow_ < kUnansweredReadsToStopAsking) return Verdict::ReadAgain;
    return StopAskingToReadBack();
}

PageCheck::Verdict PageCheck::ReadDiffers()
{
    failedReadsInARow_ = 0;
    return WrongWriting();
}

// Nothing was learnt of the page in hand: it is written again.
PageCheck::Verdict PageCheck::StopAskingToReadBack()
{
    readBackWorks_ = false;
    failedReadsInARow_ = 0;
    return WriteAgain();
}

PageCheck::Verdict PageCheck::WriteAgain()
{
    if (wrongWritings_ >= kMaxWrongWritings || writings_ >= kMaxPageWritings) return Verdict::Failed;
    ++writings_;
    writingFailed_ = false;
    return Verdict::WriteAgain;
}

}  // namespace devlink
