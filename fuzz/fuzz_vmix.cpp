// vMix's state document as the program receives it from GET /api: arbitrary bytes into the state parser,
// including DTDs with entity definitions and deep nesting. It must end with a result or "not XML", in
// time linear in the size of the document.

#include "fuzzsupport.h"
#include "vmixstateparser.h"

#include <QCoreApplication>

#include <cstddef>
#include <cstdint>

namespace {
volatile quint64 s_sink = 0;
} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    FuzzSupport::prepareEnvironment("vmix");
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray body = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::optional<VMixState> state = VMixStateParser::parse(body);
    if (!state)
        return 0;
    quint64 sum = quint64(state->streaming) + quint64(state->recording) + quint64(state->playListOn)
                  + quint64(state->masterMuted) + quint64(state->masterVolume != 0);
    for (const VMixInput &input : state->inputs)
        sum += quint64(input.title.size() + input.key.size() + input.volume.size()) + quint64(input.muted);
    s_sink = s_sink + sum;
    return 0;
}
