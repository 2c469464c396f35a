#include "viscatables.h"

#include <array>

namespace ViscaTables {

namespace {
constexpr std::array<quint8, 5> AeModeCodes{0x00, 0x03, 0x0A, 0x0B, 0x0D};
constexpr std::array<quint8, 5> WbModeCodes{0x00, 0x01, 0x02, 0x03, 0x05};
// Beyond the table: index 5 selects the camera's extra white balance mode.
constexpr int WbExtraIndex = 5;
constexpr quint8 WbExtraCode = 0x10;

template<std::size_t N>
int indexOf(const std::array<quint8, N> &codes, quint8 code)
{
    for (std::size_t i = 0; i < N; ++i) {
        if (codes[i] == code)
            return int(i);
    }
    return -1;
}
} // namespace

const QStringList &aeModeLabels()
{
    static const QStringList labels{QStringLiteral("Auto"), QStringLiteral("Manual"), QStringLiteral("SAE"),
                                    QStringLiteral("AAE"), QStringLiteral("Brightness")};
    return labels;
}

quint8 aeModeCode(int index)
{
    if (index < 0 || index >= int(AeModeCodes.size()))
        return AeModeCodes[0];
    return AeModeCodes[std::size_t(index)];
}

int aeModeIndex(quint8 code)
{
    return indexOf(AeModeCodes, code);
}

const QStringList &irisLabels()
{
    static const QStringList labels{QStringLiteral("Close"), QStringLiteral("F11.0"), QStringLiteral("F9.6"),
                                    QStringLiteral("F8.0"),  QStringLiteral("F6.8"),  QStringLiteral("F5.6"),
                                    QStringLiteral("F4.8"),  QStringLiteral("F4.0"),  QStringLiteral("F3.4"),
                                    QStringLiteral("F2.8"),  QStringLiteral("F2.4"),  QStringLiteral("F2.0"),
                                    QStringLiteral("F1.8")};
    return labels;
}

const QStringList &shutterLabels()
{
    static const QStringList labels{
        QStringLiteral("1/30"),   QStringLiteral("1/60"),   QStringLiteral("1/90"),
        QStringLiteral("1/100"),  QStringLiteral("1/125"),  QStringLiteral("1/180"),
        QStringLiteral("1/250"),  QStringLiteral("1/350"),  QStringLiteral("1/500"),
        QStringLiteral("1/725"),  QStringLiteral("1/1000"), QStringLiteral("1/1500"),
        QStringLiteral("1/2000"), QStringLiteral("1/3000"), QStringLiteral("1/4000"),
        QStringLiteral("1/6000"), QStringLiteral("1/10000")};
    return labels;
}

const QStringList &wbModeLabels()
{
    static const QStringList labels{QStringLiteral("Auto"), QStringLiteral("Indoor"),
                                    QStringLiteral("Outdoor"), QStringLiteral("OnePush"),
                                    QStringLiteral("Manual")};
    return labels;
}

quint8 wbModeCode(int index)
{
    if (index >= 0 && index < int(WbModeCodes.size()))
        return WbModeCodes[std::size_t(index)];
    if (index == WbExtraIndex)
        return WbExtraCode;
    return quint8(index);
}

int wbModeIndex(quint8 code)
{
    return indexOf(WbModeCodes, code);
}

} // namespace ViscaTables
