// What the window shows for the rest of the program: the log line, the progress bar, the
// programming reset, and the views of the link engine and of chip programming.
#include "main/ViewForm.h"

#include "main/LogBox.h"
#include "main/StatusBar.h"
#include "main/WindowLook.h"

#include "common/DateText.h"
#include "image/BitInfForm.h"
#include "link/ChipProgrammer.h"
#include "params/FlexGrid.h"
#include "params/GridColors.h"
#include "params/ParamDecoder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace mainwin {

void ViewForm::AppendLog(const QString& message)
{
    const QDateTime now = env_.now();
    RTB->AppendText(common::ShortDate(now.date()) + QLatin1Char(' ') + common::LongTime(now.time())
                    + message + QStringLiteral("\r\n"));
}

void ViewForm::ShowProgress(double fraction)
{
    devlink::ShowProgress(*this, state_.image.ImageFile, fraction);
}

void ViewForm::CancelProgramming() { programmer_->CancelRun(true); }

// The link engine's view.

void ViewForm::SetPanelText(int panel, const QString& text) { SB->SetPanel(panel, text); }

void ViewForm::SetCommand3Enabled(bool enabled) { Command3->setEnabled(enabled); }

void ViewForm::SetCommand4Enabled(bool enabled) { Command4->setEnabled(enabled); }

void ViewForm::ShowSetData()
{
    params::FillParamGrid(*MSFG[0], state_.params.SetData, state_.params.SetTable,
                          state_.params.ProtoInfo[0], dialogs_);
}

void ViewForm::ShowDispData()
{
    params::FillParamGrid(*MSFG[1], state_.params.DispData, state_.params.DispTable,
                          state_.params.ProtoInfo[1], dialogs_);
}

void ViewForm::SetMenuImg4Enabled(bool enabled) { MenuImg[4]->setEnabled(enabled); }

void ViewForm::SetSettingCellForeBlack() { MSFG[0]->SetCellForeColor(params::RGB(0, 0, 0)); }

void ViewForm::SetNotesTxt5(const QString& text) { static_cast<QLineEdit*>(NotesTxt[5])->setText(text); }

void ViewForm::ShowVersionWindow(const image::ImageInfoRecord& info)
{
    image::ShowVersionInformation(info, this);
}

// Chip programming's view.

void ViewForm::SetInfLabCaption(const QString& caption) { InfLab->setText(caption); }

double ViewForm::InfLabWidth() const { return InfLab->width() * double(kTwipsPerPx); }

void ViewForm::ShowPersLab(double width)
{
    PersLab->setText(QString());
    PersLab->resize(qMax(0, qRound(width / kTwipsPerPx)), PersLab->height());
    PersLab->setVisible(true);
    PersLab->lower();
}

void ViewForm::HidePersLab()
{
    PersLab->setText(QString());
    PersLab->setVisible(false);
}

QString ViewForm::Command4Caption() const { return Command4->text(); }

void ViewForm::SetCommand4Caption(const QString& caption) { Command4->setText(caption); }

void ViewForm::FocusCommand4() { Command4->setFocus(Qt::OtherFocusReason); }

void ViewForm::SetLinkPanel(const QString& text) { SB->SetPanel(1, text); }

void ViewForm::ShowSettingGrid() { BringGridToFront(0); }

bool ViewForm::KeepInF() const { return Check1[1]->isChecked(); }

bool ViewForm::CurrSet() const { return Check1[2]->isChecked(); }

bool ViewForm::AutoLoad() const { return Check1[3]->isChecked(); }

QString ViewForm::FrameLengthText() const { return ComboSet[5]->currentText(); }

QString ViewForm::NodeProgramFile() const { return static_cast<QLineEdit*>(NotesTxt[2])->text(); }

QString ViewForm::OrderNumber() const { return static_cast<QLineEdit*>(NotesTxt[5])->text(); }

}  // namespace mainwin
