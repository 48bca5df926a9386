#pragma once
// The node panel and the tree commands wired to real widgets, offscreen.

#include "ProjectFixture.h"

#include "link/EngineState.h"
#include "params/ParamTypes.h"
#include "params/SettingsBlock.h"
#include "project/NodePanel.h"
#include "project/TreeCommands.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QTableWidget>
#include <QTextEdit>
#include <memory>

namespace projecttest {

constexpr int kDataLen = 40;

// A setting block of kDataLen bytes with a right length field and CRC, payload from `seed`.
inline common::Bytes ValidBlock(uint8_t seed)
{
    params::ProtoInfoRecord info;
    info.DataLen = kDataLen;
    common::Bytes block(kDataLen + 1, 0);
    common::WriteLE<int32_t>(block, 20, kDataLen - 32);
    for (int i = 32; i < kDataLen; ++i) block[static_cast<size_t>(i)] = static_cast<uint8_t>(seed + i);
    params::StampBlockCrc(block, info);
    block[kDataLen] = 0;
    return block;
}

class PanelTest : public ProjectTest {
protected:
    QWidget window;
    QTableWidget grid{5, 4};
    std::array<QWidget*, 7> notes{};
    QMenu* medite = new QMenu(&window);
    QAction* MAddRecord = medite->addAction(QStringLiteral("添加目录"));
    QAction* Maddsub = medite->addAction(QStringLiteral("添加子集"));
    QAction* Minsertback = medite->addAction(QStringLiteral("插入节点"));
    QAction* Mdelect = medite->addAction(QStringLiteral("删除节点"));
    QAction* Mcopydata = medite->addAction(QStringLiteral("复制数据"));
    QAction* MPaseteData = medite->addAction(QStringLiteral("粘贴数据"));
    QAction* MNodeCut = medite->addAction(QStringLiteral("剪切节点"));
    QAction* MnodePast = medite->addAction(QStringLiteral("插入剪切"));

    params::ParamState params;
    devlink::EngineState engine;
    QString panel2, panel3;
    int fills = 0, raises = 0, editorHides = 0;
    bool storeEnabled = false;

    std::unique_ptr<project::NodePanel> panel;
    std::unique_ptr<project::TreeCommands> commands;

    PanelTest()
    {
        for (int i = 0; i < 7; ++i) {
            notes[static_cast<size_t>(i)] = i < 2 ? static_cast<QWidget*>(new QTextEdit(&window))
                                                  : static_cast<QWidget*>(new QLineEdit(&window));
            notes[static_cast<size_t>(i)]->setObjectName(QStringLiteral("NotesTxt_%1").arg(i));
        }
        params.ProtoInfo[0].DataLen = kDataLen;
        params.SetData.assign(kDataLen + 1, 0);
        project::NodePanelWidgets w;
        w.tree = &tree;
        w.notes = notes;
        w.settingGrid = &grid;
        w.MNodeCut = MNodeCut;
        w.Mcopydata = Mcopydata;
        w.MPaseteData = MPaseteData;
        project::NodePanelCallbacks cb;
        cb.setResultPanel = [this](const QString& t) { panel2 = t; };
        cb.setHintPanel = [this](const QString& t) { panel3 = t; };
        cb.enableStoreEntry = [this](bool on) { storeEnabled = on; };
        cb.fillSettingGrid = [this] { ++fills; };
        cb.raiseSettingGrid = [this] { ++raises; };
        panel = std::make_unique<project::NodePanel>(w, cb, params, engine, state, dialogs);

        project::TreeCommandWidgets tw{&tree, medite, MAddRecord, Maddsub, Minsertback, Mdelect, MNodeCut, MnodePast};
        project::TreeCommandCallbacks tc;
        tc.setHintPanel = [this](const QString& t) { panel3 = t; };
        tc.hideGridEditor = [this] { ++editorHides; };
        commands = std::make_unique<project::TreeCommands>(tw, tc, state, dialogs);
    }

    QString Box(int i) const { return panel->NoteText(i); }

    void StoreBlock(int recordNo, const common::Bytes& block)
    {
        ProjectRecord rec = ReadRecord(path, recordNo);
        rec.StoreSettings(block, kDataLen);
        WriteRecord(path, recordNo, rec);
    }

    void Click(int recordNo) { emit tree.NodeClick(tree.NodeByKey(project::NodeKey(recordNo))); }
};

}  // namespace projecttest
