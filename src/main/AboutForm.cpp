#include "main/AboutForm.h"

#include "main/AboutMenu.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

namespace mainwin {

namespace {

constexpr int kFormWidth = 430;
constexpr int kFormHeight = 250;
constexpr int kTextLeft = 20;
constexpr int kTextWidth = kFormWidth - 2 * kTextLeft;
constexpr int kSeparatorTop = 176;

QString ContactText()
{
    return kMakerWebAddress + QStringLiteral("      Fed back\uFF1A") + kMakerFeedbackNumber;
}

}  // namespace

QString VersionLabelText(int major, int minor, int revision)
{
    return QStringLiteral("Zevo %1.%2.%3").arg(major).arg(minor).arg(revision);
}

QString ProgramVersionLabelText()
{
    return VersionLabelText(TOLVEXAN_VERSION_MAJOR, TOLVEXAN_VERSION_MINOR,
                            TOLVEXAN_VERSION_PATCH);
}

frmAbout::frmAbout(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About Burning"));
    setFixedSize(kFormWidth, kFormHeight);
    setModal(true);
    BuildControls();
    Form_Load();
}

void frmAbout::BuildControls()
{
    QLabel* title = AddLabel("lblTitle", QStringLiteral("Burning"), {kTextLeft, 14, kTextWidth, 30});
    QFont titleFont = title->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.6);
    titleFont.setBold(true);
    title->setFont(titleFont);

    lblVersion_ = AddLabel("lblVersion", QStringLiteral("Zevo V2.0"), {kTextLeft, 46, kTextWidth, 20});
    AddLabel("lblDescription", QStringLiteral("Application Descriptor:"), {kTextLeft, 74, kTextWidth, 20});
    QLabel* description = AddLabel(
        "lblDescriptionText",
        QStringLiteral("Corvak electric process parameters setting and square wave controller "
                       "download sequence instrument line."),
        {kTextLeft, 94, kTextWidth, 40});
    description->setWordWrap(true);
    AddLabel("lblContact", ContactText(), {kTextLeft, 144, kTextWidth, 20});

    // Grey over white: an etched separator under the text.
    AddLine("LineGrey", QColor(128, 128, 128), kSeparatorTop);
    AddLine("LineWhite", QColor(255, 255, 255), kSeparatorTop + 1);

    AddLabel("lblDisclaimer", kMakerCompanyName, {kTextLeft, 190, 260, 40});

    cmdOK_ = new QPushButton(QStringLiteral("OK"), this);
    cmdOK_->setObjectName(QStringLiteral("cmdOK"));
    cmdOK_->setGeometry(kFormWidth - kTextLeft - 90, 196, 90, 26);
    cmdOK_->setDefault(true);
    connect(cmdOK_, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
}

QLabel* frmAbout::AddLabel(const char* name, const QString& text, const QRect& place)
{
    auto* label = new QLabel(text, this);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(place);
    return label;
}

void frmAbout::AddLine(const char* name, const QColor& colour, int top)
{
    auto* line = new QFrame(this);
    line->setObjectName(QString::fromLatin1(name));
    line->setGeometry(kTextLeft, top, kTextWidth, 1);
    line->setAutoFillBackground(true);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, colour);
    line->setPalette(palette);
}

void frmAbout::Form_Load()
{
    setWindowTitle(QStringLiteral("About ") + kProgramTitle);
    lblVersion_->setText(ProgramVersionLabelText());
}

void frmAbout::cmdOK_Click()
{
    accept();
}

}  // namespace mainwin
