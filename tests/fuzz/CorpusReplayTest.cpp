// Replays every checked-in fuzz seed through its fuzz entry, so the inputs that once
// mattered keep passing as ordinary tests. Each file is cut to a bound that keeps the
// whole replay within seconds.

#include "fuzz/targets/DecodeEncodeTarget.h"
#include "fuzz/targets/ProjectLoaderTarget.h"
#include "fuzz/targets/ProtocolParserTarget.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <ostream>

namespace {

struct FuzzTarget {
    const char* folder;
    bool (*run)(const uint8_t*, size_t);
    qint64 mostBytes;
};

void PrintTo(const FuzzTarget& target, std::ostream* out)
{
    *out << target.folder;
}

QString CorpusFolder(const char* target)
{
    return QStringLiteral(TOLVEXAN_SOURCE_DIR "/fuzz/corpus/") + QLatin1String(target);
}

class CorpusReplayTest : public ::testing::TestWithParam<FuzzTarget> {};

TEST_P(CorpusReplayTest, EverySeedRunsCleanly)
{
    const FuzzTarget target = GetParam();
    const QFileInfoList seeds = QDir(CorpusFolder(target.folder)).entryInfoList(QDir::Files, QDir::Name);
    ASSERT_FALSE(seeds.isEmpty()) << "no seeds in " << target.folder;
    for (const QFileInfo& seed : seeds) {
        QFile file(seed.filePath());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << seed.fileName().toStdString();
        const QByteArray bytes = file.read(target.mostBytes);
        EXPECT_TRUE(target.run(reinterpret_cast<const uint8_t*>(bytes.constData()), static_cast<size_t>(bytes.size())))
            << target.folder << "/" << seed.fileName().toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusReplayTest,
                         ::testing::Values(FuzzTarget{"protocol_parser", fuzz::RunProtocolParser, 128 * 1024},
                                           FuzzTarget{"decode_encode", fuzz::RunDecodeEncode, 8 * 1024},
                                           FuzzTarget{"project_loader", fuzz::RunProjectLoader, 32 * 2790}),
                         [](const ::testing::TestParamInfo<FuzzTarget>& info) {
                             return std::string(info.param.folder);
                         });

}  // namespace
