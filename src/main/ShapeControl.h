#pragma once
// A drawn shape on the window (the port lamp, the picture menu's hover frame). It takes
// no mouse input, so the controls under it keep theirs.

#include <QColor>
#include <QWidget>

namespace mainwin {

class ShapeControl : public QWidget {
public:
    enum class Kind { Circle, Rectangle };

    ShapeControl(Kind kind, QWidget* parent);

    void SetFillColor(const QColor& color);  // an invalid colour means no fill
    QColor FillColor() const { return fill_; }
    void SetBorderWidth(int width);
    int BorderWidth() const { return borderWidth_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Kind kind_;
    QColor fill_;
    int borderWidth_ = 1;
};

}  // namespace mainwin
