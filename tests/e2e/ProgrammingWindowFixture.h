#pragma once
// The real window programming the stand-in controller over a pseudo-terminal: devsim on
// COM7 of a temporary ports folder, the window with a real QtSerialPort, scripted
// dialogs answering Load File, and the window's tick called by hand, paced by the line.

#include "DevsimFixture.h"
#include "LinePacer.h"

#include "main/AppState.h"
#include "main/LogBox.h"
#include "main/ViewForm.h"

#include "common/DateText.h"
#include "link/ChipProgrammer.h"
#include "link/QtSerialPort.h"
#include "support/ScriptedDialogs.h"
#include "support/TempFolder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

namespace e2e {

class ProgrammingWindowFixture : public ::testing::Test {
protected:
    static constexpr int kGenerousWaitMs = 10000;  // an upper bound only

    // Starts devsim with `options`, builds and loads the window, opens COM7; the window's
    // tick is then called by hand, paced by the line.
    void StartWindow(const QStringList& options = {})
    {
        BuildWindow(options);
        ASSERT_FALSE(HasFatalFailure());
        form->MBTim->stop();
        pacer = std::make_unique<LinePacer>(form->Link());
        pacer->Attach(*port);
        OpenCom7();
    }

    // The same with the window's own timer running, at the baud rate of `lineSettings`
    // (as "9600,n,8,1", the other fields being the boxes' defaults), which devsim paces
    // its line at too.
    void StartWindowOnItsTimer(const QString& lineSettings, const QStringList& options = {})
    {
        BuildWindow(QStringList{"--line", lineSettings} + options);
        ASSERT_FALSE(HasFatalFailure());
        form->ComboSet[1]->setCurrentText(lineSettings.section(',', 0, 0));
        OpenCom7();
    }

    void BuildWindow(const QStringList& options)
    {
        ASSERT_TRUE(devsim.Start(options)) << devsim.FailureReason().toStdString();
        env.programFolder = folder.path();
        env.portsFolder = devsim.temp.path();
        env.recordFolder = folder.file("ProRecord(M0)");
        env.now = [] { return QDateTime(QDate(2026, 12, 9), QTime(8, 5, 3)); };
        port = std::make_unique<devlink::QtSerialPort>(env.portsFolder, folder.file("no-devices"));
        form = std::make_unique<mainwin::ViewForm>(env, dialogs, state, *port);
        form->endProgram = [] {};
        form->Form_Load();  // no tables here: two messages, then the window
    }

    void OpenCom7()
    {
        form->ComboSet[0]->setCurrentText(QStringLiteral("COM%1").arg(kDevsimPort));
        form->Command2->click();
        ASSERT_EQ(form->Command2->text(), "CloseUart") << dialogs.MessageTexts().join("; ").toStdString();
    }

    void TearDown() override
    {
        if (form) form->EndPro_Click();
        form.reset();
    }

    void Tick()
    {
        form->MBTim_Timer();
        pacer->AfterTick();
    }

    // Ticks until `done` holds, at most `maxTicks` times; whether it held.
    bool TickUntil(const std::function<bool()>& done, int maxTicks)
    {
        for (int tick = 0; tick < maxTicks; ++tick) {
            if (done()) return true;
            Tick();
        }
        return done();
    }

    // An image file of `length` bytes with a blank record area at 1024, else a pattern.
    QString WriteImage(const QString& name, int length)
    {
        QByteArray bytes(length, 0);
        for (int i = 0; i < length; ++i) bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
        for (int i = 1024; i < 1074 && i < length; ++i) bytes[i] = static_cast<char>(0xFF);
        return folder.write(name, bytes);
    }

    // Load File through the scripted dialog, then Program.
    void LoadAndProgram(const QString& imagePath)
    {
        // The first tick with the port open enables Load File.
        if (pacer)
            Tick();
        else
            ASSERT_TRUE(QTest::qWaitFor([&] { return form->Command3->isEnabled(); }, kGenerousWaitMs));
        dialogs.fileAnswers.push_back(imagePath);
        form->Command3->click();
        ASSERT_TRUE(form->Command4->isEnabled()) << "Load File chose no image";
        form->Command4->click();
        ASSERT_EQ(form->Command4->text(), "Stop") << Log().toStdString();
    }

    QString Log() const { return form->RTB->Text(); }
    bool Logged(const QString& text) const { return Log().contains(text); }

    // Whole run bounds: a 32 KB image takes some 130 exchanges of about 4 ticks each.
    bool RunUntilBurnt(int chip, int maxTicks = 3000)
    {
        return TickUntil([&] { return Logged(BurntText(chip)); }, maxTicks);
    }

    static QString BurntText(int chip)
    {
        return QStringLiteral(" Has been successfully burning：%1 (chip) ").arg(chip);
    }

    // The prepared image as it should stand in flash from 0x08002000.
    QByteArray PreparedImage() const
    {
        return QByteArray(reinterpret_cast<const char*>(state.image.ImageData.data()), state.image.ImageLen);
    }

    // Requests of one command among those devsim recorded.
    QStringList Requests(const QString& commandByte, const QStringList& from) const
    {
        return from.filter(QRegularExpression(QStringLiteral("^01 %1 ").arg(commandByte)));
    }

    DevsimFixture devsim;
    testsupport::TempFolder folder;
    common::AppEnvironment env;
    testsupport::ScriptedDialogs dialogs;
    mainwin::AppState state;
    std::unique_ptr<devlink::QtSerialPort> port;
    std::unique_ptr<mainwin::ViewForm> form;
    std::unique_ptr<LinePacer> pacer;
};

}  // namespace e2e
