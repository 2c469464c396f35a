#include "memorytrimmer.h"

#include <QFile>
#include <QTest>
#include <QTimer>

#include <cstdlib>
#include <vector>

#include <unistd.h>

// What a burst of traffic freed goes back to the system, and the program asks for it once a minute.

namespace {

qint64 residentBytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields.at(1).toLongLong() * sysconf(_SC_PAGESIZE) : -1;
}

} // namespace

class TestMemoryTrimmer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void freedBurstIsGivenBack();
    void trimsOnceAMinute();
};

void TestMemoryTrimmer::freedBurstIsGivenBack()
{
    if (!MemoryTrimmer::isSupported())
        QSKIP("this C library cannot give memory back");
    // Many small blocks, as parsed messages are, then all freed but the last: the block that stays keeps
    // the freed space from being returned on its own.
    constexpr int Blocks = 64 * 1024;
    constexpr size_t BlockBytes = 1000;
    std::vector<char *> blocks;
    blocks.reserve(Blocks);
    for (int i = 0; i < Blocks; ++i) {
        char *block = static_cast<char *>(std::malloc(BlockBytes));
        QVERIFY(block);
        // Touched, so the pages are resident.
        for (size_t at = 0; at < BlockBytes; at += 64)
            block[at] = char(i);
        blocks.push_back(block);
    }
    char *pin = blocks.back();
    blocks.pop_back();
    for (char *block : blocks)
        std::free(block);
    const qint64 freedBytes = qint64(blocks.size()) * qint64(BlockBytes);

    const qint64 before = residentBytes();
    QVERIFY(before > 0);
    QVERIFY(MemoryTrimmer::trimNow());
    const qint64 after = residentBytes();
    std::free(pin);
    QVERIFY2(before - after > freedBytes / 2,
             qPrintable(QStringLiteral("resident %1 MB before, %2 MB after; %3 MB were freed")
                            .arg(before >> 20)
                            .arg(after >> 20)
                            .arg(freedBytes >> 20)));
}

void TestMemoryTrimmer::trimsOnceAMinute()
{
    MemoryTrimmer trimmer;
    const QTimer *timer = trimmer.findChild<QTimer *>();
    QVERIFY(timer);
    QCOMPARE(timer->isActive(), MemoryTrimmer::isSupported());
    QCOMPARE(timer->interval(), MemoryTrimmer::IntervalMs);
}

QTEST_GUILESS_MAIN(TestMemoryTrimmer)
#include "tst_memorytrimmer.moc"
