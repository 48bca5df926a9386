#pragma once
// The window's background picture, drawn in code: faint traces of a circuit board on a
// light ground, repeated over the window. It stays so light that every text drawn over it
// reads as well as on a plain window.

#include <QPixmap>
#include <QWidget>

namespace mainwin {

// One tile of the picture; tiles join seamlessly side by side and top to bottom.
QPixmap BackgroundTile();

// A plain container whose background is the picture.
class BackgroundArea : public QWidget {
public:
    explicit BackgroundArea(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap tile_;
};

}  // namespace mainwin
