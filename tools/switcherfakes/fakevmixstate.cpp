#include "fakevmixstate.h"

#include <QLocale>
#include <QXmlStreamWriter>

namespace {
QString boolText(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}
} // namespace

int FakeVMixState::numberOf(const QString &reference) const
{
    for (int i = 0; i < inputs.size(); ++i) {
        if (inputs.at(i).key == reference)
            return i + 1;
    }
    bool isNumber = false;
    const int number = reference.toInt(&isNumber);
    if (isNumber && number >= 1 && number <= inputs.size())
        return number;
    for (int i = 0; i < inputs.size(); ++i) {
        if (inputs.at(i).title == reference)
            return i + 1;
    }
    return 0;
}

FakeVMixInput *FakeVMixState::input(const QString &reference)
{
    const int number = numberOf(reference);
    return number > 0 ? &inputs[number - 1] : nullptr;
}

QByteArray FakeVMixState::toXml() const
{
    QByteArray xml;
    QXmlStreamWriter writer(&xml);
    writer.writeStartElement(QStringLiteral("vmix"));
    writer.writeTextElement(QStringLiteral("version"), QStringLiteral("26.0.0.45"));
    writer.writeTextElement(QStringLiteral("edition"), QStringLiteral("4K"));
    writer.writeTextElement(QStringLiteral("preset"),
                            QStringLiteral("C:\\Users\\vmix\\Documents\\show.vmix"));
    writer.writeStartElement(QStringLiteral("inputs"));
    for (int i = 0; i < inputs.size(); ++i) {
        const FakeVMixInput &input = inputs.at(i);
        writer.writeStartElement(QStringLiteral("input"));
        writer.writeAttribute(QStringLiteral("key"), input.key);
        writer.writeAttribute(QStringLiteral("number"), QString::number(i + 1));
        writer.writeAttribute(QStringLiteral("type"), input.type);
        writer.writeAttribute(QStringLiteral("title"), input.title);
        writer.writeAttribute(QStringLiteral("shortTitle"), input.title);
        writer.writeAttribute(QStringLiteral("state"), QStringLiteral("Paused"));
        writer.writeAttribute(QStringLiteral("position"), QStringLiteral("0"));
        writer.writeAttribute(QStringLiteral("duration"), QStringLiteral("0"));
        writer.writeAttribute(QStringLiteral("loop"), QStringLiteral("False"));
        if (input.audio) {
            writer.writeAttribute(QStringLiteral("muted"), boolText(input.muted));
            writer.writeAttribute(QStringLiteral("volume"),
                                  QString::number(input.volume, 'g', QLocale::FloatingPointShortest));
            writer.writeAttribute(QStringLiteral("balance"), QStringLiteral("0"));
            writer.writeAttribute(QStringLiteral("solo"), QStringLiteral("False"));
            writer.writeAttribute(QStringLiteral("audiobusses"), QStringLiteral("M"));
            writer.writeAttribute(QStringLiteral("meterF1"), QStringLiteral("0"));
            writer.writeAttribute(QStringLiteral("meterF2"), QStringLiteral("0"));
            writer.writeAttribute(QStringLiteral("gainDb"), QStringLiteral("0"));
        }
        writer.writeCharacters(input.title);
        writer.writeEndElement();
    }
    writer.writeEndElement(); // inputs
    writer.writeStartElement(QStringLiteral("overlays"));
    for (int number = 1; number <= 8; ++number) {
        writer.writeEmptyElement(QStringLiteral("overlay"));
        writer.writeAttribute(QStringLiteral("number"), QString::number(number));
    }
    writer.writeEndElement(); // overlays
    writer.writeTextElement(QStringLiteral("preview"), QString::number(preview));
    writer.writeTextElement(QStringLiteral("active"), QString::number(active));
    writer.writeTextElement(QStringLiteral("fadeToBlack"), boolText(fadeToBlack));
    writer.writeStartElement(QStringLiteral("transitions"));
    const char *effects[] = {"Fade", "Merge", "Wipe", "CubeZoom"};
    for (int number = 1; number <= 4; ++number) {
        writer.writeEmptyElement(QStringLiteral("transition"));
        writer.writeAttribute(QStringLiteral("number"), QString::number(number));
        writer.writeAttribute(QStringLiteral("effect"), QLatin1String(effects[number - 1]));
        writer.writeAttribute(QStringLiteral("duration"), QStringLiteral("500"));
    }
    writer.writeEndElement(); // transitions
    writer.writeTextElement(QStringLiteral("recording"), boolText(recording));
    writer.writeTextElement(QStringLiteral("external"), QStringLiteral("False"));
    writer.writeTextElement(QStringLiteral("streaming"), boolText(streaming));
    writer.writeTextElement(QStringLiteral("playList"), boolText(playList));
    writer.writeTextElement(QStringLiteral("multiCorder"), QStringLiteral("False"));
    writer.writeTextElement(QStringLiteral("fullscreen"), QStringLiteral("False"));
    writer.writeStartElement(QStringLiteral("audio"));
    writer.writeEmptyElement(QStringLiteral("master"));
    writer.writeAttribute(QStringLiteral("volume"),
                          QString::number(masterVolume, 'g', QLocale::FloatingPointShortest));
    writer.writeAttribute(QStringLiteral("muted"), boolText(masterMuted));
    writer.writeAttribute(QStringLiteral("meterF1"), QStringLiteral("0"));
    writer.writeAttribute(QStringLiteral("meterF2"), QStringLiteral("0"));
    writer.writeAttribute(QStringLiteral("headphonesVolume"), QStringLiteral("74.37066"));
    writer.writeEndElement(); // audio
    writer.writeEndElement(); // vmix
    return xml;
}

FakeVMixState FakeVMixState::typical()
{
    FakeVMixState state;
    state.inputs = {
        {QStringLiteral("26cae087-b7b6-4d45-98e4-de03ab4feb6b"), QStringLiteral("Colour"),
         QStringLiteral("Colour Bars"), false, 100, false},
        {QStringLiteral("8a3c2f10-5d4e-4f7b-9c1a-2b3d4e5f6a7b"), QStringLiteral("Capture"),
         QStringLiteral("Camera 1"), true, 100, false},
        {QStringLiteral("c1d2e3f4-a5b6-4c7d-8e9f-0a1b2c3d4e5f"), QStringLiteral("Capture"),
         QStringLiteral("Camera 2"), true, 42.5, true},
        {QStringLiteral("f0e1d2c3-b4a5-4968-8776-655443322110"), QStringLiteral("Video"),
         QStringLiteral("Opener.mp4"), true, 74.37066, false},
        {QStringLiteral("0b1c2d3e-4f5a-4b6c-8d7e-9f0a1b2c3d4e"), QStringLiteral("GT"),
         QStringLiteral("Lower Third.gtzip"), false, 100, false},
    };
    state.masterVolume = 80;
    state.preview = 2;
    state.active = 1;
    return state;
}
