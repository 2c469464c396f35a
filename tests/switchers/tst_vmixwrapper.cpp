#include "fakevmix.h"
#include "vmixwrapper.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <memory>

// VMixWrapper against a fake vMix web API over real HTTP: the reading of the state document, the
// command URLs on the wire, the credentials, and what the link does while vMix is away or hangs.

using VMixCommand = std::function<void(VMixWrapper &)>;
Q_DECLARE_METATYPE(VMixCommand)

namespace {

const QHostAddress VMixAddress(QStringLiteral("127.0.4.20"));
const QHostAddress OtherVMixAddress(QStringLiteral("127.0.4.21"));
constexpr int WaitMs = 5000;

std::unique_ptr<FakeVMix> startVMix(const QHostAddress &address = VMixAddress)
{
    auto vmix = std::make_unique<FakeVMix>();
    if (!vmix->listen(address))
        return nullptr;
    return vmix;
}

std::unique_ptr<VMixWrapper>
linkTo(const FakeVMix &vmix, const QString &user = {}, const QString &password = {})
{
    return std::make_unique<VMixWrapper>(vmix.address().toString(), vmix.port(), user, password);
}

// One state request, waited for; true when its document was read.
bool pollOnce(VMixWrapper &link, bool *ok = nullptr)
{
    QSignalSpy polled(&link, &VMixWrapper::statePolled);
    link.onVMixTimer();
    if (!polled.wait(WaitMs))
        return false;
    if (ok)
        *ok = polled.first().first().toBool();
    return true;
}

VMixInput input(const QString &title, const QString &key, const QString &volume, bool muted)
{
    VMixInput entry;
    entry.title = title;
    entry.key = key;
    entry.volume = volume;
    entry.muted = muted;
    return entry;
}

struct Cache
{
    QList<VMixInput> inputs;
    bool streaming = false;
    bool recording = false;
    bool playList = false;
    double masterVolume = 0;
    bool masterMuted = false;

    static Cache of(const VMixWrapper &link)
    {
        return {link.inputs(),       link.isStreaming(),  link.isRecording(),
                link.isPlayListOn(), link.masterVolume(), link.isMasterMuted()};
    }
    bool operator==(const Cache &other) const
    {
        return inputs == other.inputs && streaming == other.streaming && recording == other.recording
               && playList == other.playList && masterVolume == other.masterVolume
               && masterMuted == other.masterMuted;
    }
};

// The documents here number their inputs in document order, or not at all (which means the same).
Cache numbered(Cache cache)
{
    for (int i = 0; i < cache.inputs.size(); ++i)
        cache.inputs[i].number = i + 1;
    return cache;
}

char *describe(const Cache &cache)
{
    QString text = QStringLiteral("streaming %1 recording %2 playList %3 master %4 %5 inputs:")
                       .arg(cache.streaming)
                       .arg(cache.recording)
                       .arg(cache.playList)
                       .arg(cache.masterVolume)
                       .arg(cache.masterMuted);
    for (const VMixInput &entry : cache.inputs)
        text += QStringLiteral(" [%1 %2|%3|%4|%5]")
                    .arg(entry.number)
                    .arg(entry.title, entry.key, entry.volume)
                    .arg(entry.muted);
    return qstrdup(text.toUtf8().constData());
}

// A document with every value switched on, to see which values a later document leaves alone.
const QByteArray AllOnDocument
    = R"(<vmix><inputs><input key="k0" title="Old" volume="50" muted="True">Old</input></inputs>)"
      R"(<streaming>True</streaming><recording>True</recording><playList>True</playList>)"
      R"(<audio><master volume="80" muted="True"/></audio></vmix>)";

} // namespace

namespace QTest {
template<>
char *toString(const Cache &cache)
{
    return describe(cache);
}
} // namespace QTest

Q_DECLARE_METATYPE(Cache)

class TestVMixWrapper : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initialState();
    void stateDocument_data();
    void stateDocument();
    void typicalDocument();
    void failedPollKeepsTheCache_data();
    void failedPollKeepsTheCache();
    void commandUrls_data();
    void commandUrls();
    void volumeThatIsNotANumberIsNotSent();
    void credentialsTravelInTheUrl_data();
    void credentialsTravelInTheUrl();
    void resetConnectionUsesTheNewValues();
    void commandEffectsShowAfterTheNextPoll();
    void pollingTimer();
    void noRequestPileUpWhileVMixHangs();
    void endlessAnswerIsGivenUp_data();
    void endlessAnswerIsGivenUp();
};

void TestVMixWrapper::initialState()
{
    VMixWrapper link(QStringLiteral("127.0.4.22"), 8088, QStringLiteral("vmix"), QStringLiteral("secret"));
    QCOMPARE(link.ip(), QStringLiteral("127.0.4.22"));
    QCOMPARE(link.port(), 8088);
    QCOMPARE(link.userId(), QStringLiteral("vmix"));
    QCOMPARE(link.requestTimeout(), 2000);
    QVERIFY(!link.isPolling());
    QCOMPARE(Cache::of(link), Cache());
}

void TestVMixWrapper::stateDocument_data()
{
    QTest::addColumn<QByteArray>("before"); // served first when not empty
    QTest::addColumn<QByteArray>("document");
    QTest::addColumn<bool>("read");
    QTest::addColumn<Cache>("expected");

    QTest::newRow("two inputs, one without audio")
        << QByteArray()
        << QByteArray(
               R"(<vmix><inputs><input key="k1" title="Camera 1" volume="100" muted="False">Camera 1</input>)"
               R"(<input key="k2" title="Colour Bars">Colour Bars</input></inputs><streaming>True</streaming>)"
               R"(<recording>False</recording><playList>True</playList><audio><master volume="80" muted="False"/></audio></vmix>)")
        << true << Cache{{input("Camera 1", "k1", "100", false), input("Colour Bars", "k2", "", false)},
                         true,
                         false,
                         true,
                         80,
                         false};
    QTest::newRow("only True is true")
        << QByteArray()
        << QByteArray(
               R"(<vmix><input key="a" title="A" volume="1" muted="True"/><input key="b" title="B" volume="2" muted="true"/>)"
               R"(<input key="c" title="C" volume="3" muted="TRUE"/><streaming>true</streaming><recording>TRUE</recording>)"
               R"(<playList> True</playList><audio><master volume="10" muted="true"/></audio></vmix>)")
        << true
        << Cache{{input("A", "a", "1", true), input("B", "b", "2", false), input("C", "c", "3", false)},
                 false,
                 false,
                 false,
                 10,
                 false};
    QTest::newRow("inputs anywhere below the root, in document order")
        << QByteArray()
        << QByteArray(
               R"(<vmix><input key="1" title="Top"/><inputs><input key="2" title="Listed" volume="70.5">)"
               R"(<list><input key="3" title="Nested"/></list></input></inputs><overlays><input key="4" title="Deep"/></overlays></vmix>)")
        << true
        << Cache{{input("Top", "1", "", false), input("Listed", "2", "70.5", false),
                  input("Nested", "3", "", false), input("Deep", "4", "", false)},
                 false,
                 false,
                 false,
                 0,
                 false};
    QTest::newRow("the last flag element wins")
        << QByteArray()
        << QByteArray(
               R"(<vmix><streaming>True</streaming><recording>False</recording><x><streaming>False</streaming>)"
               R"(<recording>True</recording></x><playList>False</playList><playList>True</playList></vmix>)")
        << true << Cache{{}, false, true, true, 0, false};
    QTest::newRow("the last master wins")
        << QByteArray()
        << QByteArray(
               R"(<vmix><audio><master volume="80" muted="True"/></audio><master volume="55.5" muted="False"/></vmix>)")
        << true << Cache{{}, false, false, false, 55.5, false};
    QTest::newRow("a master volume that is no number is 0")
        << AllOnDocument << QByteArray(R"(<vmix><audio><master volume="loud" muted="True"/></audio></vmix>)")
        << true << Cache{{}, false, false, false, 0, true};
    QTest::newRow("no master keeps the master values")
        << AllOnDocument
        << QByteArray(
               R"(<vmix><inputs><input key="n" title="New" volume="20" muted="False"/></inputs><streaming>True</streaming></vmix>)")
        << true << Cache{{input("New", "n", "20", false)}, true, false, false, 80, true};
    QTest::newRow("missing flag elements are false")
        << AllOnDocument << QByteArray("<vmix/>") << true << Cache{{}, false, false, false, 80, true};
    QTest::newRow("invalid XML empties the inputs only")
        << AllOnDocument << QByteArray(R"(<vmix><inputs><input key="k1" title=)") << false
        << Cache{{}, true, true, true, 80, true};
    QTest::newRow("text that is no XML empties the inputs only")
        << AllOnDocument << QByteArray("Function completed successfully.") << false
        << Cache{{}, true, true, true, 80, true};
    QTest::newRow("an empty body empties the inputs only")
        << AllOnDocument << QByteArray() << false << Cache{{}, true, true, true, 80, true};
}

void TestVMixWrapper::stateDocument()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, document);
    QFETCH(bool, read);
    QFETCH(Cache, expected);

    auto vmix = startVMix();
    QVERIFY(vmix);
    auto link = linkTo(*vmix);
    bool ok = false;
    if (!before.isEmpty()) {
        vmix->setStateBody(before);
        QVERIFY(pollOnce(*link, &ok));
        QVERIFY(ok);
    }
    vmix->setStateBody(document);
    QVERIFY(pollOnce(*link, &ok));
    QCOMPARE(ok, read);
    QCOMPARE(Cache::of(*link), numbered(expected));
}

void TestVMixWrapper::typicalDocument()
{
    auto vmix = startVMix();
    QVERIFY(vmix);
    vmix->state().streaming = true;
    vmix->state().playList = true;
    auto link = linkTo(*vmix);
    bool ok = false;
    QVERIFY(pollOnce(*link, &ok));
    QVERIFY(ok);

    Cache expected;
    for (const FakeVMixInput &entry : vmix->state().inputs)
        expected.inputs.append(input(
            entry.title, entry.key,
            entry.audio ? QString::number(entry.volume, 'g', QLocale::FloatingPointShortest) : QString(),
            entry.audio && entry.muted));
    expected.streaming = true;
    expected.playList = true;
    expected.masterVolume = vmix->state().masterVolume;
    QCOMPARE(Cache::of(*link), numbered(expected));
    QCOMPARE(link->inputs().at(3).volume, QStringLiteral("74.37066"));
    QCOMPARE(vmix->stateRequestCount(), 1);
    QCOMPARE(vmix->requests().first().target, QByteArray("/api"));
}

void TestVMixWrapper::failedPollKeepsTheCache_data()
{
    QTest::addColumn<QString>("failure");
    QTest::newRow("vMix closed") << QStringLiteral("closed");
    QTest::newRow("vMix hangs past the timeout") << QStringLiteral("hang");
    QTest::newRow("vMix refuses the credentials") << QStringLiteral("credentials");
}

void TestVMixWrapper::failedPollKeepsTheCache()
{
    QFETCH(QString, failure);
    auto vmix = startVMix();
    QVERIFY(vmix);
    vmix->setStateBody(AllOnDocument);
    auto link = linkTo(*vmix);
    link->setRequestTimeout(300);
    bool ok = false;
    QVERIFY(pollOnce(*link, &ok));
    QVERIFY(ok);
    const Cache before = Cache::of(*link);
    QCOMPARE(before.inputs.size(), 1);

    if (failure == QLatin1String("closed"))
        vmix->close();
    else if (failure == QLatin1String("hang"))
        vmix->setHang(true);
    else
        vmix->setCredentials(QStringLiteral("vmix"), QStringLiteral("other"));
    QVERIFY(pollOnce(*link, &ok));
    QVERIFY(!ok);
    QCOMPARE(Cache::of(*link), before);
}

void TestVMixWrapper::commandUrls_data()
{
    QTest::addColumn<VMixCommand>("command");
    QTest::addColumn<QByteArray>("target");
    // The parameters as vMix decodes them: function, input, value.
    QTest::addColumn<QStringList>("decoded");

    auto row = [](const char *name, VMixCommand command, const char *target, QStringList decoded) {
        QTest::newRow(name) << command << QByteArray(target) << decoded;
    };
    const QStringList transitions{"QuickPlay",   "Cut",         "Transition1",
                                  "Transition2", "Transition3", "Transition4"};
    for (int i = 0; i < transitions.size(); ++i) {
        const QByteArray name = "applyTransition(" + QByteArray::number(i) + ")";
        const QByteArray target = "/api/?function=" + transitions.at(i).toLatin1() + "&input=0";
        row(name.constData(), [i](VMixWrapper &l) { l.applyTransition(i); }, target.constData(),
            {transitions.at(i), "0", ""});
    }
    row("applyTransition(6)", [](VMixWrapper &l) { l.applyTransition(6); }, "/api/?function=FadeToBlack",
        {"FadeToBlack", "", ""});
    row("applyTransition(7)", [](VMixWrapper &l) { l.applyTransition(7); }, "/api/?", {"", "", ""});
    row("applyTransition(-1)", [](VMixWrapper &l) { l.applyTransition(-1); }, "/api/?", {"", "", ""});

    row("setMasterVolume(42)", [](VMixWrapper &l) { l.setMasterVolume(42); },
        "/api/?function=SetMasterVolume&value=42", {"SetMasterVolume", "", "42"});
    row("setMasterVolume(0)", [](VMixWrapper &l) { l.setMasterVolume(0); },
        "/api/?function=SetMasterVolume&value=0", {"SetMasterVolume", "", "0"});

    const QString guid = QStringLiteral("8a3c2f10-5d4e-4f7b-9c1a-2b3d4e5f6a7b");
    row("previewInput by key", [=](VMixWrapper &l) { l.previewInput(guid); },
        "/api/?function=PreviewInput&input=8a3c2f10-5d4e-4f7b-9c1a-2b3d4e5f6a7b", {"PreviewInput", guid, ""});
    row("previewInput with spaces", [](VMixWrapper &l) { l.previewInput(QStringLiteral("Camera 1")); },
        "/api/?function=PreviewInput&input=Camera%201", {"PreviewInput", "Camera 1", ""});
    row("previewInput with & and #", [](VMixWrapper &l) { l.previewInput(QStringLiteral("Cam 1 & B#2")); },
        "/api/?function=PreviewInput&input=Cam%201%20%26%20B%232", {"PreviewInput", "Cam 1 & B#2", ""});
    row("previewInput with + and =",
        [](VMixWrapper &l) { l.previewInput(QStringLiteral("A+B=C&function=Cut")); },
        "/api/?function=PreviewInput&input=A%2BB%3DC%26function%3DCut",
        {"PreviewInput", "A+B=C&function=Cut", ""});
    row("previewInput non-ASCII", [](VMixWrapper &l) { l.previewInput(QStringLiteral("B\u00fchne")); },
        "/api/?function=PreviewInput&input=B%C3%BChne", {"PreviewInput", QStringLiteral("B\u00fchne"), ""});

    row("setVolume 42.5", [](VMixWrapper &l) { l.setVolume(42.5, QStringLiteral("Camera 1")); },
        "/api/?function=SetVolume&value=42.5&input=Camera%201", {"SetVolume", "Camera 1", "42.5"});
    row("setVolume 100", [](VMixWrapper &l) { l.setVolume(100, QStringLiteral("Camera 1")); },
        "/api/?function=SetVolume&value=100&input=Camera%201", {"SetVolume", "Camera 1", "100"});
    row("setVolume 0.1234567", [](VMixWrapper &l) { l.setVolume(0.1234567, QStringLiteral("Camera 1")); },
        "/api/?function=SetVolume&value=0.123457&input=Camera%201", {"SetVolume", "Camera 1", "0.123457"});
    row("setVolume 0.0000001", [](VMixWrapper &l) { l.setVolume(0.0000001, QStringLiteral("k")); },
        "/api/?function=SetVolume&value=1e-07&input=k", {"SetVolume", "k", "1e-07"});
    row("setVolume key with &", [](VMixWrapper &l) { l.setVolume(50, QStringLiteral("Music & FX")); },
        "/api/?function=SetVolume&value=50&input=Music%20%26%20FX", {"SetVolume", "Music & FX", "50"});

    row("startPlayList", [](VMixWrapper &l) { l.startPlayList(); }, "/api/?function=StartPlayList",
        {"StartPlayList", "", ""});
    row("stopPlayList", [](VMixWrapper &l) { l.stopPlayList(); }, "/api/?function=StopPlayList",
        {"StopPlayList", "", ""});
    row("toggleAudio", [](VMixWrapper &l) { l.toggleAudio(QStringLiteral("Mic #2 & Music")); },
        "/api/?function=Audio&input=Mic%20%232%20%26%20Music", {"Audio", "Mic #2 & Music", ""});
    row("toggleMasterAudio", [](VMixWrapper &l) { l.toggleMasterAudio(); }, "/api/?function=MasterAudio",
        {"MasterAudio", "", ""});
    row("startStopRecording", [](VMixWrapper &l) { l.startStopRecording(); },
        "/api/?function=StartStopRecording", {"StartStopRecording", "", ""});
    row("startStopStreaming", [](VMixWrapper &l) { l.startStopStreaming(); },
        "/api/?function=StartStopStreaming", {"StartStopStreaming", "", ""});
}

void TestVMixWrapper::commandUrls()
{
    QFETCH(VMixCommand, command);
    QFETCH(QByteArray, target);
    QFETCH(QStringList, decoded);

    auto vmix = startVMix();
    QVERIFY(vmix);
    auto link = linkTo(*vmix);
    command(*link);
    QTRY_COMPARE_WITH_TIMEOUT(vmix->requests().size(), 1, WaitMs);
    const FakeVMixRequest request = vmix->requests().first();
    QCOMPARE(request.target, target);
    QCOMPARE(request.function(), decoded.at(0));
    QCOMPARE(request.parameter(QStringLiteral("input")), decoded.at(1));
    QCOMPARE(request.parameter(QStringLiteral("value")), decoded.at(2));
    // No parameter more than the function's own.
    const int expectedCount
        = int(std::count_if(decoded.cbegin(), decoded.cend(), [](const QString &p) { return !p.isEmpty(); }));
    QCOMPARE(int(request.parameters.size()), expectedCount);
    QCOMPARE(vmix->stateRequestCount(), 0);
}

void TestVMixWrapper::volumeThatIsNotANumberIsNotSent()
{
    auto vmix = startVMix();
    QVERIFY(vmix);
    auto link = linkTo(*vmix);
    link->setVolume(std::nan(""), QStringLiteral("Camera 1"));
    link->setVolume(std::numeric_limits<double>::infinity(), QStringLiteral("Camera 1"));
    link->toggleMasterAudio();
    QTRY_COMPARE_WITH_TIMEOUT(vmix->requests().size(), 1, WaitMs);
    QTest::qWait(100);
    QCOMPARE(vmix->requests().size(), 1);
    QCOMPARE(vmix->requests().first().function(), QStringLiteral("MasterAudio"));
}

void TestVMixWrapper::credentialsTravelInTheUrl_data()
{
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    QTest::newRow("plain") << QStringLiteral("vmix") << QStringLiteral("secret");
    QTest::newRow("URL delimiters") << QStringLiteral("op@desk") << QStringLiteral("p@ss:w#rd/?&x=1");
}

void TestVMixWrapper::credentialsTravelInTheUrl()
{
    QFETCH(QString, user);
    QFETCH(QString, password);

    auto vmix = startVMix();
    QVERIFY(vmix);
    vmix->setCredentials(user, password);
    auto link = linkTo(*vmix, user, password);
    bool ok = false;
    QVERIFY(pollOnce(*link, &ok));
    QVERIFY(ok);
    link->startStopStreaming();
    QTRY_VERIFY_WITH_TIMEOUT(vmix->state().streaming, WaitMs);

    // Every request that vMix answered carried exactly these credentials.
    bool stateSeen = false;
    bool commandSeen = false;
    for (const FakeVMixRequest &request : vmix->requests()) {
        if (!request.hasCredentials)
            continue;
        QCOMPARE(request.user, user);
        QCOMPARE(request.password, password);
        stateSeen = stateSeen || request.target == "/api";
        commandSeen = commandSeen || request.function() == QLatin1String("StartStopStreaming");
    }
    QVERIFY(stateSeen);
    QVERIFY(commandSeen);

    // Once vMix has asked, later polls offer the credentials at once: one request per poll.
    const qsizetype before = vmix->requests().size();
    QVERIFY(pollOnce(*link, &ok));
    QVERIFY(ok);
    QCOMPARE(vmix->requests().size(), before + 1);
    QVERIFY(vmix->requests().last().hasCredentials);
}

void TestVMixWrapper::resetConnectionUsesTheNewValues()
{
    auto first = startVMix(VMixAddress);
    auto second = startVMix(OtherVMixAddress);
    QVERIFY(first && second);
    first->setCredentials(QStringLiteral("vmix"), QStringLiteral("one"));
    second->setCredentials(QStringLiteral("other"), QStringLiteral("two"));
    second->state().recording = true;
    auto link = linkTo(*first, QStringLiteral("vmix"), QStringLiteral("one"));
    bool ok = false;
    QVERIFY(pollOnce(*link, &ok));
    QVERIFY(ok);
    QVERIFY(!link->isRecording());

    link->resetConnection(second->address().toString(), second->port(), QStringLiteral("other"),
                          QStringLiteral("two"));
    QCOMPARE(link->ip(), second->address().toString());
    QCOMPARE(link->port(), int(second->port()));
    QCOMPARE(link->userId(), QStringLiteral("other"));
    const int firstRequests = int(first->requests().size());
    QVERIFY(pollOnce(*link, &ok));
    QVERIFY(ok);
    QVERIFY(link->isRecording());
    link->toggleMasterAudio();
    QTRY_VERIFY_WITH_TIMEOUT(second->state().masterMuted, WaitMs);
    QCOMPARE(first->requests().size(), firstRequests);

    // A new password for the same vMix replaces the one the link has used before.
    second->setCredentials(QStringLiteral("other"), QStringLiteral("three"));
    link->resetConnection(second->address().toString(), second->port(), QStringLiteral("other"),
                          QStringLiteral("three"));
    QVERIFY(pollOnce(*link, &ok));
    QVERIFY(ok);
    QCOMPARE(second->requests().last().password, QStringLiteral("three"));
}

void TestVMixWrapper::commandEffectsShowAfterTheNextPoll()
{
    auto vmix = startVMix();
    QVERIFY(vmix);
    auto link = linkTo(*vmix);
    bool ok = false;
    QVERIFY(pollOnce(*link, &ok));
    const QString camera2 = link->inputs().at(2).key;
    QCOMPARE(link->inputs().at(2).muted, true);

    link->toggleAudio(camera2);
    link->setVolume(33.5, camera2);
    link->startPlayList();
    link->setMasterVolume(64);
    link->toggleMasterAudio();
    QTRY_COMPARE_WITH_TIMEOUT(vmix->commands().size(), 5, WaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(vmix->pendingCount(), 0, WaitMs);
    QVERIFY(pollOnce(*link, &ok));
    QVERIFY(ok);
    QCOMPARE(link->inputs().at(2).muted, false);
    QCOMPARE(link->inputs().at(2).volume, QStringLiteral("33.5"));
    QVERIFY(link->isPlayListOn());
    QCOMPARE(link->masterVolume(), 64.0);
    QVERIFY(link->isMasterMuted());
}

void TestVMixWrapper::pollingTimer()
{
    auto vmix = startVMix();
    QVERIFY(vmix);
    auto link = linkTo(*vmix);
    QSignalSpy polled(link.get(), &VMixWrapper::statePolled);
    link->startPolling();
    QVERIFY(link->isPolling());
    QTRY_VERIFY_WITH_TIMEOUT(polled.size() >= 2, WaitMs);
    QVERIFY(!link->inputs().isEmpty());

    link->stopPolling();
    QVERIFY(!link->isPolling());
    QTRY_COMPARE_WITH_TIMEOUT(vmix->pendingCount(), 0, WaitMs);
    const int requests = vmix->stateRequestCount();
    QTest::qWait(2 * VMixWrapper::PollIntervalMs);
    QCOMPARE(vmix->stateRequestCount(), requests);
}

void TestVMixWrapper::noRequestPileUpWhileVMixHangs()
{
    auto vmix = startVMix();
    QVERIFY(vmix);
    vmix->setHang(true);
    auto link = linkTo(*vmix);
    QCOMPARE(link->requestTimeout(), VMixWrapper::DefaultRequestTimeoutMs);

    // Ticks while a state request is under way are skipped.
    for (int i = 0; i < 5; ++i)
        link->onVMixTimer();
    QTRY_COMPARE_WITH_TIMEOUT(vmix->stateRequestCount(), 1, WaitMs);

    // With the timer running, the hanging request is given up after the timeout and only then a new one
    // goes out: never more than one at a time.
    QSignalSpy polled(link.get(), &VMixWrapper::statePolled);
    link->startPolling();
    QTest::qWait(VMixWrapper::PollIntervalMs * 2);
    QCOMPARE(vmix->stateRequestCount(), 1);
    QVERIFY(polled.wait(WaitMs));
    QCOMPARE(polled.first().first().toBool(), false);
    QTRY_COMPARE_WITH_TIMEOUT(vmix->stateRequestCount(), 2, WaitMs);
    QCOMPARE(vmix->maxPendingCount(), 1);

    // Commands give up after the same timeout.
    link->stopPolling();
    link->toggleMasterAudio();
    QTRY_COMPARE_WITH_TIMEOUT(vmix->commands().size(), 1, WaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(vmix->pendingCount(), 0, WaitMs);
}

namespace {
// Answers every request with a body that never ends, writing on as fast as the client reads.
class EndlessServer : public QTcpServer
{
public:
    EndlessServer()
    {
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = nextPendingConnection()) {
                ++connections;
                connect(socket, &QTcpSocket::disconnected, this, [this] { ++closedByClient; });
                connect(socket, &QTcpSocket::bytesWritten, socket, [socket] {
                    if (socket->bytesToWrite() < Chunk.size())
                        socket->write(Chunk);
                });
                socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\n\r\n<vmix><inputs>");
                socket->write(Chunk);
            }
        });
    }
    int connections = 0;
    int closedByClient = 0;

private:
    inline static const QByteArray Chunk = QByteArray(256 * 1024, ' ');
};
} // namespace

void TestVMixWrapper::endlessAnswerIsGivenUp_data()
{
    QTest::addColumn<bool>("state");
    QTest::newRow("state document") << true;
    QTest::newRow("command answer") << false;
}

void TestVMixWrapper::endlessAnswerIsGivenUp()
{
    // A body that keeps coming never lets the transfer time out; it once grew the memory by hundreds of
    // megabytes a second until the program was killed.
    QFETCH(bool, state);
    EndlessServer server;
    QVERIFY(server.listen(QHostAddress(QStringLiteral("127.0.14.51"))));
    auto vmix = startVMix();
    QVERIFY(vmix);
    vmix->setStateBody(AllOnDocument);
    VMixWrapper link(server.serverAddress().toString(), server.serverPort(), QString(), QString());
    if (state) {
        // What the last good document said stays.
        link.resetConnection(vmix->address().toString(), vmix->port(), QString(), QString());
        bool ok = false;
        QVERIFY(pollOnce(link, &ok));
        QVERIFY(ok);
        const Cache before = Cache::of(link);
        link.resetConnection(server.serverAddress().toString(), server.serverPort(), QString(), QString());
        QVERIFY(pollOnce(link, &ok));
        QVERIFY(!ok);
        QCOMPARE(Cache::of(link), before);
    } else {
        link.toggleMasterAudio();
    }
    QTRY_COMPARE_WITH_TIMEOUT(server.connections, 1, WaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(server.closedByClient, 1, WaitMs);
}

QTEST_GUILESS_MAIN(TestVMixWrapper)
#include "tst_vmixwrapper.moc"
