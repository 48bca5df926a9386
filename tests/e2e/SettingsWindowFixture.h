#pragma once
// The real window with the shipped protocol tables, against the stand-in controller
// holding a valid setting block, with the picture menu clicked as the mouse clicks it.

#include "ProgrammingWindowFixture.h"

#include "main/StatusBar.h"
#include "params/SettingsBlock.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QMouseEvent>

namespace e2e {

class SettingsWindowFixture : public ProgrammingWindowFixture {
protected:
    // Copies the shipped tables into the program folder and writes the controller's
    // setting block (valid for the setting table); the devsim options that load it.
    QStringList WithTablesAndStoredSettings()
    {
        for (const char* name : {"Config.For", "Display.For"}) {
            const QString target = folder.file(name);
            QFile::remove(target);
            EXPECT_TRUE(QFile::copy(QStringLiteral(TOLVEXAN_SOURCE_DIR "/data/") + name, target));
        }
        constexpr int kSettingsDataLen = 96;  // the shipped setting table's block
        common::Bytes stored(kSettingsDataLen + 1, 0x21);
        common::WriteLE<int32_t>(stored, 20, kSettingsDataLen - 32);
        params::ProtoInfoRecord info;
        info.DataLen = kSettingsDataLen;
        EXPECT_EQ(params::StampBlockCrc(stored, info), 0);
        storedSettings = QByteArray(reinterpret_cast<const char*>(stored.data()), kSettingsDataLen);
        return {"--settings", folder.write("settings.bin", storedSettings)};
    }

    void ClickPictureEntry(int index)
    {
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(form->MenuImg[index], &release);
    }

    QString ResultPanel() const { return form->SB->Panel(2); }

    // Hand-driven ticks for at least `ms` of real time, so that late replies arrive.
    void TickFor(int ms)
    {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < ms) Tick();
    }

    QByteArray storedSettings;
};

}  // namespace e2e
