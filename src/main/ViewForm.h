#pragma once
// The main window `ViewForm`: its controls under their design names, the menus, the log
// box and status bar, and the handlers of the controls whose behaviour the window owns.
// The handlers live in separate files by concern: layout, menus, port handlers, picture
// menu, views for the engine and programming, start-up and shutdown, wiring.

#include "main/AppState.h"
#include "link/EngineView.h"
#include "link/ProgrammingView.h"

#include <QMainWindow>
#include <QMargins>
#include <array>
#include <functional>
#include <memory>

class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace common {
class Dialogs;
struct AppEnvironment;
}
namespace image {
class ImageFileCommands;
}
namespace params {
class FlexGrid;
class GridEditor;
}
namespace project {
class TreeView;
class NodePanel;
class TreeCommands;
}
namespace devlink {
class ChipProgrammer;
class ProgramCommands;
class LinkEngine;
class LinkExchange;
class SerialPort;
}

namespace mainwin {

class DisabledTipFilter;
class HintFilter;
class LogBox;
class ShapeControl;
class StatusBar;

class ViewForm : public QMainWindow,
                 public devlink::EngineView,
                 public devlink::ProgrammingView {
public:
    ViewForm(common::AppEnvironment& env, common::Dialogs& dialogs, AppState& state,
             devlink::SerialPort& port, QWidget* parent = nullptr);
    ~ViewForm() override;

    // Start-up of the window: port boxes, lamp, link state, both tables, the default
    // project, the node panel; then the window is shown.
    void Form_Load();
    // Closing: the run's log is appended to the day's record file.
    void Form_QueryUnload();
    // Keeps the normal window at its pinned outer size.
    void Form_Resize();
    // "Exit": ends the program at once, writing no record.
    void EndPro_Click();

    // Port settings, open/close and AutoDetect.
    void ComboSet_Change(int index);
    void Command1_Click();
    void Command2_Click();

    // The timer's tick: one step of the link engine.
    void MBTim_Timer();

    // Picture menu.
    void MenuImg_MouseMove(int index);
    void MenuImg_MouseDown(int index);
    void MenuImg_MouseUp(int index);

    // The log line: date, blank, time, message, CR LF; the newest line in view.
    void AppendLog(const QString& message) override;
    // `InfLab` shows the image file; `PersLab` shows `fraction` of its width, hidden at 0.
    void ShowProgress(double fraction);
    // The lamp `Shape1`.
    void SetLamp(const QColor& color);

    // The link engine's view of the window.
    void SetPanelText(int panel, const QString& text) override;
    void SetCommand3Enabled(bool enabled) override;
    void SetCommand4Enabled(bool enabled) override;
    void ShowSetData() override;
    void ShowDispData() override;
    void SetMenuImg4Enabled(bool enabled) override;
    void SetSettingCellForeBlack() override;
    void SetNotesTxt5(const QString& text) override;
    void ShowVersionWindow(const image::ImageInfoRecord& info) override;

    // Chip programming's view of the window.
    void SetInfLabCaption(const QString& caption) override;
    double InfLabWidth() const override;
    void ShowPersLab(double width) override;
    void HidePersLab() override;
    QString Command4Caption() const override;
    void SetCommand4Caption(const QString& caption) override;
    void FocusCommand4() override;
    void SetLinkPanel(const QString& text) override;
    void ShowSettingGrid() override;
    bool KeepInF() const override;
    bool CurrSet() const override;
    bool AutoLoad() const override;
    QString FrameLengthText() const override;
    QString NodeProgramFile() const override;
    QString OrderNumber() const override;

    devlink::LinkExchange& Link() { return *link_; }
    devlink::LinkEngine& Engine() { return *engine_; }
    devlink::ChipProgrammer& Programmer() { return *programmer_; }
    project::NodePanel& NodePanel() { return *nodePanel_; }

    // What "Exit" calls to end the program; tests replace it.
    std::function<void()> endProgram;
    // The frame the window manager draws around the window, as it stands; tests replace it.
    std::function<QMargins()> frameMargins;

    // Controls, under their design names.
    QGroupBox* Frame1_0 = nullptr;
    QLabel* Label5_1 = nullptr;
    QLabel* Label14 = nullptr;
    QLabel* Label2_1 = nullptr;
    QLabel* Label3_1 = nullptr;
    QLabel* Label4_1 = nullptr;
    QLabel* Label4_2 = nullptr;
    std::array<QComboBox*, 6> ComboSet{};
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    ShapeControl* Shape1 = nullptr;
    QGroupBox* Frame2 = nullptr;
    QPushButton* Command3 = nullptr;
    QLabel* InfLab = nullptr;
    QLabel* PersLab = nullptr;
    LogBox* RTB = nullptr;
    QPushButton* Command4 = nullptr;
    std::array<QCheckBox*, 4> Check1{};
    std::array<params::FlexGrid*, 2> MSFG{};
    QLineEdit* InPutTxt_0 = nullptr;
    params::FlexGrid* MSFGList = nullptr;
    std::array<QWidget*, 7> NotesTxt{};  // 0, 1: QPlainTextEdit; 2..6: QLineEdit
    QGroupBox* Frame3 = nullptr;
    ShapeControl* Shape2 = nullptr;
    std::array<QLabel*, 7> MenuImg{};
    project::TreeView* TreeView = nullptr;
    std::array<QLabel*, 6> Label1{};
    QFrame* Line1 = nullptr;
    StatusBar* SB = nullptr;
    QTimer* MBTim = nullptr;

    // Menus and their entries.
    QMenu* file_menu = nullptr;
    QAction* CreatNewPro = nullptr;
    QAction* OpenPro = nullptr;
    QAction* fdsfds = nullptr;
    QAction* MCompFile = nullptr;
    QAction* SavePro = nullptr;
    QAction* SaveSet = nullptr;
    QAction* yhghg = nullptr;
    QAction* EndPro = nullptr;
    QMenu* about_menu = nullptr;
    QAction* AboutMe = nullptr;
    QAction* PeoHelp = nullptr;
    QAction* AboutVostel = nullptr;
    QMenu* Medite = nullptr;
    QAction* MAddRecord = nullptr;
    QAction* Maddsub = nullptr;
    QAction* Minsertback = nullptr;
    QAction* Mdelect = nullptr;
    QAction* fdsfs = nullptr;
    QAction* Mcopydata = nullptr;
    QAction* MPaseteData = nullptr;
    QAction* rrrrrrr = nullptr;
    QAction* MNodeCut = nullptr;
    QAction* MnodePast = nullptr;
    QAction* MDeleData = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    // Layout (ViewFormLayout.cpp).
    void BuildLayout();
    void BuildPortFrame(QWidget* client);
    void BuildProgramFrame(QWidget* client);
    void BuildGrids(QWidget* client);
    void BuildPictureMenu(QWidget* client);
    void BuildProjectArea(QWidget* client);
    void WatchHints();
    void FitCaptions();
    // Menus (ViewFormMenus.cpp).
    void BuildMenus();
    void ConnectMenus();
    // Port handlers (ViewFormPorts.cpp).
    void FillPortBoxes();
    void ConnectPortHandlers();
    void OpenPort();
    void ClosePort();
    void CancelProgramming();
    void PortLost();
    // Picture menu (ViewFormPictureMenu.cpp).
    void ConnectPictureMenu();
    bool ProgrammingRuns() const;
    void RequestSettingOperation(uint8_t op, int gridInFront);
    void EraseSettings_Click();
    void StoreIntoNode_Click();
    // Start-up (ViewFormLifecycle.cpp).
    QMargins WindowFrame() const;
    void LoadProtocolTables();
    void OpenDefaultProject();
    void ClearNodePanel();
    void BringGridToFront(int index);
    // Ticks and wiring (ViewFormWiring.cpp).
    void WireSubsystems();
    void WireLink();
    void WireProgramming();
    void WireGridEditor();
    void WireProject();
    void WireHiddenFileCommands();
    void HideGridEditor();

    common::AppEnvironment& env_;
    common::Dialogs& dialogs_;
    AppState& state_;
    devlink::SerialPort& MBMC_;
    HintFilter* hints_ = nullptr;
    DisabledTipFilter* disabledTips_ = nullptr;
    QObject* pictureMouse_ = nullptr;
    std::unique_ptr<devlink::LinkExchange> link_;
    std::unique_ptr<devlink::LinkEngine> engine_;
    std::unique_ptr<devlink::ChipProgrammer> programmer_;
    std::unique_ptr<devlink::ProgramCommands> programCommands_;
    std::unique_ptr<image::ImageFileCommands> imageFileCommands_;
    params::GridEditor* gridEditor_ = nullptr;
    project::NodePanel* nodePanel_ = nullptr;
    project::TreeCommands* treeCommands_ = nullptr;
    bool endingWithoutRecord_ = false;
    bool resizing_ = false;
};

}  // namespace mainwin
