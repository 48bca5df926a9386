#include "common/LittleEndian.h"
#include "params/ParamDecoder.h"
#include "params/ParamEncoder.h"
#include "params/ParamValues.h"
#include "params/ProtocolFile.h"
#include "params/SettingsBlock.h"
#include "support/ScriptedDialogs.h"

#include <gtest/gtest.h>

using params::FlexGrid;
using params::ProtoInfoRecord;
using params::ProtoRowRecord;

namespace {

const QString kDataFolder = QStringLiteral(TOLVEXAN_SOURCE_DIR "/data/");

struct LoadedTable {
    FlexGrid grid;
    std::vector<ProtoRowRecord> table;
    ProtoInfoRecord info;
    int result = -1;

    explicit LoadedTable(const QString& name)
    {
        grid.SetRows(45);
        grid.SetCols(4);
        result = params::ParseProtocolFile(grid, kDataFolder + name, table, info);
    }

    int RowNamed(const QString& name) const
    {
        for (int r = 1; r < grid.Rows(); ++r)
            if (grid.TextMatrix(r, 1) == name) return r;
        return -1;
    }
};

// Every value inside the block, and every list with as many names as values.
void ExpectConsistentRows(const LoadedTable& loaded, int firstValueByte)
{
    for (int r = 1; r < loaded.info.RowCount; ++r) {
        const ProtoRowRecord& row = loaded.table[static_cast<size_t>(r)];
        const std::string name = loaded.grid.TextMatrix(r, 1).toStdString();
        EXPECT_NE(params::KindOf(row), params::ValueKind::None) << name;
        EXPECT_GE(row.Offset - 1, firstValueByte) << name;
        EXPECT_TRUE(params::ValueInsideBuffer(row, static_cast<size_t>(loaded.info.DataLen))) << name;
        if (row.IsList == 1)
            EXPECT_EQ(params::OptionNames(row).size(), params::OptionValueTexts(row).size()) << name;
        else if (loaded.grid.TextMatrix(0, 3) == QStringLiteral("设定值"))
            EXPECT_EQ(params::OptionNames(row).size(), 2) << name;
    }
}

}  // namespace

TEST(ShippedTables, ConfigDescribesASettingsBlockBehindItsHeader)
{
    LoadedTable config("Config.For");
    ASSERT_EQ(config.result, 0);
    EXPECT_EQ(config.info.DataLen, 96);
    EXPECT_EQ(config.info.RowCount, config.grid.Rows());
    EXPECT_GE(config.info.RowCount, 15);
    EXPECT_EQ(config.grid.TextMatrix(0, 1), QStringLiteral("参数名称"));
    EXPECT_EQ(config.grid.TextMatrix(1, 0), "1");
    ExpectConsistentRows(config, 32);

    // A block as the device would send it: decodes, edits and stamps.
    common::Bytes block(static_cast<size_t>(config.info.DataLen) + 1, 0);
    common::WriteLE<int32_t>(block, 20, config.info.DataLen - 32);
    block[32] = 2;
    common::WriteLE<float>(block, 44, 12.5f);
    common::WriteLE<int32_t>(block, 48, 255);
    common::WriteLE<int32_t>(block, 56, 0b10101);
    testsupport::ScriptedDialogs dialogs;
    ASSERT_EQ(params::FillParamGrid(config.grid, block, config.table, config.info, dialogs), 0);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(config.grid.TextMatrix(config.RowNamed(QStringLiteral("工作模式")), 3), QStringLiteral("方波"));
    EXPECT_EQ(config.grid.TextMatrix(config.RowNamed(QStringLiteral("输出电压")), 3), "12.50");
    EXPECT_EQ(config.grid.TextMatrix(config.RowNamed(QStringLiteral("温度设定(0.1℃)")), 3), "25.5");
    EXPECT_EQ(config.grid.TextMatrix(config.RowNamed(QStringLiteral("输出使能")), 3), QStringLiteral("允许"));
    EXPECT_EQ(config.grid.TextMatrix(config.RowNamed(QStringLiteral("过流保护")), 3), QStringLiteral("关闭"));
    EXPECT_EQ(config.grid.TextMatrix(config.RowNamed(QStringLiteral("输出极性")), 3), QStringLiteral("反向"));

    const int baud = config.RowNamed(QStringLiteral("波特率"));
    params::EncodeSetting("115200", block, config.table, baud, dialogs);
    EXPECT_EQ(block[static_cast<size_t>(config.table[static_cast<size_t>(baud)].Offset - 1)], 4);
    EXPECT_EQ(params::StampBlockCrc(block, config.info), 0);
    EXPECT_EQ(params::CheckBlockCrc(block, config.info), 0);
}

TEST(ShippedTables, DisplayDescribesASmallerBlock)
{
    LoadedTable display("Display.For");
    ASSERT_EQ(display.result, 0);
    EXPECT_EQ(display.info.DataLen, 48);
    EXPECT_EQ(display.grid.TextMatrix(0, 3), QStringLiteral("当前值"));
    ExpectConsistentRows(display, 0);

    common::Bytes block(49, 0);
    block[0] = 1;
    common::WriteLE<int32_t>(block, 4, 1234);
    common::WriteLE<int32_t>(block, 24, 5400);
    common::WriteLE<int32_t>(block, 20, 0b1000);
    testsupport::ScriptedDialogs dialogs;
    ASSERT_EQ(params::FillParamGrid(display.grid, block, display.table, display.info, dialogs), 0);
    EXPECT_EQ(display.grid.TextMatrix(display.RowNamed(QStringLiteral("运行状态")), 3), QStringLiteral("运行"));
    EXPECT_EQ(display.grid.TextMatrix(display.RowNamed(QStringLiteral("输出电压")), 3), "12.34");
    EXPECT_EQ(display.grid.TextMatrix(display.RowNamed(QStringLiteral("累计运行时间")), 3), "1.5");
    EXPECT_EQ(display.grid.TextMatrix(display.RowNamed(QStringLiteral("过温")), 3), QStringLiteral("故障"));
    EXPECT_EQ(display.grid.TextMatrix(display.RowNamed(QStringLiteral("过流")), 3), QStringLiteral("正常"));
}
