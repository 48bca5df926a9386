#include "image/BitInfForm.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace image {

namespace {

constexpr int kFormWidth = 400;
constexpr int kFormHeight = 206;
constexpr int kLabelLeft = 14;
constexpr int kLabelWidth = 100;
constexpr int kBoxLeft = 118;
constexpr int kBoxWidth = 266;
constexpr int kRowHeight = 24;
constexpr int kRowPitch = 32;
constexpr int kFirstRowTop = 14;
constexpr int kLineTop = kFirstRowTop + BitInfForm::kBoxCount * kRowPitch + 4;

}  // namespace

BitInfForm::BitInfForm(const ImageInfoRecord& imageInfo, QWidget* parent)
    : QDialog(parent), imageInfo_(imageInfo)
{
    setObjectName(QStringLiteral("BitInfForm"));
    setWindowTitle(QStringLiteral("Version Information"));
    setFixedSize(kFormWidth, kFormHeight);
    setModal(true);
    BuildControls();
}

void BitInfForm::BuildControls()
{
    AddRow(0, QStringLiteral("Device ID\uFF1A"), false);
    AddRow(1, QStringLiteral("Order ID\uFF1A"), false);
    AddRow(2, QStringLiteral("DateUpdated\uFF1A"), false);
    AddRow(kRemarkBox, QStringLiteral("Remark\uFF1A"), true);

    auto* line = new QFrame(this);
    line->setObjectName(QStringLiteral("Line1"));
    line->setGeometry(kLabelLeft, kLineTop, kFormWidth - 2 * kLabelLeft, 1);
    line->setAutoFillBackground(true);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, QColor(128, 128, 128));
    line->setPalette(palette);

    Command1_ = new QPushButton(QStringLiteral("Enter"), this);
    Command1_->setObjectName(QStringLiteral("Command1"));
    Command1_->setGeometry(kFormWidth - kLabelLeft - 90, kLineTop + 14, 90, 28);
    connect(Command1_, &QPushButton::clicked, this, &BitInfForm::Command1_Click);
}

void BitInfForm::AddRow(int index, const QString& label, bool editable)
{
    const int top = kFirstRowTop + index * kRowPitch;
    auto* caption = new QLabel(label, this);
    caption->setObjectName(QStringLiteral("Label1_%1").arg(index));
    caption->setGeometry(kLabelLeft, top, kLabelWidth, kRowHeight);
    caption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    auto* box = new QLineEdit(this);
    box->setObjectName(QStringLiteral("Text1_%1").arg(index));
    box->setGeometry(kBoxLeft, top, kBoxWidth, kRowHeight);
    box->setReadOnly(!editable);
    connect(box, &QLineEdit::textChanged, this, [this, index] { Text1_Change(index); });
    Text1_[index] = box;
}

void BitInfForm::FillFromImageInfo()
{
    Text1_[0]->setText(QString::number(imageInfo_.DeviceID));
    Text1_[2]->setText(FieldText(imageInfo_.DateUpdated));
    Text1_[1]->setText(FieldText(imageInfo_.OrderID));
}

void BitInfForm::Command1_Click()
{
    accept();
}

void BitInfForm::Text1_Change(int)
{
    QLineEdit* remark = Text1_[kRemarkBox];
    // Exact comparison: case counts and the whole text must be the code.
    if (remark->text() == kRemarkAccessCode)
        remark->setText(FieldText(imageInfo_.Remark));
}

void ShowVersionInformation(const ImageInfoRecord& imageInfo, QWidget* parent)
{
    BitInfForm window(imageInfo, parent);
    window.FillFromImageInfo();
    window.exec();
}

}  // namespace image
