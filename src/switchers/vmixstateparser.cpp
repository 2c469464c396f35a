#include "vmixstateparser.h"

#include <QXmlStreamReader>

#include <array>

namespace {
const QString TrueText = QStringLiteral("True");
const QString InputTag = QStringLiteral("input");
const QString MasterTag = QStringLiteral("master");

// The flags read from the text of the last element of their name below the root.
enum Flag { Streaming, Recording, PlayList, Active, Preview, FlagCount };
const std::array<QString, FlagCount> FlagTags
    = {QStringLiteral("streaming"), QStringLiteral("recording"), QStringLiteral("playList"),
       QStringLiteral("active"), QStringLiteral("preview")};

// An input number as vMix writes it; 0 for anything else.
int inputNumber(QStringView text)
{
    bool ok = false;
    const int number = text.trimmed().toInt(&ok);
    return ok && number > 0 ? number : 0;
}

// The text of the last started element of one flag's name: every text and CDATA below it, as an element's
// text is read from a document tree.
struct FlagText
{
    QString text;
    // Depth of that element while it is open, 0 once closed (or never seen).
    int openAt = 0;
};
} // namespace

// One pass over the token stream, without building a tree: a document tree costs time that grows with the
// square of the nesting depth, and a body that is not vMix's (or is vMix's own, damaged) may nest deeply.
std::optional<VMixState> VMixStateParser::parse(const QByteArray &body)
{
    QXmlStreamReader reader(body);
    // Element names are matched as written, prefixes included, as vMix writes none.
    reader.setNamespaceProcessing(false);

    VMixState state;
    std::array<FlagText, FlagCount> flags;
    int depth = 0;
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartElement: {
            ++depth;
            // Only elements below the root count.
            if (depth == 1)
                break;
            const QStringView name = reader.qualifiedName();
            const QXmlStreamAttributes attributes = reader.attributes();
            if (name == InputTag) {
                VMixInput input;
                // Inputs are numbered in document order when vMix leaves the attribute out.
                input.number = attributes.hasAttribute(QLatin1String("number"))
                                   ? inputNumber(attributes.value(QLatin1String("number")))
                                   : int(state.inputs.size()) + 1;
                input.title = attributes.value(QLatin1String("title")).toString();
                input.key = attributes.value(QLatin1String("key")).toString();
                input.volume = attributes.value(QLatin1String("volume")).toString();
                input.muted = attributes.value(QLatin1String("muted")) == TrueText;
                state.inputs.append(input);
            } else if (name == MasterTag) {
                // The last master wins.
                state.hasMaster = true;
                state.masterVolume = attributes.value(QLatin1String("volume")).toDouble();
                state.masterMuted = attributes.value(QLatin1String("muted")) == TrueText;
            } else {
                for (int flag = 0; flag < FlagCount; ++flag) {
                    // The input numbers on air and in preview are the root's own children; inputs may
                    // hold elements of those names as well.
                    if ((flag == Active || flag == Preview) && depth != 2)
                        continue;
                    if (name == FlagTags[flag]) {
                        flags[flag].text.clear();
                        flags[flag].openAt = depth;
                    }
                }
            }
            break;
        }
        case QXmlStreamReader::EndElement:
            for (FlagText &flag : flags) {
                if (flag.openAt == depth)
                    flag.openAt = 0;
            }
            --depth;
            break;
        case QXmlStreamReader::Characters:
            // Text that is only white space between elements is not part of an element's text.
            if (reader.isWhitespace() && !reader.isCDATA())
                break;
            for (FlagText &flag : flags) {
                if (flag.openAt > 0)
                    flag.text += reader.text();
            }
            break;
        default:
            break;
        }
    }
    if (reader.hasError())
        return std::nullopt;

    state.streaming = flags[Streaming].text == TrueText;
    state.recording = flags[Recording].text == TrueText;
    state.playListOn = flags[PlayList].text == TrueText;
    state.active = inputNumber(flags[Active].text);
    state.preview = inputNumber(flags[Preview].text);
    return state;
}
