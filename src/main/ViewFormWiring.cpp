// The other subsystems joined to the window's controls: the link engine and its timer,
// chip programming and its buttons, the project tree and node panel.
#include "main/ViewForm.h"

#include "main/StatusBar.h"

#include "common/DateText.h"
#include "image/ImageFileCommands.h"
#include "link/ChipProgrammer.h"
#include "link/LinkEngine.h"
#include "link/LinkExchange.h"
#include "link/ProgramCommands.h"
#include "link/SerialPort.h"
#include "params/FlexGrid.h"
#include "params/GridEditor.h"
#include "project/NodePanel.h"
#include "project/ProjectFiles.h"
#include "project/TreeCommands.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTimer>

namespace mainwin {

void ViewForm::WireSubsystems()
{
    WireLink();
    WireProgramming();
    WireGridEditor();
    WireProject();
    WireHiddenFileCommands();
}

void ViewForm::WireLink()
{
    link_ = std::make_unique<devlink::LinkExchange>(MBMC_);
    engine_ = std::make_unique<devlink::LinkEngine>(*link_, state_.engine, state_.params, *this);
    MBMC_.OnComm = [this](int commEvent) {
        if (commEvent == devlink::ComEvPortLost)
            PortLost();
        else
            link_->OnComm(commEvent);
    };

    MBTim->setInterval(devlink::kTickIntervalMs);
    connect(MBTim, &QTimer::timeout, this, [this] { MBTim_Timer(); });
    MBTim->start();
}

void ViewForm::MBTim_Timer() { engine_->Tick(); }

void ViewForm::WireProgramming()
{
    programmer_ = std::make_unique<devlink::ChipProgrammer>(state_.engine, *link_, state_.image, *this);
    engine_->SetProgramOperation(programmer_.get());
    programCommands_ = std::make_unique<devlink::ProgramCommands>(
        state_.engine, *programmer_, state_.image, state_.params, MBMC_, *this, dialogs_, env_);
    connect(Command3, &QPushButton::clicked, this, [this] { programCommands_->Command3_Click(); });
    connect(Command4, &QPushButton::clicked, this, [this] { programCommands_->Command4_Click(); });
}

void ViewForm::WireGridEditor()
{
    params::GridEditorControls controls;
    controls.settingGrid = MSFG[0];
    controls.displayGrid = MSFG[1];
    controls.editor = InPutTxt_0;
    controls.valueList = MSFGList;
    controls.mainWindow = this;
    params::GridEditorCallbacks callbacks;
    callbacks.setHintText = [this](const QString& text) { SB->SetPanel(3, text); };
    callbacks.enableStoreMenu = [this] { SetMenuImg4Enabled(true); };
    gridEditor_ = new params::GridEditor(controls, state_.params, dialogs_, callbacks, this);
}

void ViewForm::WireProject()
{
    project::NodePanelWidgets panelWidgets;
    panelWidgets.tree = TreeView;
    panelWidgets.notes = NotesTxt;
    panelWidgets.settingGrid = MSFG[0];
    panelWidgets.MNodeCut = MNodeCut;
    panelWidgets.Mcopydata = Mcopydata;
    panelWidgets.MPaseteData = MPaseteData;
    project::NodePanelCallbacks panelCallbacks;
    panelCallbacks.setResultPanel = [this](const QString& text) { SB->SetPanel(2, text); };
    panelCallbacks.setHintPanel = [this](const QString& text) { SB->SetPanel(3, text); };
    panelCallbacks.enableStoreEntry = [this](bool enabled) { SetMenuImg4Enabled(enabled); };
    panelCallbacks.fillSettingGrid = [this] { ShowSetData(); };
    panelCallbacks.raiseSettingGrid = [this] { BringGridToFront(0); };
    nodePanel_ = new project::NodePanel(panelWidgets, panelCallbacks, state_.params, state_.engine,
                                        state_.project, dialogs_, this);

    project::TreeCommandWidgets treeWidgets;
    treeWidgets.tree = TreeView;
    treeWidgets.Medite = Medite;
    treeWidgets.MAddRecord = MAddRecord;
    treeWidgets.Maddsub = Maddsub;
    treeWidgets.Minsertback = Minsertback;
    treeWidgets.Mdelect = Mdelect;
    treeWidgets.MNodeCut = MNodeCut;
    treeWidgets.MnodePast = MnodePast;
    project::TreeCommandCallbacks treeCallbacks;
    treeCallbacks.setHintPanel = [this](const QString& text) { SB->SetPanel(3, text); };
    treeCallbacks.hideGridEditor = [this] { HideGridEditor(); };
    treeCommands_ = new project::TreeCommands(treeWidgets, treeCallbacks, state_.project, dialogs_, this);
}

// The File menu's project and image entries are hidden and nothing shows them; they are
// wired all the same.
void ViewForm::WireHiddenFileCommands()
{
    imageFileCommands_ = std::make_unique<image::ImageFileCommands>(
        state_.image, state_.engine.ImageInfo, state_.params, dialogs_, env_.programFolder,
        [this](const QString& message) { AppendLog(message); });
    connect(SavePro, &QAction::triggered, this, [this] {
        image::PrepareOptions options;
        options.CurrSet = CurrSet();
        options.OrderID = OrderNumber();
        options.today = env_.now().date();
        imageFileCommands_->SavePro_Click(options);
    });
    connect(MCompFile, &QAction::triggered, this, [this] { imageFileCommands_->MCompFile_Click(); });

    auto projectCommand = [this](bool (*command)(const project::ProjectContext&)) {
        return [this, command] {
            const project::ProjectContext context{state_.project, *TreeView, dialogs_};
            if (command(context)) ClearNodePanel();
        };
    };
    connect(CreatNewPro, &QAction::triggered, this, projectCommand(&project::CreatNewPro_Click));
    connect(OpenPro, &QAction::triggered, this, projectCommand(&project::OpenPro_Click));
}


void ViewForm::ClearNodePanel() { nodePanel_->ClearNotes(); }

// The mouse over the tree hides the value editor only; an open value list stays.
void ViewForm::HideGridEditor() { InPutTxt_0->setVisible(false); }

}  // namespace mainwin
