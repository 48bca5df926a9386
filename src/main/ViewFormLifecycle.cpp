// Start-up, shutdown and the pinned window size.
#include "main/ViewForm.h"

#include "main/DailyRecord.h"
#include "main/LogBox.h"
#include "main/PinnedSize.h"
#include "main/ShapeControl.h"
#include "main/WindowLook.h"

#include "common/DateText.h"
#include "common/Dialogs.h"
#include "link/LinkExchange.h"
#include "link/SerialPort.h"

#include <QCloseEvent>
#include <QTimer>
#include <QWindow>
#include "params/FlexGrid.h"
#include "params/ProtocolFile.h"
#include "project/ProjectFiles.h"
#include <QtDebug>

namespace mainwin {

namespace {

// Start-up and shutdown skip a statement that fails and go on with the next.
template <typename Step>
void Skipping(Step step)
{
    try {
        step();
    } catch (const std::exception& error) {
        qWarning() << "skipped:" << error.what();
    }
}

}  // namespace

void ViewForm::Form_Load()
{
    Skipping([this] { FillPortBoxes(); });
    Skipping([this] { SetLamp(MBMC_.PortOpen() ? QColor(0, 255, 0) : QColor(250, 0, 0)); });
    link_->LinkError = devlink::LinkPortClosed;
    Skipping([this] { LoadProtocolTables(); });
    Skipping([this] { BringGridToFront(0); });
    Skipping([this] { OpenDefaultProject(); });
    Skipping([this] { ClearNodePanel(); });
    show();
}

void ViewForm::BringGridToFront(int index) { MSFG.at(index)->ZOrder(0); }

// Each table that loads sizes its buffer to its data length and one spare byte; a table
// that does not keeps the buffer at the size start-up gave it.
void ViewForm::LoadProtocolTables()
{
    struct Table {
        params::FlexGrid* grid;
        const char* fileName;
        std::vector<params::ProtoRowRecord>& rows;
        params::ProtoInfoRecord& info;
        common::Bytes& data;
    };
    auto& p = state_.params;
    const Table tables[] = {{MSFG[0], "Config.For", p.SetTable, p.ProtoInfo[0], p.SetData},
                            {MSFG[1], "Display.For", p.DispTable, p.ProtoInfo[1], p.DispData}};
    for (const Table& table : tables) {
        int result = 1;
        Skipping([&] {
            result = params::ParseProtocolFile(*table.grid,
                                               env_.programFolder + QLatin1Char('/') + table.fileName,
                                               table.rows, table.info);
        });
        if (result == 0)
            table.data.assign(size_t(table.info.DataLen) + 1, 0);
        else
            dialogs_.Message(QStringLiteral("Error loading parse the file"), QStringLiteral("Hint！"),
                             common::MsgIcon::Exclamation, common::MsgButtons::Ok);
    }
}

void ViewForm::OpenDefaultProject()
{
    const project::ProjectContext context{state_.project, *TreeView, dialogs_};
    project::OpenDefaultProject(context, env_.programFolder);
}

void ViewForm::closeEvent(QCloseEvent* event)
{
    if (!endingWithoutRecord_) Form_QueryUnload();
    event->accept();
}

void ViewForm::Form_QueryUnload()
{
    const QString failure = AppendDailyRecord(env_.recordFolder, env_.now(), RTB->Text());
    if (failure.isEmpty()) return;
    // The close goes on, but the user learns that this run's log was not recorded.
    qWarning() << failure;
    dialogs_.Message(QStringLiteral("The programming record was not saved!\r\n") + failure,
                     QStringLiteral("Hint"), common::MsgIcon::Exclamation, common::MsgButtons::Ok);
}

void ViewForm::EndPro_Click()
{
    endingWithoutRecord_ = true;
    MBTim->stop();
    endProgram();
}

void ViewForm::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

void ViewForm::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) Form_Resize();
}

void ViewForm::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    Form_Resize();
}

// The window manager moves the window when it frames it; only then is the frame known.
void ViewForm::moveEvent(QMoveEvent* event)
{
    QMainWindow::moveEvent(event);
    Form_Resize();
}

// Asked of the platform window each time: the widget's own frame geometry keeps the frame
// it last saw, which just after leaving maximized is still the maximized one.
QMargins ViewForm::WindowFrame() const
{
    return windowHandle() ? windowHandle()->frameMargins() : QMargins();
}

void ViewForm::Form_Resize()
{
    if (resizing_) return;
    const auto client = PinnedClientSize(windowState(), frameMargins());
    if (!client || size() == *client) return;
    resizing_ = true;
    resize(*client);
    resizing_ = false;
}

}  // namespace mainwin
