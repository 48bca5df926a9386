#pragma once
// What chip programming and the Load File / Program buttons read and write in the main
// window. The window implements it; tests record the calls.

#include <QString>

namespace devlink {

class ProgrammingView {
public:
    virtual ~ProgrammingView() = default;

    // InfLab: its Caption, and its Width in twips.
    virtual void SetInfLabCaption(const QString& caption) = 0;
    virtual double InfLabWidth() const = 0;
    // PersLab, the progress bar behind InfLab. Both calls also clear its Caption. Showing
    // sets its Width (twips), makes it visible and sends it behind the other controls.
    virtual void ShowPersLab(double width) = 0;
    virtual void HidePersLab() = 0;

    // Command4, the Program/Stop button.
    virtual QString Command4Caption() const = 0;
    virtual void SetCommand4Caption(const QString& caption) = 0;
    virtual void FocusCommand4() = 0;
    virtual void SetCommand4Enabled(bool enabled) = 0;
    // Command3, the Load File button.
    virtual void SetCommand3Enabled(bool enabled) = 0;

    // Status-bar panel 1 (port and link state).
    virtual void SetLinkPanel(const QString& text) = 0;
    // AppendLog: the window adds date, blank and time before the message and CR LF after it.
    virtual void AppendLog(const QString& message) = 0;
    // Brings the setting grid MSFG(0) to the front.
    virtual void ShowSettingGrid() = 0;

    // Check boxes: Check1(1) "KeepInF", Check1(2) "CurrSet", Check1(3) "AutoLoad".
    virtual bool KeepInF() const = 0;
    virtual bool CurrSet() const = 0;
    virtual bool AutoLoad() const = 0;
    // ComboSet(5), the frame length box; its text as shown (it accepts typed text).
    virtual QString FrameLengthText() const = 0;
    // NotesTxt(2), the selected node's program file; NotesTxt(5), the order number.
    virtual QString NodeProgramFile() const = 0;
    virtual QString OrderNumber() const = 0;
};

// ShowProgress(InfLab, caption, PersLab, fraction): the caption in InfLab and the bar at
// `fraction` of InfLab's width less 20 twips, hidden at 0.
inline void ShowProgress(ProgrammingView& view, const QString& caption, double fraction)
{
    view.SetInfLabCaption(caption);
    if (fraction == 0)
        view.HidePersLab();
    else
        view.ShowPersLab((view.InfLabWidth() - 20) * fraction);
}

}  // namespace devlink
