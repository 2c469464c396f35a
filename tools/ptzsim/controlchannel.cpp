#include "controlchannel.h"

#include "camerahttpserver.h"
#include "simcamera.h"
#include "simlog.h"
#include "simulateddevice.h"
#include "viscaserver.h"

#include <QJsonDocument>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>

namespace {
constexpr int MaxLineBytes = 4096;

QString ok(const QString &detail = QString())
{
    return detail.isEmpty() ? QStringLiteral("OK") : QStringLiteral("OK ") + detail;
}

QString err(const QString &why)
{
    return QStringLiteral("ERR ") + why;
}

bool parseSwitch(const QString &text, bool *on)
{
    const QString value = text.toLower();
    if (value == QLatin1String("on") || value == QLatin1String("1") || value == QLatin1String("true")) {
        *on = true;
        return true;
    }
    if (value == QLatin1String("off") || value == QLatin1String("0") || value == QLatin1String("false")) {
        *on = false;
        return true;
    }
    return false;
}

QString onOff(bool on)
{
    return on ? QStringLiteral("on") : QStringLiteral("off");
}
} // namespace

ControlChannel::ControlChannel(const QHostAddress &address,
                               quint16 port,
                               SimulatedDevice *device,
                               QObject *parent)
    : QObject(parent), m_address(address), m_port(port), m_device(device), m_server(new QTcpServer(this))
{
    connect(m_server, &QTcpServer::newConnection, this, &ControlChannel::onNewConnection);
}

bool ControlChannel::start(QString *error)
{
    if (!m_server->listen(m_address, m_port)) {
        *error = QStringLiteral("cannot listen for control commands on %1:%2: %3")
                     .arg(m_address.toString())
                     .arg(m_port)
                     .arg(m_server->errorString());
        return false;
    }
    return true;
}

QString ControlChannel::helpText()
{
    return QStringLiteral(
        "silent <kinds|all|none>; delay <ms>; close-after <n|0>; refuse on|off; hangup on|off; drop; "
        "notices on|off; foreign on|off; interleave on|off; no-tally on|off; answers standard|short|long; "
        "http-status <code|0>; devconf default|<text>; send <hex bytes>; state; faults; connections; "
        "set <field> <value>; reset");
}

void ControlChannel::onNewConnection()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
        socket->setParent(this);
        m_buffers.insert(socket, QByteArray());
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            m_buffers.remove(socket);
            socket->deleteLater();
        });
    }
}

void ControlChannel::onReadyRead(QTcpSocket *socket)
{
    auto it = m_buffers.find(socket);
    if (it == m_buffers.end())
        return;
    it->append(socket->readAll());
    int end = 0;
    while ((end = it->indexOf('\n')) >= 0) {
        const QString line = QString::fromUtf8(it->left(end)).trimmed();
        it->remove(0, end + 1);
        if (line.isEmpty())
            continue;
        socket->write(execute(line).toUtf8() + '\n');
    }
    if (it->size() > MaxLineBytes) {
        it->clear();
        socket->write(err(QStringLiteral("line too long")).toUtf8() + '\n');
    }
}

QString ControlChannel::execute(const QString &line)
{
    SimLog::event(m_device->address(), QStringLiteral("CONTROL ") + line);
    static const QRegularExpression spaces(QStringLiteral("\\s+"));
    const QStringList words = line.trimmed().split(spaces, Qt::SkipEmptyParts);
    if (words.isEmpty())
        return err(QStringLiteral("empty command"));
    const QString command = words.first().toLower();
    const QStringList args = words.mid(1);
    FaultModes &faults = m_device->faults();
    QString error;

    auto needArgs = [&](int count, const QString &usage) {
        if (args.size() == count)
            return true;
        error = QStringLiteral("usage: ") + usage;
        return false;
    };
    auto switchCommand = [&](bool *flag) -> QString {
        bool on = false;
        if (!needArgs(1, command + QStringLiteral(" on|off")))
            return err(error);
        if (!parseSwitch(args.first(), &on))
            return err(QStringLiteral("%1 takes on or off, not \"%2\"").arg(command, args.first()));
        *flag = on;
        return ok(command + QLatin1Char(' ') + onOff(on));
    };
    auto numberArgument = [&](int minimum, int maximum, int *value) {
        bool isNumber = false;
        *value = args.first().toInt(&isNumber);
        if (!isNumber || *value < minimum || *value > maximum) {
            error = QStringLiteral("%1 takes a number %2..%3, not \"%4\"")
                        .arg(command)
                        .arg(minimum)
                        .arg(maximum)
                        .arg(args.first());
            return false;
        }
        return true;
    };

    if (command == QLatin1String("help"))
        return ok(helpText());
    if (command == QLatin1String("silent")) {
        if (!needArgs(1, QStringLiteral("silent <kind[,kind...]|all|none>")))
            return err(error);
        QSet<int> kinds;
        if (!FaultModes::parseSilentKinds(args.first(), &kinds, &error))
            return err(error);
        faults.silentKinds = kinds;
        return ok(QStringLiteral("silent ") + args.first().toLower());
    }
    if (command == QLatin1String("delay")) {
        int value = 0;
        if (!needArgs(1, QStringLiteral("delay <ms>")) || !numberArgument(0, 600000, &value))
            return err(error);
        faults.delayMs = value;
        return ok(QStringLiteral("delay %1").arg(value));
    }
    if (command == QLatin1String("close-after")) {
        int value = 0;
        if (!needArgs(1, QStringLiteral("close-after <n|0>")) || !numberArgument(0, 1000000, &value))
            return err(error);
        faults.closeAfter = value;
        return ok(QStringLiteral("close-after %1").arg(value));
    }
    if (command == QLatin1String("refuse")) {
        const QString reply = switchCommand(&faults.refuse);
        if (reply.startsWith(QLatin1String("ERR")))
            return reply;
        if (!m_device->viscaServer()->updateListening(&error))
            return err(error);
        return reply;
    }
    if (command == QLatin1String("hangup"))
        return switchCommand(&faults.hangup);
    if (command == QLatin1String("no-tally"))
        return switchCommand(&faults.noTally);
    if (command == QLatin1String("notices"))
        return switchCommand(&faults.notices);
    if (command == QLatin1String("foreign"))
        return switchCommand(&faults.foreign);
    if (command == QLatin1String("interleave"))
        return switchCommand(&faults.interleave);
    if (command == QLatin1String("drop")) {
        if (!needArgs(0, QStringLiteral("drop")))
            return err(error);
        return ok(QStringLiteral("dropped %1").arg(m_device->viscaServer()->dropConnections()));
    }
    if (command == QLatin1String("answers")) {
        if (!needArgs(1, QStringLiteral("answers standard|short|long")))
            return err(error);
        if (!FaultModes::parseAnswerForm(args.first(), &faults.answerForm, &error))
            return err(error);
        return ok(QStringLiteral("answers ") + FaultModes::answerFormName(faults.answerForm));
    }
    if (command == QLatin1String("http-status")) {
        int value = 0;
        if (!needArgs(1, QStringLiteral("http-status <code|0>")) || !numberArgument(0, 599, &value))
            return err(error);
        if (value != 0 && value < 100)
            return err(QStringLiteral("http-status takes 0 or a status 100..599"));
        faults.httpStatus = value;
        return ok(QStringLiteral("http-status %1").arg(value));
    }
    if (command == QLatin1String("send")) {
        if (args.isEmpty())
            return err(QStringLiteral("usage: send <hex bytes>"));
        const QByteArray hex = args.join(QString()).toLatin1();
        static const QRegularExpression hexDigits(QStringLiteral("^([0-9a-fA-F]{2})+$"));
        if (!hexDigits.match(QString::fromLatin1(hex)).hasMatch())
            return err(QStringLiteral("send takes hex bytes, e.g. send 90 50 02 ff"));
        return ok(
            QStringLiteral("sent to %1").arg(m_device->viscaServer()->sendRaw(QByteArray::fromHex(hex))));
    }
    if (command == QLatin1String("devconf")) {
        // The rest of the line as typed, with \n and \r standing for line breaks.
        const QString rest = line.trimmed().mid(command.size()).trimmed();
        if (rest.isEmpty())
            return err(QStringLiteral("usage: devconf default|<text with \\n between lines>"));
        if (rest == QLatin1String("default")) {
            m_device->httpServer()->setDeviceConfiguration(QByteArray());
            return ok(QStringLiteral("devconf default"));
        }
        QString text = rest;
        text.replace(QLatin1String("\\n"), QLatin1String("\n"))
            .replace(QLatin1String("\\r"), QLatin1String("\r"));
        m_device->httpServer()->setDeviceConfiguration(text.toUtf8());
        return ok(QStringLiteral("devconf %1 bytes").arg(text.toUtf8().size()));
    }
    if (command == QLatin1String("state")) {
        return ok(
            QString::fromUtf8(QJsonDocument(m_device->camera()->toJson()).toJson(QJsonDocument::Compact)));
    }
    if (command == QLatin1String("faults")) {
        return ok(QString::fromUtf8(QJsonDocument(faults.toJson()).toJson(QJsonDocument::Compact)));
    }
    if (command == QLatin1String("reset")) {
        if (!needArgs(0, QStringLiteral("reset")))
            return err(error);
        if (!m_device->reset(&error))
            return err(error);
        return ok(QStringLiteral("reset"));
    }
    if (command == QLatin1String("connections"))
        return ok(QString::number(m_device->viscaServer()->connectionCount()));
    if (command == QLatin1String("set")) {
        if (!needArgs(2, QStringLiteral("set <field> <value>")))
            return err(error);
        if (!m_device->camera()->setField(args.at(0), args.at(1), &error))
            return err(error);
        return ok(QStringLiteral("%1 %2").arg(args.at(0).toLower(), args.at(1)));
    }
    return err(QStringLiteral("unknown command \"%1\"; commands: %2").arg(command, helpText()));
}
