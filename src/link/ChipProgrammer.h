#pragma once
// Operation 1: programs the prepared image into one controller after another. A state
// machine of twelve states, two that read a page back after its close when one of its
// exchanges failed or was refused, and one that gives a board up; one step per tick, one exchange at a
// time. It alone moves LinkState while it runs, and ProgRun.

#include "image/ImageTypes.h"
#include "link/EngineState.h"
#include "link/LinkExchange.h"
#include "link/PageCheck.h"
#include "link/ProgramOperation.h"
#include "link/ProgrammingView.h"

#include <QString>
#include <array>
#include <cstdint>
#include <optional>

namespace devlink {

enum ChipState : int16_t {
    StIdle = 0,
    StHandshake = 1,
    StHandshakeWait = 2,
    StEnterDownload = 3,
    StEnterWait = 4,
    StErasePage = 5,
    StEraseWait = 6,
    StWriteChunk = 7,
    StWriteWait = 8,
    StClosePage = 9,
    StCloseWait = 10,
    StChipDone = 11,
    StVerifyRead = 12,   // a page in which an exchange failed is read back after its close
    StVerifyWait = 13,
    StChipFailed = 14,   // the page check gave the board up on a page
};

constexpr int32_t kPageSize = 1024;
constexpr int32_t kKeptAreaStart = 2048;  // "KeepInF": image bytes 2048..4095 are skipped
constexpr int32_t kKeptAreaEnd = 4096;

// The frame length of the text of ComboSet(5): a whole number from 1 to 1024 that divides
// 1024, so that every page ends exactly at 1024 bytes; nullopt for anything else.
std::optional<int16_t> FrameLength(const QString& text);

extern const char* const kProgramCaption;       // "Program"
extern const char* const kStopCaption;          // "Stop"
extern const char* const kFrameLengthErrorText; // logged when a run is refused its frame length
extern const char* const kFileOpenErrorText;    // " File open error "

class ChipProgrammer : public ProgramOperation {
public:
    ChipProgrammer(EngineState& engine, LinkExchange& link, const image::ImageState& image,
                   ProgrammingView& view);

    void Enter() override;
    // One step per tick while operation 1 runs, by EngineState::LinkState.
    void Step() override;
    void PortClosed() override;

    // The Program button arms a run for whatever board is on the line: caption "Stop".
    void ArmRun();
    // Stop, closing the port, AutoDetect and Load File end the run: caption "Program",
    // operation 0; with `forgetBoard` (all but Load File) the board on the line counts
    // as not started.
    void CancelRun(bool forgetBoard);

    // True when ChipID differs from LastChipID in any of its 12 bytes.
    bool ChipIdChanged() const;

    // A download was started on the controller now on the line and not restarted: keeps
    // a board without an ID that was burnt (or given up) from being burnt again.
    int16_t ChipStarted = 0;
    std::array<uint8_t, 12> ChipID{};
    std::array<uint8_t, 12> LastChipID{};
    int32_t ChipCount = 0;
    int16_t NoIdCount = 0;
    int32_t FlashBase = 0x08002000;
    int32_t PageAddr = 0;
    int32_t PageNo = 8;
    int32_t PagePos = 0;      // 32-bit so that images beyond 32767 bytes are covered
    int32_t ChunkLen = 0;
    int32_t ImageOffset = 0;
    int16_t BlockSize = 0;

private:
    void Idle();
    // Resets everything a run keeps, when it starts.
    void StartRun();
    // Resets everything one board's download keeps, when it starts from the first page.
    void StartDownload();
    void Handshake();
    void HandshakeWait();
    void EvaluateHandshake();
    void TakeChipId();
    void TakeReplyWithoutId();
    void LogDownloading();
    void HandshakeTimeout();
    void StopCheck();
    void EnterDownload();
    void EnterWait();
    void ErasePage();
    void EraseWait();
    void WriteChunk();
    void WriteWait();
    void FinishChunk();
    void VerifyRead();
    void VerifyWait();
    void FinishVerifyRead();
    void ClosePage();
    void CloseWait();
    void ChipDone();
    void ChipFailed();

    // What the page check decided about the page just written.
    void Follow(PageCheck::Verdict verdict);
    void PageDone();
    // The page starts again from its erase. The image's last page was closed with the
    // last-page flag, after which the board may have left download mode: it is asked
    // to enter it again first.
    void WritePageAgain();
    // After a chip is done or given up: the next chip with "AutoLoad", else the end.
    void NextChipOrEnd();

    bool ExchangeOver() const { return link_.LinkPhase == PhaseIdle; }
    bool GoodReply() const;
    bool GoodReplyWithStatus0() const { return GoodReply() && link_.RxBuf[2] == 0; }
    // After every evaluation of a download step, good or bad: the handshake restarts
    // after 11 in a row without a good reply (10 after one).
    void CountDownloadEvaluation();
    // A failed or refused exchange, or a request that a late reply to the failed one
    // before it may have answered, makes the page suspect.
    void NotePageExchange();
    // Where the page after ImageOffset starts, with the "KeepInF" skip applied.
    int32_t NextPageStart() const;
    bool ImageUsable() const;
    // Whether the image still holds the bytes from..to-1 that a step sends or compares
    // (Load File may have replaced it under a run); else the run is refused.
    bool ImageHolds(int32_t from, int32_t to);
    void ShowFraction(int32_t finished);
    // Ends the run by itself: caption "Program", focus, operation 0, ProgRun 0.
    void EndRun();
    void RefuseRun(const char* message);

    EngineState& engine_;
    LinkExchange& link_;
    const image::ImageState& image_;
    ProgrammingView& view_;
    PageCheck check_;
    bool closingLastPage_ = false;  // the close in hand carries the last-page flag
    int32_t nextPage_ = 0;          // where the page after it starts, decided at its close
    int32_t pageStart_ = 0;         // image offset of the page's first byte
    std::optional<int32_t> resumeAt_;  // download mode entered again to write this page
    bool restarted_ = false;        // the handshake restarted in mid-run
    int32_t readBackPos_ = 0;       // page position of the next read-back
    int32_t readBackLen_ = 0;
};

}  // namespace devlink
