#pragma once

#include <QObject>

class QTimer;

// Hands memory the program has freed back to the system. Answers from cameras, browsers, OBS and vMix
// come and go in bursts on several threads. Left to its defaults, the C library would keep what a burst
// freed for later use (it raises its thresholds for giving large blocks back after each one, and never
// shrinks the per-thread pools on its own), so the program's resident size would creep up to its largest
// burst and stay there for the rest of a show. Large blocks are therefore always mapped and unmapped on
// their own, and what small ones leave free is given back once a minute. Does nothing where the C library
// has no such controls.
class MemoryTrimmer : public QObject
{
    Q_OBJECT

public:
    static constexpr int IntervalMs = 60 * 1000;
    // Blocks of this size and more are mapped on their own; free space above this at the end of a pool
    // is given back at once.
    static constexpr int LargeBlockBytes = 256 * 1024;
    static constexpr int TrimThresholdBytes = 1024 * 1024;

    // Create it early, before other threads allocate.
    explicit MemoryTrimmer(QObject *parent = nullptr);

    // True where the C library can give memory back (the GNU C library).
    static bool isSupported();
    // Gives back what can be given now; true when memory was returned.
    static bool trimNow();

private:
    QTimer *m_timer = nullptr;
};
