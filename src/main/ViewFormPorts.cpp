// The six port boxes, open/close of the port and AutoDetect.
#include "main/ViewForm.h"

#include "main/ShapeControl.h"
#include "main/StatusBar.h"

#include "common/Dialogs.h"
#include "link/LinkExchange.h"
#include "link/PortSettings.h"
#include "link/SerialPort.h"

#include <QComboBox>
#include <QPushButton>

namespace mainwin {

namespace {

const QString kOpenCaption = QStringLiteral("OpenUart");
const QString kCloseCaption = QStringLiteral("CloseUart");
const QString kStopCaption = QStringLiteral("Stop");
const QColor kLampOpen(0, 255, 0);
const QColor kLampClosed(255, 0, 0);
const QColor kLampRefused(250, 0, 0);  // also the start-up colour

QStringList PortList()
{
    QStringList ports;
    for (int n = 1; n <= 30; ++n) ports << QStringLiteral("COM%1").arg(n);
    return ports;
}

void FillBox(QComboBox* box, const QStringList& entries)
{
    box->clear();
    box->addItems(entries);
}

// Runs one step of AutoDetect; a failing step is skipped.
template <typename Step>
void Skipping(Step step)
{
    try {
        step();
    } catch (const std::exception&) {
    }
}

}  // namespace

void ViewForm::FillPortBoxes()
{
    FillBox(ComboSet[0], PortList());
    ComboSet[0]->setCurrentIndex(3);
    FillBox(ComboSet[1], {QStringLiteral("57600"), QStringLiteral("9600"), QStringLiteral("1200")});
    ComboSet[1]->setCurrentText(QStringLiteral("57600"));
    FillBox(ComboSet[2], {QStringLiteral("None"), QStringLiteral("Odd"), QStringLiteral("Even")});
    ComboSet[2]->setCurrentText(QStringLiteral("None"));
    FillBox(ComboSet[3], {QStringLiteral("4"), QStringLiteral("5"), QStringLiteral("6"),
                          QStringLiteral("7"), QStringLiteral("8")});
    ComboSet[3]->setCurrentIndex(4);
    FillBox(ComboSet[4], {QStringLiteral("1"), QStringLiteral("2")});
    ComboSet[4]->setCurrentIndex(0);
    FillBox(ComboSet[5], {QStringLiteral("512"), QStringLiteral("256"), QStringLiteral("128"),
                          QStringLiteral("64"), QStringLiteral("32"), QStringLiteral("16")});
    ComboSet[5]->setCurrentText(QStringLiteral("512"));
}

void ViewForm::ConnectPortHandlers()
{
    for (int i = 0; i < 6; ++i) {
        connect(ComboSet[i], &QComboBox::editTextChanged, this, [this, i] { ComboSet_Change(i); });
        connect(ComboSet[i], &QComboBox::activated, this, [this, i] { ComboSet_Change(i); });
    }
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
}

void ViewForm::SetLamp(const QColor& color) { Shape1->SetFillColor(color); }

void ViewForm::ComboSet_Change(int)
{
    if (Command2->text() == kCloseCaption) Command2_Click();
}

void ViewForm::Command2_Click()
{
    try {
        if (Command2->text() == kOpenCaption)
            OpenPort();
        else
            ClosePort();
    } catch (const std::exception&) {
        dialogs_.Message(QStringLiteral("Serial port error！"), QStringLiteral("Hint"),
                         common::MsgIcon::Exclamation, common::MsgButtons::Ok);
    }
}

void ViewForm::OpenPort()
{
    const QString settings =
        devlink::SettingsString(ComboSet[1]->currentText(), ComboSet[2]->currentText(),
                                ComboSet[3]->currentText(), ComboSet[4]->currentText());
    const auto portNumber = devlink::PortNumberFromText(ComboSet[0]->currentText());
    if (!portNumber) throw devlink::SerialError("no port number in the port text");
    devlink::ApplyOpenProperties(MBMC_, *portNumber, settings);

    if (MBMC_.PortOpen()) {
        // Names the port that was asked for. The control raised no error on the way here,
        // so the pending error number is 0.
        dialogs_.Message(QStringLiteral("Cann't connect to COM%1,The Error No. is0").arg(*portNumber),
                         QString(), common::MsgIcon::None, common::MsgButtons::Ok);
        SetLamp(kLampRefused);
        return;
    }
    MBMC_.SetPortOpen(true);
    Command2->setText(kCloseCaption);
    SetLamp(kLampOpen);
    SB->SetPanel(1, QStringLiteral("Serial uart has ben Opened"));
}

void ViewForm::ClosePort()
{
    if (MBMC_.PortOpen()) {
        MBMC_.SetPortOpen(false);
        SB->SetPanel(1, QStringLiteral("Serial uart has ben closed"));
    }
    link_->Abandon();
    Command2->setText(kOpenCaption);
    SetLamp(kLampClosed);
    ShowProgress(0);
    if (Command4->text() == kStopCaption) AppendLog(QStringLiteral(" Cancel program"));
    CancelProgramming();
}

// The device went away with the port open (an adapter pulled out). The port has closed
// itself already; the window follows as if the close button had been pressed.
void ViewForm::PortLost()
{
    AppendLog(QStringLiteral(" Serial port COM%1 lost").arg(MBMC_.CommPort()));
    if (Command2->text() == kCloseCaption) Command2_Click();
}

void ViewForm::Command1_Click()
{
    Skipping([this] { MBMC_.SetPortOpen(false); });
    link_->Abandon();
    Command2->setText(kOpenCaption);
    SetLamp(kLampClosed);
    ComboSet[0]->clear();
    ComboSet[0]->addItems(devlink::DetectOpenablePorts(MBMC_, 1, 20));
    if (ComboSet[0]->count() > 0) ComboSet[0]->setCurrentIndex(0);
    Command2->setText(kOpenCaption);
    SetLamp(kLampClosed);
    if (Command4->text() == kStopCaption) AppendLog(QStringLiteral(" Cancel burning"));
    ShowProgress(0);
    CancelProgramming();
}

}  // namespace mainwin
