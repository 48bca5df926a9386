#include "link/PageCheck.h"

namespace devlink {

void PageCheck::NewPage()
{
    suspect_ = false;
    writings_ = 1;
}

PageCheck::Verdict PageCheck::Closed()
{
    if (!suspect_) return Verdict::Done;
    if (readBackWorks_) return Verdict::ReadBack;
    return WriteAgain(false);
}

PageCheck::Verdict PageCheck::ReadBackUnusable()
{
    readBackWorks_ = false;
    return WriteAgain(false);
}

PageCheck::Verdict PageCheck::WriteAgain(bool readBackAfter)
{
    if (writings_ >= kMaxPageWritings) return Verdict::Failed;
    ++writings_;
    suspect_ = readBackAfter;
    return Verdict::WriteAgain;
}

}  // namespace devlink
