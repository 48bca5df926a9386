#pragma once
// The real main window over temporary folders, a fixed clock, scripted dialogs and a
// fake serial port. The timer is stopped: tests tick by hand.

#include "main/ViewForm.h"
#include "main/WindowFakePort.h"
#include "main/WindowTables.h"

#include "common/DateText.h"
#include "support/ScriptedDialogs.h"
#include "support/TempFolder.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QMouseEvent>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

namespace testmain {

inline const QDateTime kFixedNow(QDate(2026, 12, 9), QTime(8, 5, 3));

class WindowFixture : public ::testing::Test {
protected:
    testsupport::TempFolder programFolder;
    testsupport::TempFolder homeFolder;
    common::AppEnvironment env;
    testsupport::ScriptedDialogs dialogs;
    mainwin::AppState state;
    WindowFakePort port;
    std::unique_ptr<mainwin::ViewForm> form;
    QDateTime now = kFixedNow;
    int endProgramCalls = 0;

    QString RecordFolder() const { return homeFolder.file(QStringLiteral("ProRecord(M0)")); }

    // Builds the window (not loaded, not shown).
    mainwin::ViewForm& Build()
    {
        env.programFolder = programFolder.path();
        env.portsFolder = programFolder.file(QStringLiteral("ports"));
        env.recordFolder = RecordFolder();
        env.now = [this] { return now; };
        form = std::make_unique<mainwin::ViewForm>(env, dialogs, state, port);
        form->MBTim->stop();
        form->endProgram = [this] { ++endProgramCalls; };
        return *form;
    }

    // Builds the window and runs its start-up, by default with both tables in place.
    mainwin::ViewForm& Load(bool withTables = true)
    {
        if (withTables) {
            WriteProtocolTable(programFolder, "Config.For", 64);
            WriteProtocolTable(programFolder, "Display.For", 72);
        }
        Build();
        form->Form_Load();
        form->MBTim->stop();
        return *form;
    }

    void TearDown() override
    {
        if (form) {
            form->endProgram = [] {};
            form->EndPro_Click();  // no record for the test's own teardown
        }
        form.reset();
    }

    // A mouse event delivered straight to a control, wherever it lies on the window.
    static void SendMouse(QWidget* control, QEvent::Type type, Qt::MouseButton button = Qt::NoButton)
    {
        const QPointF inside(2, 2);
        QMouseEvent event(type, inside, control->mapToGlobal(inside), button,
                          type == QEvent::MouseMove ? Qt::NoButton : Qt::MouseButtons(button),
                          Qt::NoModifier);
        QApplication::sendEvent(control, &event);
    }

    static void Click(QWidget* control, Qt::MouseButton button = Qt::LeftButton)
    {
        SendMouse(control, QEvent::MouseMove);
        SendMouse(control, QEvent::MouseButtonPress, button);
        SendMouse(control, QEvent::MouseButtonRelease, button);
    }
};

}  // namespace testmain
