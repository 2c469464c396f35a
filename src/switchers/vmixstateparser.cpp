#include "vmixstateparser.h"

#include <QDomDocument>
#include <QDomElement>
#include <QDomNodeList>

namespace {
const QString TrueText = QStringLiteral("True");

// The text of the last element of that name below the root; empty when there is none.
QString lastText(const QDomElement &root, const QString &name)
{
    const QDomNodeList nodes = root.elementsByTagName(name);
    return nodes.isEmpty() ? QString() : nodes.item(nodes.size() - 1).toElement().text();
}
} // namespace

std::optional<VMixState> VMixStateParser::parse(const QByteArray &body)
{
    QDomDocument document;
    if (!document.setContent(body))
        return std::nullopt;
    const QDomElement root = document.firstChildElement();

    VMixState state;
    // Inputs are taken wherever they sit below the root, in document order.
    const QDomNodeList inputs = root.elementsByTagName(QStringLiteral("input"));
    for (int i = 0; i < inputs.size(); ++i) {
        const QDomElement element = inputs.item(i).toElement();
        VMixInput input;
        input.title = element.attribute(QStringLiteral("title"));
        input.key = element.attribute(QStringLiteral("key"));
        input.volume = element.attribute(QStringLiteral("volume"));
        input.muted = element.attribute(QStringLiteral("muted")) == TrueText;
        state.inputs.append(input);
    }

    state.streaming = lastText(root, QStringLiteral("streaming")) == TrueText;
    state.recording = lastText(root, QStringLiteral("recording")) == TrueText;
    state.playListOn = lastText(root, QStringLiteral("playList")) == TrueText;

    const QDomNodeList masters = root.elementsByTagName(QStringLiteral("master"));
    for (int i = 0; i < masters.size(); ++i) {
        const QDomElement master = masters.item(i).toElement();
        state.hasMaster = true;
        state.masterVolume = master.attribute(QStringLiteral("volume")).toDouble();
        state.masterMuted = master.attribute(QStringLiteral("muted")) == TrueText;
    }
    return state;
}
