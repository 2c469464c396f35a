#include "memorytrimmer.h"

#include <QTimer>

#ifdef __GLIBC__
#include <malloc.h>
#endif

MemoryTrimmer::MemoryTrimmer(QObject *parent) : QObject(parent), m_timer(new QTimer(this))
{
    m_timer->setInterval(IntervalMs);
    // Coarse: the trim may run a little late, it needs no precise wake-up of its own.
    m_timer->setTimerType(Qt::VeryCoarseTimer);
    if (!isSupported())
        return;
#ifdef __GLIBC__
    // Fixed values also turn off the thresholds' growth after each large block.
    mallopt(M_MMAP_THRESHOLD, LargeBlockBytes);
    mallopt(M_TRIM_THRESHOLD, TrimThresholdBytes);
#endif
    connect(m_timer, &QTimer::timeout, this, [] { trimNow(); });
    m_timer->start();
}

bool MemoryTrimmer::isSupported()
{
#ifdef __GLIBC__
    return true;
#else
    return false;
#endif
}

bool MemoryTrimmer::trimNow()
{
#ifdef __GLIBC__
    return malloc_trim(0) != 0;
#else
    return false;
#endif
}
