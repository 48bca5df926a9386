#pragma once
// The Version Information window: the image information block read back from a
// controller, and its stored remark for a user who types the access code.

#include "image/ImageTypes.h"

#include <QDialog>
#include <QString>
#include <array>

class QLineEdit;
class QPushButton;

namespace image {

inline const QString kRemarkAccessCode = QStringLiteral("wrnqe");

class BitInfForm : public QDialog {
    Q_OBJECT
public:
    static constexpr int kBoxCount = 4;
    static constexpr int kRemarkBox = 3;

    // `imageInfo` is the program's record; it must outlive the window. Its remark is
    // read when the access code is typed, not when the window is built.
    explicit BitInfForm(const ImageInfoRecord& imageInfo, QWidget* parent = nullptr);

    // Boxes 0 to 2 from the record: the device ID in decimal, the order number and the
    // date as their fields hold them (FieldText), empty for a blank board.
    void FillFromImageInfo();

    // The "Enter" button: closes the window.
    void Command1_Click();

    // Any box changed: the access code in the remark box becomes the stored remark.
    void Text1_Change(int index);

    QLineEdit* Text1(int index) const { return Text1_.at(index); }

private:
    void BuildControls();
    void AddRow(int index, const QString& label, bool editable);

    const ImageInfoRecord& imageInfo_;
    std::array<QLineEdit*, kBoxCount> Text1_{};
    QPushButton* Command1_ = nullptr;
};

// Builds a new window, fills it from `imageInfo` and shows it modally; the window is
// gone when this returns, so every read starts from the design texts.
void ShowVersionInformation(const ImageInfoRecord& imageInfo, QWidget* parent);

}  // namespace image
