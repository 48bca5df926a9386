// The example project shipped beside the program: it opens without a word, shows its
// product tree, and every node's setting block passes its check against the shipped
// setting table. A disabled test rebuilds it through the project commands themselves.

#include "params/FlexGrid.h"
#include "params/ParamEncoder.h"
#include "params/ProtocolFile.h"
#include "params/SettingsBlock.h"
#include "project/NodeData.h"
#include "project/ProjectFiles.h"
#include "project/TreeOperations.h"
#include "support/ScriptedDialogs.h"
#include "support/TempFolder.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

const QString kDataFolder = QStringLiteral(TOLVEXAN_SOURCE_DIR "/data");

struct ExampleNode {
    int parent;  // index of an earlier node, or -1 for the top level
    QString title;
    QString description;
    QStringList values;  // text typed into each setting row, in row order (raw, unscaled)
};

const std::vector<ExampleNode>& ExampleNodes()
{
    static const std::vector<ExampleNode> nodes = {
        {-1, QStringLiteral("方波控制器 SQ-100"), QStringLiteral("方波输出控制板，标准出厂参数"),
         {"方波", "50", "1000", "1", "1", "12.00", "250", "1秒", "允许", "开启", "开启", "关闭", "正向", "1", "9600", "85", "0", "0.5", "否"}},
        {0, QStringLiteral("标准型 50Hz"), QStringLiteral("50Hz 工频方波，占空比 50%"),
         {"方波", "50", "50", "10", "10", "24.00", "400", "2秒", "允许", "开启", "开启", "开启", "正向", "1", "9600", "90", "0", "1.0", "否"}},
        {0, QStringLiteral("高频型 1kHz"), QStringLiteral("1kHz 方波，窄死区"),
         {"方波", "30", "1000", "1", "2", "12.00", "300", "1秒", "允许", "开启", "开启", "关闭", "反向", "2", "115200", "80", "90", "0.2", "否"}},
        {-1, QStringLiteral("工艺参数设定器 PT-200"), QStringLiteral("工艺参数设定板，手动模式"),
         {"手动", "60", "200", "5", "5", "5.00", "600", "5秒", "禁止", "开启", "关闭", "开启", "正向", "3", "19200", "100", "0", "0.0", "否"}},
        {3, QStringLiteral("出厂默认"), QStringLiteral("恢复出厂时使用的参数"),
         {"自动", "50", "100", "1", "1", "10.00", "250", "1秒", "禁止", "关闭", "关闭", "关闭", "正向", "1", "9600", "85", "0", "0.0", "是"}},
    };
    return nodes;
}

struct SettingTable {
    params::FlexGrid grid;
    params::ParamState params;
    SettingTable()
    {
        EXPECT_EQ(params::ParseProtocolFile(grid, kDataFolder + "/Config.For", params.SetTable, params.ProtoInfo[0]), 0);
        params.SetData.assign(static_cast<size_t>(params.ProtoInfo[0].DataLen) + 1, 0);
    }
};

// The setting block of one example node: header, values through the encoder, stamp.
common::Bytes ExampleBlock(SettingTable& table, const ExampleNode& node, common::Dialogs& dialogs)
{
    const int dataLen = table.params.ProtoInfo[0].DataLen;
    common::Bytes block(static_cast<size_t>(dataLen) + 1, 0);
    common::WriteLE<int32_t>(block, 20, dataLen - 32);
    for (int row = 1; row < table.params.ProtoInfo[0].RowCount; ++row)
        EXPECT_EQ(params::EncodeSetting(node.values.value(row - 1), block, table.params.SetTable, row, dialogs), 0)
            << node.title.toStdString() << " row " << row;
    EXPECT_EQ(params::StampBlockCrc(block, table.params.ProtoInfo[0]), 0);
    return block;
}

void BuildExampleProject(const QString& path)
{
    testsupport::ScriptedDialogs dialogs;
    project::ProjectState state;
    project::TreeView tree;
    project::ProjectContext ctx{state, tree, dialogs};
    ASSERT_TRUE(project::CreateProjectFile(ctx, path));
    ASSERT_TRUE(project::OpenProjectFile(ctx, path, QStringLiteral("locked"), QStringLiteral("Hint")));
    SettingTable table;
    std::vector<QString> keys;
    for (const ExampleNode& node : ExampleNodes()) {
        if (node.parent < 0) {
            project::AddTopNode(ctx);
        } else {
            tree.SetSelected(tree.NodeByKey(keys[static_cast<size_t>(node.parent)]));
            project::AddChildNode(ctx);
        }
        project::TreeView::Node* added = tree.NodeAt(tree.Count());
        keys.push_back(project::TreeView::KeyOf(added));
        ASSERT_TRUE(project::RenameNode(ctx, added, node.title));
        table.params.SetData = ExampleBlock(table, node, dialogs);
        const project::NodeTexts texts = {node.description, QString(), QStringLiteral("Config.For"),
                                          QStringLiteral("Display.For"), QString(), QString()};
        ASSERT_TRUE(project::SaveNodeNotes(ctx, added, table.params, texts));
    }
    // Opening the new, still empty file says so; nothing else may.
    EXPECT_EQ(dialogs.MessageTexts(), QStringList{QStringLiteral("空文件，无数据记录！")});
}

}  // namespace

TEST(ShippedProject, OpensWithItsTreeAndValidSettingBlocks)
{
    testsupport::TempFolder folder;
    QFile::copy(kDataFolder + "/Config.QVR", folder.file("Config.QVR"));
    QFile(folder.file("Config.QVR")).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    testsupport::ScriptedDialogs dialogs;
    project::ProjectState state;
    project::TreeView tree;
    project::ProjectContext ctx{state, tree, dialogs};
    ASSERT_TRUE(project::OpenDefaultProject(ctx, folder.path()));
    EXPECT_TRUE(dialogs.messages.empty());
    ASSERT_EQ(tree.Count(), static_cast<int>(ExampleNodes().size()));

    SettingTable table;
    for (int i = 1; i <= tree.Count(); ++i) {
        project::NodeTexts texts;
        ASSERT_TRUE(project::ShowNodeNotes(ctx, tree.NodeAt(i), table.params, texts));
        EXPECT_EQ(tree.NodeAt(i)->text(0), ExampleNodes()[static_cast<size_t>(i - 1)].title);
        EXPECT_EQ(params::CheckBlockCrc(table.params.SetData, table.params.ProtoInfo[0]), 0) << i;
    }
}

// Rebuilds data/Config.QVR: run with --gtest_also_run_disabled_tests.
TEST(ShippedProject, DISABLED_WriteShippedProject)
{
    const QString path = kDataFolder + "/Config.QVR";
    QFile::remove(path);
    BuildExampleProject(path);
    QFile::remove(path + ".Copy.QVR");
}
