#include "fuzzsupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QFileInfo>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace FuzzSupport {

namespace {

void quietMessages(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    // Fatal messages still end the run (Qt aborts after the handler returns).
    if (type == QtFatalMsg || type == QtCriticalMsg)
        std::fprintf(stderr, "%s\n", qPrintable(message));
}

// The run's temporary folder, removed when the run ends normally (after a finding it stays, to look at).
char s_home[4096] = {};

void removeHome()
{
    std::error_code ignored;
    std::filesystem::remove_all(s_home, ignored);
}

} // namespace

QString prepareEnvironment(const char *targetName)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Memory-backed when possible: the settings store syncs its file to disk on every write.
    QByteArray base = qgetenv("TMPDIR");
    if (base.isEmpty())
        base = QFileInfo(QStringLiteral("/dev/shm")).isWritable() ? QByteArray("/dev/shm")
                                                                  : QByteArray("/tmp");
    QByteArray pattern = base + "/tavimorex-" + targetName + "-XXXXXX";
    if (!::mkdtemp(pattern.data()))
        fail(QStringLiteral("cannot create a temporary folder below ") + QString::fromLocal8Bit(base));
    const QString home = QString::fromLocal8Bit(pattern);
    if (size_t(pattern.size()) < sizeof(s_home)) {
        std::snprintf(s_home, sizeof(s_home), "%s", pattern.constData());
        std::atexit(removeHome);
    }
    QDir().mkpath(home + QStringLiteral("/config"));
    qputenv("XDG_DATA_HOME", pattern);
    qputenv("XDG_CONFIG_HOME", pattern + "/config");
    if (qEnvironmentVariableIsEmpty("TAVIMOREX_FUZZ_VERBOSE"))
        qInstallMessageHandler(quietMessages);
    return home;
}

QString dataFolderBelow(const QString &dataHome)
{
    return dataHome + QStringLiteral("/tavimorex/tavimorex-controller");
}

void pump()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

bool pumpUntil(const std::function<bool()> &done, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.hasExpired(timeoutMs))
            return false;
        pump();
    }
    return true;
}

void fail(const QString &what)
{
    std::fprintf(stderr, "FUZZ FINDING: %s\n", qPrintable(what));
    std::fflush(stderr);
    std::abort();
}

QList<QByteArray> split(const QByteArray &data, char separator, int maxParts)
{
    QList<QByteArray> parts;
    qsizetype start = 0;
    while (int(parts.size()) < maxParts - 1) {
        const qsizetype at = data.indexOf(separator, start);
        if (at < 0)
            break;
        parts.append(data.mid(start, at - start));
        start = at + 1;
    }
    parts.append(data.mid(start));
    return parts;
}

} // namespace FuzzSupport
