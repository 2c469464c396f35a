#include "simlog.h"

#include <QDateTime>

#include <cstdio>

Q_LOGGING_CATEGORY(lcPtzSim, "tavimorex.ptzsim")

void SimLog::event(const QString &address, const QString &text)
{
    writeLine(QByteArray::number(QDateTime::currentMSecsSinceEpoch()) + ' ' + address.toLatin1() + ' '
              + text.toUtf8());
}

void SimLog::received(const QString &address, const QByteArray &packet)
{
    event(address, QStringLiteral("RX ") + QString::fromLatin1(hex(packet)));
}

void SimLog::sent(const QString &address, const QByteArray &packet)
{
    event(address, QStringLiteral("TX ") + QString::fromLatin1(hex(packet)));
}

void SimLog::ready()
{
    writeLine(QByteArray::number(QDateTime::currentMSecsSinceEpoch()) + " READY");
}

QByteArray SimLog::hex(const QByteArray &bytes)
{
    return bytes.toHex(' ');
}

void SimLog::writeLine(const QByteArray &line)
{
    // One write per line and a flush, so a reader on a pipe never sees half a line for long.
    const QByteArray withNewline = line + '\n';
    std::fwrite(withNewline.constData(), 1, size_t(withNewline.size()), stdout);
    std::fflush(stdout);
}
