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
constexpr size_t kChipIdReplySize = kReplyChipId + kChipIdSize + 2;  // 17 with the CRC

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
    ChipCount = 0;
    engine_.FailCount = 0;
    NoIdCount = 0;
    FlashBase = static_cast<int32_t>(kFlashBase);
    PageNo = image::kFirstImagePage;
    ImageOffset = 0;
    BlockSize = FrameLength(view_.FrameLengthText()).value_or(0);
    LastChipID.fill(0);
    if (engine_.ProgRun != 1) return;
    if (BlockSize == 0)
        RefuseRun(kFrameLengthErrorText);
    else if (!ImageUsable())
        RefuseRun(kFileOpenErrorText);
    else
        engine_.LinkState = StHandshake;
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

bool ChipProgrammer::GoodReply() const
{
    return link_.LinkError == LinkOk && link_.RxBuf.size() >= kMinReplySize;
}

void ChipProgrammer::NotePageExchange()
{
    if (link_.LinkError != LinkOk || link_.RequestWasHeld()) pageSuspect_ = true;
}

void ChipProgrammer::CountDownloadFailure()
{
    engine_.FailCount += 1;
    if (engine_.FailCount >= kDownloadFailuresToRestart) {
        engine_.FailCount = 0;
        engine_.LinkState = StHandshake;
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
    if (link_.RxBuf.size() < kChipIdReplySize) return;
    std::copy_n(link_.RxBuf.begin() + kReplyChipId, kChipIdSize, ChipID.begin());
    if (!ChipIdChanged()) return;
    engine_.LinkState = StEnterDownload;
    view_.AppendLog(QStringLiteral(" Downloading the：") + QString::number(ChipCount + 1) +
                    QStringLiteral(" (chip)"));
}

void ChipProgrammer::TakeReplyWithoutId()
{
    NoIdCount += 1;
    engine_.LinkState = StHandshake;
    if (NoIdCount > kRepliesWithoutIdToStart) {
        NoIdCount = 0;
        if (ChipStarted == 0) engine_.LinkState = StEnterDownload;
    }
    engine_.FailCount = 0;
}

void ChipProgrammer::StopCheck()
{
    if (engine_.ProgRun != 0) return;
    view_.SetCommand4Caption(QString::fromLatin1(kProgramCaption));
    view_.FocusCommand4();
    engine_.Request(OpLinkCheck);
    engine_.LinkState = StIdle;
}

// --- download ----------------------------------------------------------------------

void ChipProgrammer::EnterDownload()
{
    ChipStarted = 1;
    pageSuspect_ = false;
    FlashBase = static_cast<int32_t>(kFlashBase);
    PageNo = image::kFirstImagePage;
    ImageOffset = 0;
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
        engine_.LinkState = StErasePage;
    } else {
        engine_.LinkState = StEnterDownload;
    }
    CountDownloadFailure();
}

int32_t ChipProgrammer::NextPageStart() const
{
    return view_.KeepInF() && ImageOffset == kKeptAreaStart ? kKeptAreaEnd : ImageOffset;
}

void ChipProgrammer::ErasePage()
{
    if (!ImageUsable()) return RefuseRun(kFileOpenErrorText);
    ImageOffset = NextPageStart();
    if (ImageOffset >= image_.ImageLen) {
        // "KeepInF" was ticked after the last page before the kept area was closed.
        engine_.LinkState = StChipDone;
        return;
    }
    pageStart_ = ImageOffset;
    pageReadBack_ = false;
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
    CountDownloadFailure();
}

void ChipProgrammer::WriteChunk()
{
    const int32_t start = ImageOffset + PagePos;
    if (!ImageUsable() || start >= image_.ImageLen || BlockSize < 1)
        return RefuseRun(kFileOpenErrorText);
    ChunkLen = std::min<int32_t>(image_.ImageLen - start, BlockSize);
    pageReadBack_ = false;
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
        engine_.LinkState = StErasePage;   // the page starts again
    else
        FinishChunk();
    CountDownloadFailure();
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
        EndOfPage();
    } else {
        ShowFraction(ImageOffset + PagePos);
        engine_.LinkState = StWriteChunk;
    }
}

void ChipProgrammer::EndOfPage()
{
    readBackPos_ = 0;
    engine_.LinkState = PageNeedsReadBack() ? StVerifyRead : StClosePage;
}

// The page's data lies from pageStart_ to ImageOffset; it is read back in reads no
// longer than the frame length.
void ChipProgrammer::VerifyRead()
{
    const int32_t pageEnd = ImageOffset;
    if (!ImageUsable() || pageEnd > image_.ImageLen || pageStart_ + readBackPos_ >= pageEnd || BlockSize < 1)
        return RefuseRun(kFileOpenErrorText);
    readBackLen_ = std::min<int32_t>(pageEnd - pageStart_ - readBackPos_, BlockSize);
    link_.SendFrame(ReadMemoryBody(static_cast<uint32_t>(PageAddr + readBackPos_), static_cast<uint16_t>(readBackLen_)),
                    kReadMemoryLimits);
    engine_.LinkState = StVerifyWait;
}

void ChipProgrammer::VerifyWait()
{
    NotePageExchange();
    const size_t wanted = kReplyDataOffset + static_cast<size_t>(readBackLen_) + 2;
    if (!GoodReply() || link_.RxBuf.size() < wanted)
        engine_.LinkState = StVerifyRead;  // the same read again
    else
        FinishVerifyRead();
    CountDownloadFailure();
}

void ChipProgrammer::FinishVerifyRead()
{
    const std::span<const uint8_t> expected(image_.ImageData.data() + pageStart_ + readBackPos_,
                                            static_cast<size_t>(readBackLen_));
    if (!ReadReplyHolds(link_.RxBuf, expected)) {
        ImageOffset = pageStart_;  // the page starts again from its erase
        engine_.LinkState = StErasePage;
        return;
    }
    engine_.FailCount = 0;
    readBackPos_ += readBackLen_;
    if (pageStart_ + readBackPos_ < ImageOffset) {
        engine_.LinkState = StVerifyRead;
        return;
    }
    pageReadBack_ = true;
    engine_.LinkState = StClosePage;
}

void ChipProgrammer::ClosePage()
{
    // ImageOffset is already the end of the page's data: halves go to the even number.
    PageNo = common::ToLong(ImageOffset / double(kPageSize) + image::kFirstImagePage).value_or(0);
    closingLastPage_ = NextPageStart() >= image_.ImageLen;
    link_.SendFrame(ClosePageBody(closingLastPage_, ImageOffset, static_cast<uint8_t>(PageNo)),
                    kClosePageLimits);
    engine_.LinkState = StCloseWait;
}

void ChipProgrammer::CloseWait()
{
    NotePageExchange();
    if (GoodReplyWithStatus0()) {
        engine_.FailCount = 0;
        pageSuspect_ = false;
        engine_.LinkState = closingLastPage_ ? StChipDone : StErasePage;
    } else if (PageNeedsReadBack()) {
        EndOfPage();
    } else {
        engine_.LinkState = StClosePage;
    }
    CountDownloadFailure();
}

void ChipProgrammer::ChipDone()
{
    ChipCount += 1;
    view_.AppendLog(QStringLiteral(" Has been successfully burning：") + QString::number(ChipCount) +
                    QStringLiteral(" (chip) ") + image_.ImageFile);
    if (view_.AutoLoad()) {
        LastChipID = ChipID;
        view_.AppendLog(QStringLiteral(" Connecting the next chip..."));
        engine_.LinkState = StHandshake;
    } else {
        EndRun();
    }
}

}  // namespace devlink
