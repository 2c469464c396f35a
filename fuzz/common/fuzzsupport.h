#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>

// Helpers shared by the fuzz targets. A target builds its Qt application once (in LLVMFuzzerInitialize),
// then runs one input per call; everything it needs from the event loop it gets from pump().
namespace FuzzSupport {

// The environment of a run: the offscreen platform, a private temporary XDG_DATA_HOME and XDG_CONFIG_HOME
// (returned), Qt's messages dropped unless TAVIMOREX_FUZZ_VERBOSE is set (a flood of warnings on stderr
// would cost more than the code under test). Call before the application object is created.
QString prepareEnvironment(const char *targetName);

// The program's data folder below a given XDG_DATA_HOME, as the program names it.
QString dataFolderBelow(const QString &dataHome);

// One round of the event loop: everything pending, then the deferred deletions (which a loop that is
// never exec()'d would otherwise keep forever).
void pump();

// Pumps until done() holds or timeoutMs have passed; returns done().
bool pumpUntil(const std::function<bool()> &done, int timeoutMs);

// Ends the run as a finding: prints the reason and aborts, so libFuzzer saves the input.
[[noreturn]] void fail(const QString &what);

// Splits an input into parts at the separator byte, at most maxParts (the rest stays in the last part).
QList<QByteArray> split(const QByteArray &data, char separator, int maxParts);

} // namespace FuzzSupport
