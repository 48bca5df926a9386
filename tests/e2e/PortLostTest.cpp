// The device behind the open port goes away, as a USB adapter does when pulled out: the
// stand-in controller ends while the real window has its pseudo-terminal open.
#include "ProgrammingWindowFixture.h"

#include "main/ShapeControl.h"
#include "main/StatusBar.h"

#include <QFile>
#include <QLabel>

namespace {

// Write system calls this process has made so far.
long WriteCallsSoFar()
{
    QFile io(QStringLiteral("/proc/self/io"));
    if (!io.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : io.readAll().split('\n'))
        if (line.startsWith("syscw:")) return line.mid(6).trimmed().toLong();
    return -1;
}

class PortLost : public e2e::ProgrammingWindowFixture {
protected:
    // One tick of the window's timer, then the events of one tick period.
    void TimerTick()
    {
        form->MBTim_Timer();
        QTest::qWait(devlink::kTickIntervalMs);
    }

    // Timer ticks until `done` holds, at most `maxTicks`; how many it took (maxTicks + 1
    // when it never held).
    int TimerTicksUntil(const std::function<bool()>& done, int maxTicks)
    {
        for (int tick = 0; tick <= maxTicks; ++tick) {
            if (done()) return tick;
            TimerTick();
        }
        return done() ? maxTicks : maxTicks + 1;
    }
};

TEST_F(PortLost, TheWindowClosesThePortOnceStaysIdleAndOpensItAgainWhenTheDeviceIsBack)
{
    constexpr int kTicksInASecond = 1000 / devlink::kTickIntervalMs;
    const QString lostLine = QStringLiteral(" Serial port COM%1 lost").arg(e2e::kDevsimPort);
    StartWindow();
    ASSERT_FALSE(HasFatalFailure());
    LoadAndProgram(WriteImage("lost.BIN", 5000));
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(TickUntil([&] { return form->Programmer().ImageOffset >= 1024; }, 1000));

    devsim.Kill();
    EXPECT_LE(TimerTicksUntil([&] { return form->Command2->text() == "OpenUart"; }, 10 * kTicksInASecond),
              kTicksInASecond);
    // Closed the way the close button closes it, with the run cancelled.
    EXPECT_EQ(form->Command2->text(), "OpenUart");
    EXPECT_FALSE(port->PortOpen());
    EXPECT_EQ(form->Shape1->FillColor(), QColor(255, 0, 0));
    EXPECT_TRUE(Logged(" Cancel program"));
    EXPECT_EQ(form->Command4->text(), "Program");
    EXPECT_TRUE(form->PersLab->isHidden());

    // Idle: the tool writes to nothing any more (a port left open on a vanished device
    // fails thousands of writes a second).
    const long writesBefore = WriteCallsSoFar();
    ASSERT_GE(writesBefore, 0);
    for (int tick = 0; tick < kTicksInASecond; ++tick) TimerTick();
    EXPECT_LT(WriteCallsSoFar() - writesBefore, 2 * kTicksInASecond);
    EXPECT_EQ(form->SB->Panel(1), "Open port first！");
    EXPECT_EQ(Log().count(lostLine), 1);

    // The device is back: opening works as usual and the link is polled again.
    ASSERT_TRUE(devsim.Start()) << devsim.FailureReason().toStdString();
    form->Command2->click();
    ASSERT_EQ(form->Command2->text(), "CloseUart") << dialogs.MessageTexts().join("; ").toStdString();
    // The exchange cut off by the loss first ends by its limits.
    EXPECT_LE(TimerTicksUntil([&] { return form->SB->Panel(1) == "Link normal-run mode"; }, 400), 400);
    EXPECT_EQ(Log().count(lostLine), 1);
}

}  // namespace
