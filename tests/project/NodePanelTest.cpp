#include "PanelFixture.h"

#include "project/ProjectMessages.h"
#include "project/TreeOperations.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTest>

using namespace project;
using namespace projecttest;

namespace {

class NodePanelTest : public PanelTest {
protected:
    void SetUp() override
    {
        NewProject();
        AddTopNode(ctx);  // 2
        AddTopNode(ctx);  // 3
        ProjectRecord rec = ReadRecord(path, 2);
        rec.SetText(Description, QStringLiteral("程序功能"));
        rec.SetText(ProgramFile, QStringLiteral("/fw/a.BIN"));
        rec.SetText(OrderNo, QStringLiteral("SO-1"));
        rec.SetText(RemarkInfo, QStringLiteral("备注"));
        WriteRecord(path, 2, rec);
        StoreBlock(2, ValidBlock(1));
        for (int row = 0; row < grid.rowCount(); ++row) {
            auto* item = new QTableWidgetItem(QStringLiteral("old"));
            item->setForeground(QColor(250, 0, 0));
            grid.setItem(row, 3, item);
        }
        MNodeCut->setEnabled(false);
        engine.Request(devlink::OpReadDisplay);
    }
};

TEST_F(NodePanelTest, ClickOnANodeWithAValidBlockShowsItAndFallsBackToPolling)
{
    panel->SetNoteText(0, QStringLiteral("stale"));
    params.SetData[kDataLen] = 0x5A;
    Click(2);
    EXPECT_EQ(Box(0), QString());
    EXPECT_EQ(Box(1), QStringLiteral("程序功能"));
    EXPECT_EQ(Box(2), QStringLiteral("/fw/a.BIN"));
    EXPECT_EQ(Box(3), QString());
    EXPECT_EQ(Box(5), QStringLiteral("SO-1"));
    EXPECT_EQ(Box(6), QStringLiteral("备注"));
    EXPECT_EQ(grid.item(0, 3)->text(), QStringLiteral("old"));  // the title row stays
    for (int row = 1; row < grid.rowCount(); ++row) {
        EXPECT_EQ(grid.item(row, 3)->text(), QString());
        EXPECT_EQ(grid.item(row, 3)->foreground().color(), QColor(0, 0, 0));
    }
    EXPECT_TRUE(MNodeCut->isEnabled());
    const common::Bytes block = ValidBlock(1);
    EXPECT_TRUE(std::equal(block.begin(), block.begin() + kDataLen, params.SetData.begin()));
    EXPECT_EQ(params.SetData[kDataLen], 0x5A);  // the spare byte is not the node's
    EXPECT_EQ(panel2, QStringLiteral("成功获取保存数据"));
    EXPECT_EQ(fills, 1);
    EXPECT_EQ(raises, 1);
    EXPECT_EQ(engine.Requested(), devlink::OpLinkCheck);
    EXPECT_FALSE(storeEnabled);
}

TEST_F(NodePanelTest, ClickOnANodeWithoutAStoredBlockOnlyReportsIt)
{
    Click(3);
    EXPECT_EQ(panel2, QStringLiteral("保存数据校验无效"));
    EXPECT_EQ(fills, 0);
    EXPECT_EQ(raises, 0);
    EXPECT_EQ(engine.Requested(), devlink::OpReadDisplay);  // the display read goes on
    EXPECT_EQ(grid.item(1, 3)->text(), QString());
    EXPECT_EQ(Box(2), QString());
}

TEST_F(NodePanelTest, StoringWritesBlockAndBoxesAndCutsLongTexts)
{
    Click(2);
    tree.SetSelected(tree.NodeByKey(NodeKey(2)));
    params.SetData = ValidBlock(9);
    const QString longPath = QStringLiteral("/") + QString(249, QLatin1Char('p'));
    panel->SetNoteText(1, QStringLiteral("BinArray"));
    panel->SetNoteText(2, longPath);
    panel->SetNoteText(6, QString());
    const ProjectRecord before = ReadRecord(path, 2);
    EXPECT_EQ(panel->SaveSelectedNode(), NodePanel::StoreResult::Stored);
    const ProjectRecord after = ReadRecord(path, 2);
    EXPECT_EQ(after.Text(Description), QStringLiteral("BinArray"));
    EXPECT_EQ(after.Text(ProgramFile), longPath.left(200));
    EXPECT_EQ(after.Text(OrderNo), QStringLiteral("SO-1"));
    EXPECT_EQ(after.Text(RemarkInfo), QString());
    common::Bytes stored(kDataLen + 1, 0);
    after.LoadSettings(stored, kDataLen);
    EXPECT_TRUE(std::equal(stored.begin(), stored.begin() + kDataLen, params.SetData.begin()));
    EXPECT_TRUE(std::equal(before.bytes.begin(), before.bytes.begin() + at::Settings, after.bytes.begin()));
    EXPECT_EQ(Box(2), longPath);  // the box keeps the whole text

    tree.clearSelection();
    const QByteArray file = folder.read(path);
    EXPECT_EQ(panel->SaveSelectedNode(), NodePanel::StoreResult::NoNode);
    EXPECT_EQ(dialogs.MessageTexts(), QStringList{QStringLiteral("请选择对象!")});
    EXPECT_EQ(folder.read(path), file);
}

TEST_F(NodePanelTest, ACommittedLabelIsStoredAsGivenCutTo40Bytes)
{
    auto* node = tree.NodeByKey(NodeKey(2));
    struct Case { QString label; QString stored; };
    const Case cases[] = {
        {QStringLiteral("主控板"), QStringLiteral("主控板")},
        {QStringLiteral("BinArray"), QStringLiteral("BinArray")},
        {QString(45, QLatin1Char('t')), QString(40, QLatin1Char('t'))},
        {QString(), QString()},
    };
    for (const Case& c : cases) {
        bool cancel = false;
        emit tree.AfterLabelEdit(node, c.label, &cancel);
        EXPECT_FALSE(cancel) << c.label.toStdString();
        EXPECT_EQ(ReadRecord(path, 2).Text(Title), c.stored) << c.label.toStdString();
    }
    EXPECT_EQ(ReadRecord(path, 2).bytes[at::Settings + 32], ValidBlock(1)[32]);  // the block is untouched
}

TEST_F(NodePanelTest, TheLabelEditorCommitsThroughTheFileEvenAnEmptyLabelAndEscapeKeepsTheTitle)
{
    tree.show();
    auto* node = tree.NodeByKey(NodeKey(3));
    tree.SetSelected(node);
    const auto editLabel = [&](const QString& text, Qt::Key key) {
        tree.StartLabelEdit(node);
        QLineEdit* editor = OpenLabelEditor(tree);
        ASSERT_NE(editor, nullptr);
        editor->setText(text);
        QTest::keyClick(editor, key);
        QApplication::processEvents();  // the editor commits from a queued call
    };
    editLabel(QStringLiteral("电源"), Qt::Key_Return);
    EXPECT_EQ(ReadRecord(path, 3).Text(Title), QStringLiteral("电源"));
    EXPECT_EQ(TreeView::NodeText(node), QStringLiteral("电源"));

    editLabel(QString(), Qt::Key_Escape);
    EXPECT_EQ(ReadRecord(path, 3).Text(Title), QStringLiteral("电源"));
    EXPECT_EQ(TreeView::NodeText(node), QStringLiteral("电源"));

    editLabel(QString(), Qt::Key_Return);
    EXPECT_EQ(ReadRecord(path, 3).Text(Title), QString());
    EXPECT_EQ(TreeView::NodeText(node), QString());
}

TEST_F(NodePanelTest, CopyOnOneNodePasteOnAnotherAllowsOnePaste)
{
    EXPECT_FALSE(MPaseteData->isEnabled());
    Click(2);
    params.SetData[kDataLen] = 0x77;
    Mcopydata->trigger();
    EXPECT_TRUE(MPaseteData->isEnabled());
    EXPECT_EQ(state.SetDataClip.size(), static_cast<size_t>(kDataLen + 1));
    Click(3);
    EXPECT_EQ(panel2, QStringLiteral("保存数据校验无效"));
    engine.Request(devlink::OpReadDisplay);
    const QByteArray file = folder.read(path);
    MPaseteData->trigger();
    EXPECT_FALSE(MPaseteData->isEnabled());
    EXPECT_EQ(panel2, QStringLiteral("成功获取保存数据"));
    const common::Bytes block = ValidBlock(1);
    EXPECT_TRUE(std::equal(block.begin(), block.begin() + kDataLen, params.SetData.begin()));
    EXPECT_EQ(params.SetData[kDataLen], 0x77);  // the spare byte travels with the copy
    EXPECT_EQ(fills, 2);
    EXPECT_EQ(engine.Requested(), devlink::OpLinkCheck);
    EXPECT_TRUE(storeEnabled);
    EXPECT_EQ(folder.read(path), file);  // the node changes only when stored
}

TEST_F(NodePanelTest, PastingABlockThatFailsTheCheckOnlyReportsIt)
{
    Click(3);
    Mcopydata->trigger();
    engine.Request(devlink::OpReadDisplay);
    MPaseteData->trigger();
    EXPECT_EQ(panel2, QStringLiteral("保存数据校验无效"));
    EXPECT_FALSE(storeEnabled);
    EXPECT_EQ(engine.Requested(), devlink::OpReadDisplay);
}

TEST_F(NodePanelTest, ProgramFileChooserOnBoxTwoOnly)
{
    window.show();
    dialogs.fileAnswers = {QStringLiteral("/fw/new.BIN"), QString()};
    QTest::mouseDClick(notes[3], Qt::LeftButton);
    EXPECT_TRUE(dialogs.fileDialogFilters.isEmpty());
    QTest::mouseDClick(notes[2], Qt::LeftButton);
    EXPECT_EQ(dialogs.fileDialogFilters, QStringList{QStringLiteral("文件(*.BIN)|*.BIN")});
    EXPECT_EQ(Box(2), QStringLiteral("/fw/new.BIN"));
    EXPECT_TRUE(storeEnabled);
    storeEnabled = false;
    QTest::mouseDClick(notes[2], Qt::LeftButton);  // cancelled
    EXPECT_EQ(Box(2), QStringLiteral("/fw/new.BIN"));
    EXPECT_FALSE(storeEnabled);
}

TEST_F(NodePanelTest, TypingEnablesTheStoreEntryAndHintsFollowTheMouse)
{
    window.show();
    QTest::keyClick(notes[4], Qt::Key_A);
    EXPECT_TRUE(storeEnabled);
    storeEnabled = false;
    QTest::keyClick(static_cast<QTextEdit*>(notes[1])->viewport(), Qt::Key_Shift);
    QTest::keyClick(notes[0], Qt::Key_Shift);
    EXPECT_TRUE(storeEnabled);

    const QStringList expected{QString(), QStringLiteral("最多512个字"), QStringLiteral("双击选择目标文件"),
                               QStringLiteral("保留"), QStringLiteral("保留"), QString(), QStringLiteral("最多5个字")};
    for (int i = 0; i < 7; ++i) {
        panel3 = QStringLiteral("previous");
        QWidget* target = notes[static_cast<size_t>(i)];
        if (auto* edit = qobject_cast<QTextEdit*>(target)) target = edit->viewport();
        QMouseEvent move(QEvent::MouseMove, QPointF(3, 3), target->mapToGlobal(QPointF(3, 3)), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(target, &move);
        EXPECT_EQ(panel3, expected[i]) << i;
    }
}

}  // namespace
