#pragma once
// Captions drawn in their designed boxes: where the installed font is wider than the
// designed one, a caption is drawn a little smaller rather than cut off.

#include <QList>
#include <QStringList>

class QWidget;

namespace mainwin {

// The width a control leaves for its caption, in pixels (check box: beside the indicator;
// button: inside its margins; label: all of it).
int CaptionRoom(const QWidget& control);

// Lowers the control's font size in half points until its caption, and each caption in
// `laterCaptions` it will show, fits its room, down to a smallest readable size.
void FitCaption(QWidget& control, const QStringList& laterCaptions = {});

// Gives the controls one font size, the largest at which every caption of them fits.
void FitCaptionsAlike(const QList<QWidget*>& controls);

}  // namespace mainwin
