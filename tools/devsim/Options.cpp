#include "Options.h"

#include "link/SerialPort.h"

#include <limits>
#include <stdexcept>

namespace devsim {

const char* const kUsage =
    "usage: devsim [options]\n"
    "Stand-in controller on a pseudo-terminal; prints the device path on the first line.\n"
    "  --link PATH          create a symlink PATH to the device (e.g. ports/COM1); only a\n"
    "                       link already at PATH is replaced, anything else is refused\n"
    "  --chip-id HEX        12-byte chip ID as 24 hex digits\n"
    "  --no-id              answer the handshake without a chip ID\n"
    "  --display-addr HEX   address of the display block (default 20000400)\n"
    "  --settings PATH      stored setting block (flash 0x08002800)\n"
    "  --image PATH         flash contents from 0x08002000\n"
    "  --display PATH       initial contents of the display block\n"
    "  --record PATH        append every request it receives as one hex line (\"01 F0 00 00 64\"),\n"
    "                       flushed at once; a pulled board records nothing\n"
    "  --flash-out PATH     dump the 64 KB flash (from 0x08000000) after each page close and at exit\n"
    "  --refuse HEX         answer this command with status 01 and no data (repeatable)\n"
    "Loaders the protocol allows:\n"
    "  --flash-at-close     07 fills a page buffer and the page goes into flash only at its\n"
    "                       09 close (an F4 before it reads the erased page)\n"
    "  --compare-before-write   refuse a chunk (07, status 02) over bytes that are neither\n"
    "                       erased nor equal to it, writing nothing\n"
    "  --stay-in-download   stay in download mode after the last page's close (A7); without\n"
    "                       it the new program starts there, in run mode\n"
    "  --no-read-in-download    leave F4 unanswered in download mode\n"
    "  --refuse-read-in-download answer F4 in download mode with status 01 and no data\n"
    "  --worn-bits ADDR:MASK    the flash byte at ADDR (hex) keeps the bits of MASK (hex)\n"
    "                       at 1 whatever is written (repeatable; a swapped-in board has none)\n"
    "  --silent-after N     answer only the first N requests\n"
    "  --bad-crc            spoil the CRC of every reply\n"
    "  --split-reply        send each reply in two pieces\n"
    "  --split-pause-ms MS  silence between the two pieces (default 200)\n"
    "  --once               exit when the other side closes the device\n"
    "  --exit-with-parent   stop when the process that started devsim dies\n"
    "  --line SETTINGS      behave like a board on a real line with these settings (as\n"
    "                       9600,n,8,1): a request counts as received only when its last\n"
    "                       byte would have arrived, and replies go out at the line rate\n"
    "  --verbose            print each request and reply in hex on stderr\n"
    "Faults at one request. AT is N (the N-th request of all) or CMD:N (the N-th request\n"
    "of command CMD in hex, e.g. 07:3), counted from 1; each option is repeatable:\n"
    "  --bad-crc-at AT      spoil the CRC of that reply\n"
    "  --drop-reply AT      carry that request out but send no reply\n"
    "  --status-fail AT     answer that request with status 01 and carry nothing out\n"
    "  --split-at AT        send that reply in two pieces (see --split-pause-ms)\n"
    "  --delay-reply AT@MS  carry that request out and send its reply MS milliseconds late\n"
    "                       (later replies queue behind it)\n"
    "  --lose-request AT    that request is garbled on the line: it is counted and recorded\n"
    "                       but neither carried out nor answered\n"
    "  --reply-length AT=LEN  send that reply as LEN bytes (2 or more) with a valid CRC: its\n"
    "                       bytes before the CRC cut to fit, or padded with 00\n"
    "Boards coming and going:\n"
    "  SIGUSR1              pull the board out (no answers, requests are lost) or put it\n"
    "                       back (it restarts in run mode with its flash kept)\n"
    "  SIGUSR2              swap in a new board: the next chip ID (last byte + 1), blank\n"
    "                       flash and RAM\n"
    "  --swap-after-handshakes N\n"
    "                       once a board has been programmed (last page closed), it answers\n"
    "                       N more handshakes, then a new board is swapped in as by SIGUSR2\n"
    "  On each signal devsim prints \"pulled\", \"plugged\" or \"swapped\" on a line of its own.\n"
    "  After a swap, --flash-out keeps the old board's flash in PATH.boardN (N from 1).\n";

namespace {

uint8_t HexDigit(char c)
{
    if (c >= '0' && c <= '9') return static_cast<uint8_t>(c - '0');
    if (c >= 'a' && c <= 'f') return static_cast<uint8_t>(c - 'a' + 10);
    if (c >= 'A' && c <= 'F') return static_cast<uint8_t>(c - 'A' + 10);
    throw std::invalid_argument(std::string("not a hex digit: ") + c);
}

common::Bytes HexBytes(const std::string& text, size_t count)
{
    if (text.size() != 2 * count) throw std::invalid_argument("expected " + std::to_string(2 * count) + " hex digits");
    common::Bytes bytes;
    for (size_t i = 0; i < text.size(); i += 2) bytes.push_back(static_cast<uint8_t>(HexDigit(text[i]) << 4 | HexDigit(text[i + 1])));
    return bytes;
}

unsigned long HexNumber(const std::string& text)
{
    size_t used = 0;
    const unsigned long value = std::stoul(text, &used, 16);
    if (used != text.size()) throw std::invalid_argument("not a hex number: " + text);
    return value;
}

// "N" or "CMD:N".
FaultPoint ParseFaultPoint(const std::string& text)
{
    FaultPoint point;
    const size_t colon = text.find(':');
    if (colon != std::string::npos) {
        const unsigned long command = HexNumber(text.substr(0, colon));
        if (command > 0xFF) throw std::invalid_argument("not a command byte: " + text);
        point.command = static_cast<uint8_t>(command);
    }
    const std::string count = colon == std::string::npos ? text : text.substr(colon + 1);
    size_t used = 0;
    point.count = std::stol(count, &used);
    if (used != count.size() || point.count < 1) throw std::invalid_argument("not a request number: " + text);
    return point;
}

// "AT" `separator` "NUMBER", the number from `least` to `most`.
std::pair<FaultPoint, long> ParsePointAndNumber(const std::string& text, char separator, long least, long most,
                                                const char* numberName)
{
    const std::string form = std::string("AT") + separator + numberName;
    const size_t at = text.find(separator);
    if (at == std::string::npos) throw std::invalid_argument("expected " + form + ": " + text);
    const FaultPoint point = ParseFaultPoint(text.substr(0, at));
    size_t used = 0;
    const std::string number = text.substr(at + 1);
    const long value = std::stol(number, &used);
    if (used != number.size() || value < least || value > most) throw std::invalid_argument("not " + form + ": " + text);
    return {point, value};
}

// "AT@MS".
DelayedReply ParseDelayedReply(const std::string& text)
{
    const auto [point, ms] = ParsePointAndNumber(text, '@', 0, std::numeric_limits<int>::max(), "MS");
    return {point, static_cast<int>(ms)};
}

// "AT=LEN".
SizedReply ParseSizedReply(const std::string& text)
{
    const auto [point, length] = ParsePointAndNumber(text, '=', 2, 0xFFFF, "LEN");
    return {point, static_cast<size_t>(length)};
}

// "ADDR:MASK", both hex.
std::pair<uint32_t, uint8_t> ParseWornBits(const std::string& text)
{
    const size_t colon = text.find(':');
    if (colon == std::string::npos) throw std::invalid_argument("expected ADDR:MASK: " + text);
    const unsigned long address = HexNumber(text.substr(0, colon));
    const unsigned long mask = HexNumber(text.substr(colon + 1));
    if (address > 0xFFFFFFFFul || mask == 0 || mask > 0xFF) throw std::invalid_argument("not ADDR:MASK: " + text);
    return {static_cast<uint32_t>(address), static_cast<uint8_t>(mask)};
}

devlink::LineSettings ParseLine(const std::string& text)
{
    try {
        return devlink::ParseLineSettings(QString::fromStdString(text));
    } catch (const devlink::SerialError& e) {
        throw std::invalid_argument(e.what());
    }
}

}  // namespace

std::optional<Options> ParseOptions(int argc, char** argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const auto value = [&]() -> std::string {
            if (i + 1 >= argc) throw std::invalid_argument(arg + " needs a value");
            return argv[++i];
        };
        if (arg == "--help" || arg == "-h") return std::nullopt;
        else if (arg == "--link") options.linkPath = value();
        else if (arg == "--chip-id") options.controller.chipId = HexBytes(value(), 12);
        else if (arg == "--no-id") options.controller.chipId.reset();
        else if (arg == "--display-addr") options.controller.displayAddr = static_cast<uint32_t>(HexNumber(value()));
        else if (arg == "--settings") options.settingsFile = value();
        else if (arg == "--image") options.imageFile = value();
        else if (arg == "--flash-out") options.flashOut = value();
        else if (arg == "--display") options.displayFile = value();
        else if (arg == "--record") options.recordFile = value();
        else if (arg == "--bad-crc-at") options.badCrcAt.push_back(ParseFaultPoint(value()));
        else if (arg == "--drop-reply") options.dropReply.push_back(ParseFaultPoint(value()));
        else if (arg == "--status-fail") options.statusFail.push_back(ParseFaultPoint(value()));
        else if (arg == "--split-at") options.splitAt.push_back(ParseFaultPoint(value()));
        else if (arg == "--delay-reply") options.delayReply.push_back(ParseDelayedReply(value()));
        else if (arg == "--lose-request") options.loseRequest.push_back(ParseFaultPoint(value()));
        else if (arg == "--reply-length") options.replyLength.push_back(ParseSizedReply(value()));
        else if (arg == "--line") options.line = ParseLine(value());
        else if (arg == "--swap-after-handshakes") options.swapAfterHandshakes = std::stol(value());
        else if (arg == "--refuse") options.controller.refused.insert(static_cast<uint8_t>(HexNumber(value())));
        else if (arg == "--flash-at-close") options.controller.flashAtClose = true;
        else if (arg == "--compare-before-write") options.controller.compareBeforeWrite = true;
        else if (arg == "--stay-in-download") options.controller.staysInDownload = true;
        else if (arg == "--no-read-in-download") options.controller.readInDownload = ReadInDownload::Silent;
        else if (arg == "--refuse-read-in-download") options.controller.readInDownload = ReadInDownload::Refuses;
        else if (arg == "--worn-bits") {
            const auto [cell, bits] = ParseWornBits(value());
            options.controller.wornBits[cell] |= bits;
        }
        else if (arg == "--silent-after") options.silentAfter = std::stol(value());
        else if (arg == "--bad-crc") options.badCrc = true;
        else if (arg == "--split-reply") options.splitReply = true;
        else if (arg == "--split-pause-ms") options.splitPauseMs = std::stoi(value());
        else if (arg == "--once") options.once = true;
        else if (arg == "--verbose") options.verbose = true;
        else if (arg == "--exit-with-parent") options.exitWithParent = true;
        else throw std::invalid_argument("unknown option " + arg);
    }
    return options;
}

}  // namespace devsim
