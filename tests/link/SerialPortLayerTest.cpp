#include "link/LineSettings.h"
#include "link/PortDeviceMap.h"
#include "link/QtSerialPort.h"
#include "support/TempFolder.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace devlink;

namespace {

TEST(PortDeviceMap, PortsFolderFirstThenUsbAdaptersThenBuiltInPortsInNumericOrder)
{
    testsupport::TempFolder temp;
    QDir(temp.path()).mkpath("dev");
    QDir(temp.path()).mkpath("ports");
    const QString dev = temp.file("dev");
    for (const char* name : {"ttyS0", "ttyS10", "ttyS2", "ttyACM0", "ttyUSB1", "ttyUSB0", "ttyUSB10", "ttyUSBx", "tty0"})
        temp.write(QStringLiteral("dev/") + name, {});
    const QStringList expected = {dev + "/ttyUSB0", dev + "/ttyUSB1", dev + "/ttyUSB10", dev + "/ttyACM0",
                                  dev + "/ttyS0",   dev + "/ttyS2",   dev + "/ttyS10"};
    EXPECT_EQ(NumberedSerialDevices(dev), expected);

    const QString ports = temp.file("ports");
    EXPECT_EQ(PortDevicePath(1, ports, dev), dev + "/ttyUSB0");
    EXPECT_EQ(PortDevicePath(5, ports, dev), dev + "/ttyS0");
    EXPECT_EQ(PortDevicePath(7, ports, dev), dev + "/ttyS10");
    EXPECT_EQ(PortDevicePath(8, ports, dev), QString());
    EXPECT_EQ(PortDevicePath(0, ports, dev), QString());

    // A link in the ports folder wins and is followed to its device.
    ASSERT_TRUE(QFile::link(dev + "/ttyS2", ports + "/COM1"));
    EXPECT_EQ(PortDevicePath(1, ports, dev), dev + "/ttyS2");
    temp.write("ports/COM3", {});
    EXPECT_EQ(PortDevicePath(3, ports, dev), ports + "/COM3");
    // A dangling link names nothing; the numbering does not step in for it.
    ASSERT_TRUE(QFile::link(dev + "/gone", ports + "/COM2"));
    EXPECT_EQ(PortDevicePath(2, ports, dev), QString());
}

TEST(LineSettings, ParsesTheFourFields)
{
    const LineSettings s = ParseLineSettings("57600,n,8,1");
    EXPECT_EQ(s.baudRate, 57600);
    EXPECT_EQ(s.parity, QSerialPort::NoParity);
    EXPECT_EQ(s.dataBits, QSerialPort::Data8);
    EXPECT_EQ(s.stopBits, QSerialPort::OneStop);
    const std::vector<std::pair<QString, QSerialPort::Parity>> parities = {
        {"9600,E,7,2", QSerialPort::EvenParity}, {"9600,o,8,1", QSerialPort::OddParity},
        {"9600,m,8,1", QSerialPort::MarkParity}, {"9600,s,8,1.5", QSerialPort::SpaceParity}};
    for (const auto& [text, parity] : parities) EXPECT_EQ(ParseLineSettings(text).parity, parity) << text.toStdString();
    EXPECT_EQ(ParseLineSettings("9600,E,7,2").stopBits, QSerialPort::TwoStop);
    EXPECT_EQ(ParseLineSettings("9600,s,8,1.5").stopBits, QSerialPort::OneAndHalfStop);
}

TEST(LineSettings, RefusesMalformedTexts)
{
    for (const char* text : {"", "57600", "57600,8,1", "57600,x,8,1", "57600,,8,1", "57600,8,1", "abc,n,8,1",
                             "0,n,8,1", "57600,n,9,1", "57600,n,4,1", "57600,n,8,3", "57600,n,8,1,1", "57600,no,8,1"}) {
        EXPECT_THROW(ParseLineSettings(text), SerialError) << text;
    }
}

TEST(QtSerialPort, RefusesBadSettingsAndMissingDevices)
{
    testsupport::TempFolder temp;
    QtSerialPort port(temp.path(), temp.path());
    port.SetSettings("57600,n,8,1");
    EXPECT_THROW(port.SetSettings("57600,q,8,1"), SerialError);
    EXPECT_EQ(port.Settings(), "57600,n,8,1");  // a refused text leaves the settings as they were
    EXPECT_THROW(port.SetCommPort(0), SerialError);
    port.SetCommPort(4);
    EXPECT_THROW(port.SetPortOpen(true), SerialError);  // COM4 names no device
    EXPECT_FALSE(port.PortOpen());
    temp.write("COM4", "not a terminal");
    EXPECT_THROW(port.SetPortOpen(true), SerialError);
    EXPECT_FALSE(port.PortOpen());
    EXPECT_THROW(port.Output({0x01}), SerialError);
    EXPECT_THROW(port.Input(), SerialError);
    EXPECT_NO_THROW(port.SetPortOpen(false));
}

}  // namespace
