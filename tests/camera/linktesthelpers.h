#pragma once

#include <QByteArray>
#include <QList>
#include <QSignalSpy>
#include <QStringList>
#include <QTest>

// Small pieces shared by the link tests of IPCamera against the simulator.
namespace LinkTest {

inline QByteArray bytes(const char *hex)
{
    return QByteArray::fromHex(QByteArray(hex));
}

// The first polling inquiries: seeing them means the link has been up for a while.
inline const QList<QByteArray> PollingOrder{bytes("81 09 04 47 FF"), bytes("81 09 04 48 FF"),
                                            bytes("81 09 04 38 FF")};

// The automatic stops every opened link starts with: pan-tilt (at the speeds given), zoom, focus.
inline QList<QByteArray> linkStops(const char *panTiltSpeeds = "05 05")
{
    return {QByteArray::fromHex(QByteArray("81 01 06 01 ") + panTiltSpeeds + " 03 03 FF"),
            bytes("81 01 04 07 00 FF"), bytes("81 01 04 08 00 FF")};
}

inline bool waitConnected(QSignalSpy &connected, int count = 1, int timeout = 5000)
{
    return QTest::qWaitFor([&] { return connected.count() >= count; }, timeout) && connected.count() == count;
}

inline QStringList statesOf(const QSignalSpy &spy)
{
    QStringList states;
    for (const QList<QVariant> &args : spy)
        states.append(args.at(0).toString());
    return states;
}

} // namespace LinkTest
