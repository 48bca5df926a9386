// Speed of the protocol tables: generated tables of 300, 3,000 and 30,000 rows over a
// 480-byte block are parsed into a grid that is not shown, as at start-up, and their
// block decoded into it, many times each. Prints the time per parse and per decode, and
// per row, so that growth with the row count shows.

#include "common/Codepage.h"
#include "params/ParamDecoder.h"
#include "params/ProtocolFile.h"

#include <QApplication>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

constexpr int kDataLen = 480;
constexpr int kTableSizes[] = {300, 3000, 30000};
// Each size gets about as many rows parsed in all: 1,000 rounds of 300 rows.
constexpr int kRowsPerSize = 300000;

class SilentDialogs : public common::Dialogs {
public:
    common::MsgResult Message(const QString&, const QString&, common::MsgIcon, common::MsgButtons) override
    {
        return common::MsgResult::Ok;
    }
    QString OpenFileName(const QString&, const QString&, const QString&) override { return {}; }
    QString SaveFileName(const QString&, const QString&, const QString&) override { return {}; }
    bool ShellOpen(const QString&) override { return false; }
};

QString Cell(const QString& text)
{
    return text + QStringLiteral("><1><0><&HFFFFFF><300><9");
}

// Row i cycles through the kinds of value: list byte, scaled integer, long with
// decimals, bit, single and list single, all inside the block.
QString HiddenCell(int i)
{
    const int offset = 33 + (i * 7) % (kDataLen - 36);
    switch (i % 6) {
    case 0: return QStringLiteral("List:><%1><1><0><0><1><0><1><关闭||开启||自动><0||1||2").arg(offset);
    case 1: return QStringLiteral("List:><%1><2><0><0><0><0><10><-400||1500").arg(offset);
    case 2: return QStringLiteral("List:><%1><4><2><0><0><0><100><0||100000").arg(offset);
    case 3: return QStringLiteral("List:><%1><4><0><%2><1><0><1><Off||On><0||1").arg(offset).arg(1 + i % 31);
    case 4: return QStringLiteral("List:><%1><4><3><0><0><1><1><0||100").arg(offset);
    default: return QStringLiteral("List:><%1><4><0><0><1><1><1><A||B||C||D><0||1||2||3").arg(offset);
    }
}

QByteArray TableText(int rows)
{
    QStringList lines{QStringLiteral("1\\/%1").arg(kDataLen), QStringLiteral("500\\/1800\\/900\\/1200"),
                      QStringList{Cell("No."), Cell("Name"), Cell("Unit"), Cell("Value")}.join("\\/")};
    for (int i = 1; i < rows; ++i)
        lines << QStringList{Cell("x"), Cell(QStringLiteral("参数 %1").arg(i)), Cell("-"), Cell(""), HiddenCell(i)}
                     .join("\\/");
    lines << QStringLiteral("End");
    return common::ToCodePage(lines.join("\r\n") + "\r\n");
}

double MicrosecondsSince(std::chrono::steady_clock::time_point start, int rounds)
{
    const std::chrono::duration<double, std::micro> spent = std::chrono::steady_clock::now() - start;
    return spent.count() / rounds;
}

// Parses the table of the given size and decodes its block, printing both figures.
bool MeasureTable(const QTemporaryDir& folder, int rows, common::Dialogs& dialogs)
{
    const QString path = folder.filePath(QStringLiteral("Config%1.For").arg(rows));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    const QByteArray text = TableText(rows);
    file.write(text);
    file.close();

    const int rounds = kRowsPerSize / rows;
    params::FlexGrid grid;
    std::vector<params::ProtoRowRecord> table;
    params::ProtoInfoRecord info;
    auto start = std::chrono::steady_clock::now();
    for (int round = 0; round < rounds; ++round) {
        table.clear();
        if (params::ParseProtocolFile(grid, path, table, info) != 0) {
            std::printf("the generated table of %d rows did not parse\n", rows);
            return false;
        }
    }
    const double perParse = MicrosecondsSince(start, rounds);

    common::Bytes block(static_cast<size_t>(info.DataLen) + 1);
    for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<uint8_t>(i * 13 + 5);
    start = std::chrono::steady_clock::now();
    for (int round = 0; round < rounds; ++round) {
        block[40] = static_cast<uint8_t>(round);  // the values change between decodes, as in a display read
        params::FillParamGrid(grid, block, table, info, dialogs);
    }
    const double perDecode = MicrosecondsSince(start, rounds);

    std::printf("  %5d rows (%8lld bytes of text), %4d rounds\n", static_cast<int>(info.RowCount),
                static_cast<long long>(text.size()), rounds);
    std::printf("    parse  %10.1f us per parse  (%.2f us per row)\n", perParse, perParse / info.RowCount);
    std::printf("    decode %10.1f us per decode (%.2f us per row)\n", perDecode, perDecode / info.RowCount);
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    QTemporaryDir folder;
    SilentDialogs dialogs;
    std::printf("ParamsBench: tables over a %d-byte block\n", kDataLen);
    for (int rows : kTableSizes)
        if (!MeasureTable(folder, rows, dialogs)) return 1;
    return 0;
}
