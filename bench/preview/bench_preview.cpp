// Prints figures, asserts nothing: the time from "Start" to the first picture of the preview on the camera
// simulator's loopback RTSP streams, and the CPU the preview (this process, players included) spends per
// second of playback with the picture in picture hidden and shown.
//
// Needs an X display; without one run it under the tests' Xvfb runner:
//   tests/preview/run-under-xvfb.sh build/bin/bench_preview [seconds per CPU run, default 10] [starts,
//   default 10]

#include "appservices.h"
#include "appsettings.h"
#include "ipcamera.h"
#include "previewwin.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

#include <sys/resource.h>
#include <unistd.h>

namespace {

const QString Address = QStringLiteral("127.0.11.30");

// The preview reads its preset map from the settings; a private store keeps the user's untouched.
class BenchServices : public AppServices
{
public:
    BenchServices() : m_settings(new AppSettings) { setInstance(this); }
    ~BenchServices() override { delete m_settings; }
    AppSettings *settings() const override { return m_settings; }
    QList<CameraWrapper *> cameras() const override { return {}; }
    void loadCameras() override {}
    void connectCameraSignals() override {}
    void showMessage(const QString &text) override
    {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
    }
    bool startHttpServer() override { return false; }
    bool stopHttpServer() override { return false; }
    bool startObsLink() override { return false; }
    bool stopObsLink() override { return false; }
    bool startVmixLink() override { return false; }
    bool stopVmixLink() override { return false; }
    QStringList obsScenes() const override { return {}; }
    QStringList vmixInputs() const override { return {}; }

private:
    AppSettings *m_settings;
};

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec
           + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// CPU seconds the simulator has used so far (utime + stime from /proc).
double processCpuSeconds(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray line = stat.readAll();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return 0;
    return (fields.at(11).toDouble() + fields.at(12).toDouble()) / double(sysconf(_SC_CLK_TCK));
}

void wait(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Milliseconds until the preview shows its first picture, or -1 after 15 s.
qint64 timeToPicture(PreviewWin &preview)
{
    QEventLoop loop;
    QElapsedTimer clock;
    qint64 elapsed = -1;
    const auto connection = QObject::connect(&preview, &PreviewWin::pictureShown, &loop, [&] {
        elapsed = clock.elapsed();
        loop.quit();
    });
    QTimer::singleShot(15000, &loop, &QEventLoop::quit);
    clock.start();
    preview.startPlayback();
    if (preview.isPlaying())
        loop.exec();
    QObject::disconnect(connection);
    return elapsed;
}

void printStartFigures(PreviewWin &preview, bool firstStream, int runs)
{
    preview.setFirstStreamChecked(firstStream);
    std::vector<qint64> times;
    for (int i = 0; i < runs; ++i) {
        const qint64 ms = timeToPicture(preview);
        preview.stopPlayback();
        if (ms >= 0)
            times.push_back(ms);
        wait(300);
    }
    std::sort(times.begin(), times.end());
    if (times.empty()) {
        std::printf("  %s: no picture in %d starts\n", firstStream ? "/1 (HD)" : "/2 (SD)", runs);
        return;
    }
    std::printf("  %s: min %lld ms, median %lld ms, max %lld ms over %d starts (%d without a picture)\n",
                firstStream ? "/1 (HD, 1280x720)" : "/2 (SD, 640x360)", static_cast<long long>(times.front()),
                static_cast<long long>(times.at(times.size() / 2)), static_cast<long long>(times.back()),
                runs, runs - int(times.size()));
}

void printCpuFigures(PreviewWin &preview, qint64 simulatorPid, bool firstStream, int seconds)
{
    preview.setFirstStreamChecked(firstStream);
    for (const bool pictureInPicture : {false, true}) {
        preview.setPictureInPictureVisible(false);
        if (timeToPicture(preview) < 0) {
            std::printf("  no picture\n");
            return;
        }
        preview.setPictureInPictureVisible(pictureInPicture);
        wait(1500); // let the second player settle
        const double ownBefore = cpuSeconds();
        const double simulatorBefore = processCpuSeconds(simulatorPid);
        QElapsedTimer clock;
        clock.start();
        wait(seconds * 1000);
        const double wall = clock.elapsed() / 1000.0;
        const double own = (cpuSeconds() - ownBefore) / wall * 100.0;
        const double simulator = (processCpuSeconds(simulatorPid) - simulatorBefore) / wall * 100.0;
        std::printf("  %s, picture in picture %s: preview %.1f%% of one core, simulator %.1f%%\n",
                    firstStream ? "/1 (HD)" : "/2 (SD)", pictureInPicture ? "shown " : "hidden", own,
                    simulator);
        preview.stopPlayback();
        wait(500);
    }
    preview.setPictureInPictureVisible(false);
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::fprintf(stderr,
                     "bench_preview needs an X display; run it as\n"
                     "  tests/preview/run-under-xvfb.sh %s\n",
                     argv[0]);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", home.path().toLocal8Bit());
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int seconds = args.size() > 1 ? qMax(1, args.at(1).toInt()) : 10;
    const int starts = args.size() > 2 ? qMax(1, args.at(2).toInt()) : 10;

    QProcess simulator;
    simulator.setProgram(
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("tavimorex-ptzsim")));
    simulator.setArguments({Address});
    simulator.start();
    if (!simulator.waitForStarted(5000)) {
        std::fprintf(stderr, "cannot start %s\n", qPrintable(simulator.program()));
        return 1;
    }
    QElapsedTimer ready;
    ready.start();
    while (!simulator.readAllStandardOutput().contains("READY")) {
        if (ready.elapsed() > 10000 || simulator.state() != QProcess::Running) {
            std::fprintf(stderr, "the simulator did not start: %s\n",
                         simulator.readAllStandardError().constData());
            return 1;
        }
        simulator.waitForReadyRead(200);
    }

    BenchServices services;
    IPCamera camera(Address, QStringLiteral("Bench"), Address);
    PreviewWin preview;
    preview.setCamera(&camera);
    preview.setCameraAvailable(true);
    preview.resize(1000, 640);
    preview.show();
    wait(500);

    std::printf("Start to first picture (loopback RTSP, simulator on %s):\n", qPrintable(Address));
    printStartFigures(preview, false, starts);
    printStartFigures(preview, true, starts);
    std::printf("CPU over %d s of playback (preview window 1000x640):\n", seconds);
    printCpuFigures(preview, simulator.processId(), false, seconds);
    printCpuFigures(preview, simulator.processId(), true, seconds);

    preview.stopPlayback();
    simulator.terminate();
    simulator.waitForFinished(5000);
    return 0;
}
