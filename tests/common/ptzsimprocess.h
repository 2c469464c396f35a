#pragma once

#include <QByteArray>
#include <QHash>
#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QProcess>
#include <QStringList>

class QTcpSocket;

// Runs the camera simulator (tavimorex-ptzsim) for a test: starts it on a set of 127.0.0.x addresses,
// waits until it is ready, collects its traffic log and talks to its control channel.
//
//     PtzSimProcess sim;
//     QVERIFY2(sim.start({"127.0.0.2"}), qPrintable(sim.errorString()));
//     ... let the code under test connect to 127.0.0.2:5678 ...
//     QVERIFY(sim.waitForRx("127.0.0.2", QByteArray::fromHex("8101060105050301ff")));
//     QCOMPARE(sim.control("127.0.0.2", "silent 9"), QString("OK silent 9"));
//
// Unless the extra arguments say otherwise the simulator listens for VISCA on 5678, for HTTP on 80 (the
// ports the camera code uses) and for control commands on DefaultControlPort.
class PtzSimProcess : public QObject
{
    Q_OBJECT

public:
    static constexpr quint16 DefaultControlPort = 5680;

    // One line of the simulator's log.
    struct LogEntry
    {
        qint64 msecs = 0;
        QString address;   // empty for READY
        QString event;     // RX, TX, CONNECT, DISCONNECT, HTTP, CONTROL, READY
        QString text;      // what follows the event word
        QByteArray packet; // the bytes of an RX or TX line
        QString line;      // the whole line
    };

    explicit PtzSimProcess(QObject *parent = nullptr);
    ~PtzSimProcess() override;

    // Starts the simulator and waits for its READY line. On failure returns false; errorString() then
    // holds the reason and whatever the simulator wrote on standard error.
    bool start(const QStringList &addresses, const QStringList &extraArgs = {}, int timeoutMs = 10000);
    // Terminates the simulator (SIGTERM, then kill) and waits for it; the log stays readable.
    void stop();
    bool isRunning() const;
    QString errorString() const { return m_error; }
    QString standardError() const { return QString::fromLocal8Bit(m_stderr); }
    // Exit code once the simulator has ended, also after stop() (-1 while running, after a crash or
    // when it never started).
    int exitCode() const;

    // Path of the simulator; by default the one built next to the tests.
    void setProgram(const QString &program) { m_program = program; }
    QString program() const { return m_program; }

    QStringList addresses() const { return m_addresses; }
    quint16 viscaPort() const { return m_viscaPort; }
    quint16 httpPort() const { return m_httpPort; }
    quint16 controlPort() const { return m_controlPort; }

    QList<LogEntry> log() const { return m_log; }
    QStringList logLines() const;
    // Entries of one address and event ("RX", "CONNECT", ...), oldest first.
    QList<LogEntry> entries(const QString &address, const QString &event) const;
    // Whole packets received from / sent to clients of one camera, in order.
    QList<QByteArray> rxPackets(const QString &address) const;
    QList<QByteArray> txPackets(const QString &address) const;
    // Log time stamps (msecs since epoch) of the received packets, parallel to rxPackets().
    QList<qint64> rxTimestamps(const QString &address) const;
    int countRx(const QString &address, const QByteArray &packet) const;
    int countEvents(const QString &address, const QString &event) const;

    // True as soon as the packet has been received count times since the last clearLog().
    bool waitForRx(const QString &address, const QByteArray &packet, int timeoutMs = 5000, int count = 1);
    bool waitForTx(const QString &address, const QByteArray &packet, int timeoutMs = 5000, int count = 1);
    // True as soon as the event ("CONNECT", "DISCONNECT", "HTTP") has been logged count times.
    bool waitForEvent(const QString &address, const QString &event, int timeoutMs = 5000, int count = 1);
    // Forgets the log collected so far.
    void clearLog();

    // Sends one control command to a camera and returns the reply line ("OK ..." / "ERR ..."), or a
    // line starting "ERR (client)" when the simulator could not be reached in time. The connection
    // to each camera's control channel stays open between calls.
    QString control(const QString &address, const QString &command, int timeoutMs = 5000);
    // The camera state from the control command "state" (empty on failure).
    QJsonObject state(const QString &address, int timeoutMs = 5000);

    static LogEntry parseLine(const QString &line);

Q_SIGNALS:
    void lineLogged(const QString &line);
    void packetReceived(const QString &address, const QByteArray &packet);

private:
    void onStandardOutput();
    void onStandardError();
    void consumeOutput(const QByteArray &data);
    static quint16 portArgument(const QStringList &args, const QString &name, quint16 fallback);

    QProcess *m_process = nullptr;
    QHash<QString, QTcpSocket *> m_controlSockets; // one open control connection per camera
    QString m_program;
    QString m_error;
    QByteArray m_stdoutBuffer;
    QByteArray m_stderr;
    QList<LogEntry> m_log;
    QStringList m_addresses;
    bool m_ready = false;
    int m_exitCode = -1;
    quint16 m_viscaPort = 5678;
    quint16 m_httpPort = 80;
    quint16 m_controlPort = DefaultControlPort;
};
