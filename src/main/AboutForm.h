#pragma once
// The About box: program name, version, what the tool is for, and the maker's details.

#include <QDialog>
#include <QString>

class QLabel;
class QPushButton;

namespace mainwin {

inline const QString kProgramTitle = QStringLiteral("Tolvexan");

// "Zevo " and the version as major.minor.revision, each in decimal without padding.
QString VersionLabelText(int major, int minor, int revision);

// The version label text of this build.
QString ProgramVersionLabelText();

class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* parent = nullptr);

    // Sets the caption and the version label; the constructor runs it.
    void Form_Load();
    // The "OK" button: closes the box.
    void cmdOK_Click();

private:
    void BuildControls();
    QLabel* AddLabel(const char* name, const QString& text, const QRect& place);
    void AddLine(const char* name, const QColor& colour, int top);

    QLabel* lblVersion_ = nullptr;
    QPushButton* cmdOK_ = nullptr;
};

}  // namespace mainwin
