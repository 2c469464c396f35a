#include "ptzsimprocess.h"

#include <QEventLoop>
#include <QJsonDocument>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

#ifndef TAVIMOREX_BIN_DIR
#define TAVIMOREX_BIN_DIR "."
#endif

PtzSimProcess::PtzSimProcess(QObject *parent)
    : QObject(parent), m_program(QStringLiteral(TAVIMOREX_BIN_DIR "/tavimorex-ptzsim"))
{}

PtzSimProcess::~PtzSimProcess()
{
    stop();
}

quint16 PtzSimProcess::portArgument(const QStringList &args, const QString &name, quint16 fallback)
{
    const QString option = QStringLiteral("--") + name;
    for (int i = 0; i < args.size(); ++i) {
        if (args.at(i) == option && i + 1 < args.size())
            return quint16(args.at(i + 1).toUInt());
        if (args.at(i).startsWith(option + QLatin1Char('=')))
            return quint16(args.at(i).mid(option.size() + 1).toUInt());
    }
    return fallback;
}

bool PtzSimProcess::start(const QStringList &addresses, const QStringList &extraArgs, int timeoutMs)
{
    stop();
    m_error.clear();
    m_stderr.clear();
    m_stdoutBuffer.clear();
    m_log.clear();
    m_ready = false;
    m_exitCode = -1;
    m_addresses = addresses;
    m_viscaPort = portArgument(extraArgs, QStringLiteral("visca-port"), 5678);
    m_httpPort = portArgument(extraArgs, QStringLiteral("http-port"), 80);
    m_controlPort = portArgument(extraArgs, QStringLiteral("control-port"), DefaultControlPort);

    QStringList args = extraArgs;
    if (portArgument(extraArgs, QStringLiteral("control-port"), 0) == 0
        && m_controlPort == DefaultControlPort)
        args << QStringLiteral("--control-port") << QString::number(DefaultControlPort);
    args << addresses;

    m_process = new QProcess(this);
    m_process->setProcessChannelMode(QProcess::SeparateChannels);
    connect(m_process, &QProcess::readyReadStandardOutput, this, &PtzSimProcess::onStandardOutput);
    connect(m_process, &QProcess::readyReadStandardError, this, &PtzSimProcess::onStandardError);
    m_process->start(m_program, args);
    if (!m_process->waitForStarted(timeoutMs)) {
        m_error = QStringLiteral("cannot start %1: %2").arg(m_program, m_process->errorString());
        delete m_process;
        m_process = nullptr;
        return false;
    }

    const bool ended = !QTest::qWaitFor(
        [this] { return m_ready || m_process->state() == QProcess::NotRunning; }, timeoutMs);
    if (m_ready)
        return true;
    if (ended) {
        m_error = QStringLiteral("no READY from the simulator within %1 ms").arg(timeoutMs);
    } else {
        m_process->waitForFinished(1000);
        onStandardError();
        m_error
            = QStringLiteral("the simulator ended (exit code %1) before READY").arg(m_process->exitCode());
    }
    if (!m_stderr.isEmpty())
        m_error += QStringLiteral(": ") + QString::fromLocal8Bit(m_stderr).trimmed();
    stop();
    return false;
}

void PtzSimProcess::stop()
{
    qDeleteAll(m_controlSockets);
    m_controlSockets.clear();
    if (!m_process)
        return;
    if (m_process->state() != QProcess::NotRunning) {
        m_process->terminate();
        if (!m_process->waitForFinished(5000)) {
            m_process->kill();
            m_process->waitForFinished(2000);
        }
    }
    onStandardOutput();
    onStandardError();
    m_ready = false;
    m_exitCode = m_process->exitStatus() == QProcess::NormalExit ? m_process->exitCode() : -1;
    m_process->disconnect(this);
    m_process->deleteLater();
    m_process = nullptr;
}

bool PtzSimProcess::isRunning() const
{
    return m_process && m_process->state() != QProcess::NotRunning;
}

int PtzSimProcess::exitCode() const
{
    if (!m_process)
        return m_exitCode;
    if (m_process->state() != QProcess::NotRunning || m_process->exitStatus() != QProcess::NormalExit)
        return -1;
    return m_process->exitCode();
}

void PtzSimProcess::onStandardOutput()
{
    if (m_process)
        consumeOutput(m_process->readAllStandardOutput());
}

void PtzSimProcess::onStandardError()
{
    if (m_process)
        m_stderr += m_process->readAllStandardError();
}

void PtzSimProcess::consumeOutput(const QByteArray &data)
{
    m_stdoutBuffer += data;
    int end = 0;
    while ((end = m_stdoutBuffer.indexOf('\n')) >= 0) {
        const QString line = QString::fromUtf8(m_stdoutBuffer.left(end)).trimmed();
        m_stdoutBuffer.remove(0, end + 1);
        if (line.isEmpty())
            continue;
        const LogEntry entry = parseLine(line);
        m_log.append(entry);
        if (entry.event == QLatin1String("READY"))
            m_ready = true;
        Q_EMIT lineLogged(line);
        if (entry.event == QLatin1String("RX"))
            Q_EMIT packetReceived(entry.address, entry.packet);
    }
}

PtzSimProcess::LogEntry PtzSimProcess::parseLine(const QString &line)
{
    LogEntry entry;
    entry.line = line;
    const QStringList words = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.size() < 2)
        return entry;
    entry.msecs = words.at(0).toLongLong();
    if (words.at(1) == QLatin1String("READY")) {
        entry.event = words.at(1);
        return entry;
    }
    entry.address = words.at(1);
    entry.event = words.value(2);
    entry.text = words.mid(3).join(QLatin1Char(' '));
    if (entry.event == QLatin1String("RX") || entry.event == QLatin1String("TX"))
        entry.packet = QByteArray::fromHex(entry.text.toLatin1());
    return entry;
}

QStringList PtzSimProcess::logLines() const
{
    QStringList lines;
    for (const LogEntry &entry : m_log)
        lines.append(entry.line);
    return lines;
}

QList<PtzSimProcess::LogEntry> PtzSimProcess::entries(const QString &address, const QString &event) const
{
    QList<LogEntry> result;
    for (const LogEntry &entry : m_log) {
        if (entry.address == address && entry.event == event)
            result.append(entry);
    }
    return result;
}

QList<QByteArray> PtzSimProcess::rxPackets(const QString &address) const
{
    QList<QByteArray> packets;
    for (const LogEntry &entry : entries(address, QStringLiteral("RX")))
        packets.append(entry.packet);
    return packets;
}

QList<QByteArray> PtzSimProcess::txPackets(const QString &address) const
{
    QList<QByteArray> packets;
    for (const LogEntry &entry : entries(address, QStringLiteral("TX")))
        packets.append(entry.packet);
    return packets;
}

QList<qint64> PtzSimProcess::rxTimestamps(const QString &address) const
{
    QList<qint64> stamps;
    for (const LogEntry &entry : entries(address, QStringLiteral("RX")))
        stamps.append(entry.msecs);
    return stamps;
}

int PtzSimProcess::countRx(const QString &address, const QByteArray &packet) const
{
    return int(rxPackets(address).count(packet));
}

int PtzSimProcess::countEvents(const QString &address, const QString &event) const
{
    return int(entries(address, event).size());
}

bool PtzSimProcess::waitForRx(const QString &address, const QByteArray &packet, int timeoutMs, int count)
{
    return QTest::qWaitFor([&] { return countRx(address, packet) >= count; }, timeoutMs);
}

bool PtzSimProcess::waitForTx(const QString &address, const QByteArray &packet, int timeoutMs, int count)
{
    return QTest::qWaitFor([&] { return txPackets(address).count(packet) >= count; }, timeoutMs);
}

bool PtzSimProcess::waitForEvent(const QString &address, const QString &event, int timeoutMs, int count)
{
    return QTest::qWaitFor([&] { return countEvents(address, event) >= count; }, timeoutMs);
}

void PtzSimProcess::clearLog()
{
    // Lines already written by the simulator but not yet read belong to the past as well.
    onStandardOutput();
    m_log.clear();
}

QString PtzSimProcess::control(const QString &address, const QString &command, int timeoutMs)
{
    // A local event loop (not a blocking wait) keeps the simulator's log pipe drained meanwhile.
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    timer.start(timeoutMs);

    QTcpSocket *socket = m_controlSockets.value(address);
    if (socket && socket->state() != QAbstractSocket::ConnectedState) {
        delete socket;
        socket = nullptr;
    }
    if (!socket) {
        socket = new QTcpSocket(this);
        m_controlSockets.insert(address, socket);
        connect(socket, &QTcpSocket::connected, &loop, &QEventLoop::quit);
        connect(socket, &QTcpSocket::errorOccurred, &loop, &QEventLoop::quit);
        socket->connectToHost(address, m_controlPort);
        if (socket->state() != QAbstractSocket::ConnectedState)
            loop.exec();
        if (socket->state() != QAbstractSocket::ConnectedState) {
            const QString reason = socket->errorString();
            m_controlSockets.remove(address);
            delete socket;
            return QStringLiteral("ERR (client) cannot reach the control channel %1:%2: %3")
                .arg(address)
                .arg(m_controlPort)
                .arg(reason);
        }
    }

    connect(socket, &QTcpSocket::readyRead, &loop, [&loop, socket] {
        if (socket->canReadLine())
            loop.quit();
    });
    connect(socket, &QTcpSocket::disconnected, &loop, &QEventLoop::quit);
    socket->write(command.toUtf8() + '\n');
    if (!socket->canReadLine())
        loop.exec();
    if (!socket->canReadLine()) {
        // A reply that comes later must not be taken for the answer to the next command.
        m_controlSockets.remove(address);
        delete socket;
        return QStringLiteral("ERR (client) no reply to \"%1\" within %2 ms").arg(command).arg(timeoutMs);
    }
    return QString::fromUtf8(socket->readLine()).trimmed();
}

QJsonObject PtzSimProcess::state(const QString &address, int timeoutMs)
{
    const QString reply = control(address, QStringLiteral("state"), timeoutMs);
    if (!reply.startsWith(QLatin1String("OK ")))
        return {};
    return QJsonDocument::fromJson(reply.mid(3).toUtf8()).object();
}
