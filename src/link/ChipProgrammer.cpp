#include "link/ChipProgrammer.h"

#include "common/Numbers.h"
#include "image/ImagePreparation.h"
#include "link/Commands.h"

#include <algorithm>
#include <cmath>
#include <span>

namespace devlink {
namespace {

constexpr int16_t kHandshakeTimeoutsToRemoval = 5;  // the controller is taken as removed
constexpr int16_t kRepliesWithoutIdToStart = 5;      // the sixth such reply starts a download
constexpr int16_t kDownloadFailuresToRestart = 11;

QString FlashAddressText(int32_t address)
{
    return QStringLiteral("0x") + QString::number(static_cast<uint32_t>(address), 16).rightJustified(8, QLatin1Char('0')).toUpper();
}

}  // namespace

const char* const kProgramCaption = "Program";
const char* const kStopCaption = "Stop";
const char* const kFrameLengthErrorText = " Frame length error";
const char* const kFileOpenErrorText = " File open error ";

std::optional<int16_t> FrameLength(const QString& text)
{
    const double value = common::ReadNumber(text);
    if (value < 1 || value > kPageSize || value != std::floor(value)) return std::nullopt;
    const auto length = static_cast<int16_t>(value);
    if (kPageSize % length != 0) return std::nullopt;
    return length;
}

ChipProgrammer::ChipProgrammer(EngineState& engine, LinkExchange& link,
                               const image::ImageState& image, ProgrammingView& view)
    : engine_(engine), link_(link), image_(image), view_(view)
{
}

void ChipProgrammer::Enter() { engine_.LinkState = StIdle; }

void ChipProgrammer::PortClosed()
{
    engine_.ProgRun = 0;
    if (engine_.CurMode == OpProgram) engine_.LinkState = StIdle;
}

void ChipProgrammer::ArmRun()
{
    view_.SetCommand4Caption(QString::fromLatin1(kStopCaption));
    engine_.ProgRun = 1;
    // Pressing Program means this board is to be burnt, even one without an ID that a
    // finished run left marked.
    ChipStarted = 0;
    engine_.Request(OpProgram);
    // Stopped and armed again before the engine left the operation: the new run starts
    // from its idle state all the same, and nothing the stopped one held goes out.
    if (engine_.CurMode == OpProgram) {
        link_.DropHeldRequest();
        Enter();
    }
}

void ChipProgrammer::CancelRun(bool forgetBoard)
{
    view_.SetCommand4Caption(QString::fromLatin1(kProgramCaption));
    engine_.Request(OpLinkCheck);
    engine_.ProgRun = 0;
    if (forgetBoard) ChipStarted = 0;
}

void ChipProgrammer::Step()
{
    // Only the handshake wait looks at the state while an exchange is in flight (for its
    // stop check); every other step waits for the exchange to end, so that a run armed
    // again right after a stop never writes over a pending exchange.
    if (!ExchangeOver() && engine_.LinkState != StHandshakeWait) return;
    switch (engine_.LinkState) {
    case StIdle: Idle(); break;
    case StHandshake: Handshake(); break;
    case StHandshakeWait: HandshakeWait(); break;
    case StEnterDownload: EnterDownload(); break;
    case StEnterWait: EnterWait(); break;
    case StErasePage: ErasePage(); break;
    case StEraseWait: EraseWait(); break;
    case StWriteChunk: WriteChunk(); break;
    case StWriteWait: WriteWait(); break;
    case StClosePage: ClosePage(); break;
    case StCloseWait: CloseWait(); break;
    case StChipDone: ChipDone(); break;
    case StVerifyRead: VerifyRead(); break;
    case StVerifyWait: VerifyWait(); break;
    case StChipFailed: ChipFailed(); break;
    default: engine_.LinkState = StIdle; break;
    }
}

bool ChipProgrammer::ChipIdChanged() const
{
    for (size_t i = 0; i < ChipID.size(); ++i) {
        if (LastChipID[i] != ChipID[i]) return true;
    }
    return false;
}

// --- run set-up and end ------------------------------------------------------------

void ChipProgrammer::Idle()
{
    StartRun();
    if (engine_.ProgRun != 1) return;
    if (BlockSize == 0)
        RefuseRun(kFrameLengthErrorText);
    else if (!ImageUsable())
        RefuseRun(kFileOpenErrorText);
    else
        engine_.LinkState = StHandshake;
}

// Whatever a stopped, cancelled or finished run left is forgotten here.
void ChipProgrammer::StartRun()
{
    ChipCount = 0;
    engine_.FailCount = 0;
    NoIdCount = 0;
    LastChipID.fill(0);
    restarted_ = false;
    BlockSize = FrameLength(view_.FrameLengthText()).value_or(0);
    StartDownload();
}

// Whatever an earlier download left, on this board or another, is forgotten here.
void ChipProgrammer::StartDownload()
{
    FlashBase = static_cast<int32_t>(kFlashBase);
    PageNo = image::kFirstImagePage;
    PageAddr = 0;
    PagePos = 0;
    ChunkLen = 0;
    ImageOffset = 0;
    check_.NewDownload();
    resumeAt_.reset();
    closingLastPage_ = false;
    nextPage_ = 0;
    pageStart_ = 0;
    readBackPos_ = 0;
    readBackLen_ = 0;
}

bool ChipProgrammer::ImageUsable() const
{
    return image_.ImageLen >= 1 && image_.ImageLen <= image::kMaxImageLen &&
           image_.ImageData.size() >= static_cast<size_t>(image_.ImageLen);
}

void ChipProgrammer::EndRun()
{
    view_.SetCommand4Caption(QString::fromLatin1(kProgramCaption));
    view_.FocusCommand4();
    engine_.Request(OpLinkCheck);
    engine_.LinkState = StIdle;
    engine_.ProgRun = 0;
}

void ChipProgrammer::RefuseRun(const char* message)
{
    view_.AppendLog(QString::fromLatin1(message));
    EndRun();
}

void ChipProgrammer::ShowFraction(int32_t finished)
{
    ShowProgress(view_, image_.ImageFile, static_cast<double>(finished) / image_.ImageLen);
}

bool ChipProgrammer::ImageHolds(int32_t from, int32_t to)
{
    if (ImageUsable() && BlockSize >= 1 && from >= 0 && from < to && to <= image_.ImageLen) return true;
    RefuseRun(kFileOpenErrorText);
    return false;
}

bool ChipProgrammer::GoodReply() const
{
    return link_.LinkError == LinkOk && link_.RxBuf.size() >= kMinReplySize;
}

void ChipProgrammer::NotePageExchange()
{
    if (!GoodReplyWithStatus0() || link_.RequestMayTakeALateReply()) check_.ExchangeFailed();
}

void ChipProgrammer::CountDownloadEvaluation()
{
    // A board given up stays given up; the count cannot restart it.
    if (engine_.LinkState == StChipFailed) return;
    engine_.FailCount += 1;
    if (engine_.FailCount >= kDownloadFailuresToRestart) {
        engine_.FailCount = 0;
        engine_.LinkState = StHandshake;
        // The board is started again from its first page, with or without an ID.
        ChipStarted = 0;
        resumeAt_.reset();
        restarted_ = true;
    }
}

// --- handshake ---------------------------------------------------------------------

void ChipProgrammer::Handshake()
{
    link_.SendFrame(HandshakeBody(), kHandshakeLimits);
    engine_.LinkState = StHandshakeWait;
}

void ChipProgrammer::HandshakeWait()
{
    if (ExchangeOver()) EvaluateHandshake();
    StopCheck();
}

void ChipProgrammer::EvaluateHandshake()
{
    if (link_.LinkError == LinkReplyTimeout) {
        HandshakeTimeout();
    } else if (!GoodReply()) {
        engine_.FailCount = 0;
        engine_.LinkState = StHandshake;
    } else if (link_.RxBuf[kReplyStatus] != 0) {
        TakeChipId();
    } else {
        TakeReplyWithoutId();
    }
}

void ChipProgrammer::HandshakeTimeout()
{
    engine_.LinkState = StHandshake;
    engine_.FailCount += 1;
    if (engine_.FailCount >= kHandshakeTimeoutsToRemoval) {
        engine_.FailCount = 0;
        LastChipID.fill(0);
        ShowProgress(view_, image_.ImageFile, 0);
        ChipStarted = 0;
    }
}

void ChipProgrammer::TakeChipId()
{
    engine_.LinkState = StHandshake;
    engine_.FailCount = 0;
    // A reply that claims an ID but is too short to hold it carries no usable ID.
    if (link_.RxBuf.size() < kHandshakeReplyWithId) return;
    std::copy_n(link_.RxBuf.begin() + kReplyChipId, kChipIdSize, ChipID.begin());
    if (!ChipIdChanged()) return;
    engine_.LinkState = StEnterDownload;
    LogDownloading();
}

void ChipProgrammer::LogDownloading()
{
    view_.AppendLog(QStringLiteral(" Downloading the：") + QString::number(ChipCount + 1) +
                    QStringLiteral(" (chip)"));
}

void ChipProgrammer::TakeReplyWithoutId()
{
    NoIdCount += 1;
    engine_.LinkState = StHandshake;
    if (NoIdCount > kRepliesWithoutIdToStart) {
        NoIdCount = 0;
        if (ChipStarted == 0) {
            engine_.LinkState = StEnterDownload;
            // A board with an ID logs every start; one without logs its starts again.
            if (restarted_) LogDownloading();
        }
    }
    engine_.FailCount = 0;
}

void ChipProgrammer::StopCheck()
{
    if (engine_.ProgRun == 0) EndRun();
}

// --- download ----------------------------------------------------------------------

void ChipProgrammer::EnterDownload()
{
    ChipStarted = 1;
    restarted_ = false;
    // Writing the image's last page again keeps the download; anything else starts one.
    if (resumeAt_) {
        FlashBase = static_cast<int32_t>(kFlashBase);
        PageNo = image::kFirstImagePage;
        ImageOffset = *resumeAt_;
    } else {
        StartDownload();
    }
    // A frame length typed into the box during a run is taken only when it is usable.
    if (const auto length = FrameLength(view_.FrameLengthText())) BlockSize = *length;
    view_.SetLinkPanel(QStringLiteral("Link normal-download mode"));
    link_.SendFrame(EnterDownloadBody(), kEnterDownloadLimits);
    engine_.LinkState = StEnterWait;
}

void ChipProgrammer::EnterWait()
{
    if (GoodReplyWithStatus0()) {
        engine_.FailCount = 0;
        resumeAt_.reset();
        engine_.LinkState = StErasePage;
    } else {
        engine_.LinkState = StEnterDownload;
    }
    CountDownloadEvaluation();
}

int32_t ChipProgrammer::NextPageStart() const
{
    return view_.KeepInF() && ImageOffset == kKeptAreaStart ? kKeptAreaEnd : ImageOffset;
}

void ChipProgrammer::ErasePage()
{
    if (!ImageHolds(ImageOffset, std::min(ImageOffset + kPageSize, image_.ImageLen))) return;
    pageStart_ = ImageOffset;
    closingLastPage_ = false;
    PageAddr = FlashBase + ImageOffset;
    PageNo = ImageOffset / kPageSize + image::kFirstImagePage;
    PagePos = 0;
    link_.SendFrame(ErasePageBody(static_cast<uint32_t>(PageAddr), static_cast<uint8_t>(PageNo)),
                    kErasePageLimits);
    engine_.LinkState = StEraseWait;
}

void ChipProgrammer::EraseWait()
{
    NotePageExchange();
    if (GoodReplyWithStatus0()) {
        engine_.FailCount = 0;
        engine_.LinkState = StWriteChunk;
    } else {
        engine_.LinkState = StErasePage;
    }
    CountDownloadEvaluation();
}

void ChipProgrammer::WriteChunk()
{
    const int32_t start = ImageOffset + PagePos;
    if (!ImageHolds(start, std::min(start + BlockSize, image_.ImageLen))) return;
    ChunkLen = std::min<int32_t>(image_.ImageLen - start, BlockSize);
    const std::span<const uint8_t> chunk(image_.ImageData.data() + start, static_cast<size_t>(ChunkLen));
    link_.SendFrame(WriteChunkBody(static_cast<uint16_t>(PagePos), chunk), kWriteChunkLimits);
    engine_.LinkState = StWriteWait;
}

void ChipProgrammer::WriteWait()
{
    NotePageExchange();
    if (!GoodReply())
        engine_.LinkState = StWriteChunk;  // the same chunk again
    else if (link_.RxBuf[kReplyStatus] != 0)
        Follow(check_.WriteRefused());
    else
        FinishChunk();
    CountDownloadEvaluation();
}

void ChipProgrammer::FinishChunk()
{
    engine_.FailCount = 0;
    PagePos += ChunkLen;
    if (PagePos > kPageSize) {
        engine_.LinkState = StErasePage;
    } else if (ImageOffset + PagePos == image_.ImageLen || PagePos == kPageSize) {
        ImageOffset += PagePos;
        ShowFraction(ImageOffset);
        engine_.LinkState = StClosePage;
    } else {
        ShowFraction(ImageOffset + PagePos);
        engine_.LinkState = StWriteChunk;
    }
}

void ChipProgrammer::ClosePage()
{
    // ImageOffset is already the end of the page's data: halves go to the even number.
    PageNo = common::ToLong(ImageOffset / double(kPageSize) + image::kFirstImagePage).value_or(0);
    // "KeepInF" is read here once for both the flag of this close and the next erase.
    nextPage_ = NextPageStart();
    closingLastPage_ = nextPage_ >= image_.ImageLen;
    link_.SendFrame(ClosePageBody(closingLastPage_, ImageOffset, static_cast<uint8_t>(PageNo)),
                    kClosePageLimits);
    engine_.LinkState = StCloseWait;
}

void ChipProgrammer::CloseWait()
{
    NotePageExchange();
    if (GoodReplyWithStatus0()) {
        engine_.FailCount = 0;
        Follow(check_.Closed());
    } else if (link_.LinkError != LinkOk) {
        Follow(check_.CloseFailed());
    } else {
        engine_.LinkState = StClosePage;  // refused: nothing was carried out
    }
    CountDownloadEvaluation();
}

// The page's data lies from pageStart_ to ImageOffset; it is read back in reads no
// longer than the frame length.
void ChipProgrammer::VerifyRead()
{
    const int32_t from = pageStart_ + readBackPos_;
    const int32_t pageEnd = ImageOffset;
    if (!ImageHolds(from, pageEnd)) return;
    readBackLen_ = std::min<int32_t>(pageEnd - from, BlockSize);
    link_.SendFrame(ReadMemoryBody(static_cast<uint32_t>(PageAddr + readBackPos_), static_cast<uint16_t>(readBackLen_)),
                    kReadMemoryLimits);
    engine_.LinkState = StVerifyWait;
}

// A reply that carries the bytes asked for is compared (its byte 2 echoes the address);
// a shorter one with a non-zero status is the board's refusal; anything else failed and
// the read is sent again.
void ChipProgrammer::VerifyWait()
{
    const size_t wanted = kReplyDataOffset + static_cast<size_t>(readBackLen_) + 2;
    if (GoodReply() && link_.RxBuf.size() == wanted)
        FinishVerifyRead();
    else if (GoodReply() && link_.RxBuf[kReplyStatus] != 0)
        Follow(check_.ReadRefused());
    else
        Follow(check_.ReadFailed());
    CountDownloadEvaluation();
}

void ChipProgrammer::FinishVerifyRead()
{
    const std::span<const uint8_t> expected(image_.ImageData.data() + pageStart_ + readBackPos_,
                                            static_cast<size_t>(readBackLen_));
    engine_.FailCount = 0;
    if (!ReadReplyHolds(link_.RxBuf, expected)) return Follow(check_.ReadDiffers());
    check_.ReadMatched();
    readBackPos_ += readBackLen_;
    if (pageStart_ + readBackPos_ < ImageOffset)
        engine_.LinkState = StVerifyRead;
    else
        PageDone();
}

void ChipProgrammer::Follow(PageCheck::Verdict verdict)
{
    switch (verdict) {
    case PageCheck::Verdict::Done: PageDone(); break;
    case PageCheck::Verdict::ReadBack:
        readBackPos_ = 0;
        engine_.LinkState = StVerifyRead;
        break;
    case PageCheck::Verdict::ReadAgain: engine_.LinkState = StVerifyRead; break;
    case PageCheck::Verdict::WriteAgain: WritePageAgain(); break;
    case PageCheck::Verdict::Failed: engine_.LinkState = StChipFailed; break;
    }
}

void ChipProgrammer::PageDone()
{
    if (closingLastPage_) {
        // Pages that "KeepInF" skips at the image's end count as finished too.
        if (ImageOffset < image_.ImageLen) ShowFraction(image_.ImageLen);
        engine_.LinkState = StChipDone;
        return;
    }
    ImageOffset = nextPage_;
    check_.NewPage();
    engine_.LinkState = StErasePage;
}

void ChipProgrammer::WritePageAgain()
{
    ImageOffset = pageStart_;
    if (closingLastPage_) {
        resumeAt_ = pageStart_;
        engine_.LinkState = StEnterDownload;
    } else {
        engine_.LinkState = StErasePage;
    }
}

void ChipProgrammer::ChipDone()
{
    ChipCount += 1;
    view_.AppendLog(QStringLiteral(" Has been successfully burning：") + QString::number(ChipCount) +
                    QStringLiteral(" (chip) ") + image_.ImageFile);
    NextChipOrEnd();
}

void ChipProgrammer::ChipFailed()
{
    view_.AppendLog(QStringLiteral(" Burning failed：") + QString::number(ChipCount + 1) +
                    QStringLiteral(" (chip) page ") + FlashAddressText(PageAddr));
    ShowProgress(view_, image_.ImageFile, 0);
    engine_.FailCount = 0;
    NextChipOrEnd();
}

void ChipProgrammer::NextChipOrEnd()
{
    if (view_.AutoLoad()) {
        LastChipID = ChipID;
        view_.AppendLog(QStringLiteral(" Connecting the next chip..."));
        engine_.LinkState = StHandshake;
    } else {
        EndRun();
    }
}

}  // namespace devlink
