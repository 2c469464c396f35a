#include "faultmodes.h"

#include "viscatables.h"

#include <QJsonArray>
#include <QStringList>

#include <algorithm>

QJsonObject FaultModes::toJson() const
{
    QList<int> kinds = silentKinds.values();
    std::sort(kinds.begin(), kinds.end());
    QJsonArray silent;
    for (int kind : std::as_const(kinds))
        silent.append(kind);
    QJsonObject late;
    for (auto it = lateKinds.cbegin(); it != lateKinds.cend(); ++it)
        late.insert(QString::number(it.key()), it.value());
    return QJsonObject{
        {QStringLiteral("silent"), silent},
        {QStringLiteral("late"), late},
        {QStringLiteral("delay"), delayMs},
        {QStringLiteral("closeafter"), closeAfter},
        {QStringLiteral("refuse"), refuse},
        {QStringLiteral("hangup"), hangup},
        {QStringLiteral("notices"), notices},
        {QStringLiteral("foreign"), foreign},
        {QStringLiteral("interleave"), interleave},
        {QStringLiteral("notally"), noTally},
        {QStringLiteral("httpstatus"), httpStatus},
        {QStringLiteral("udpdropevery"), udpDropEvery},
        {QStringLiteral("udpotherport"), udpOtherPort},
        {QStringLiteral("udpduplicate"), udpDuplicate},
        {QStringLiteral("sonyabnormalevery"), sonyAbnormalEvery},
        {QStringLiteral("answers"), answerFormName(answerForm)},
    };
}

bool FaultModes::parseSilentKinds(const QString &text, QSet<int> *kinds, QString *error)
{
    const QString trimmed = text.trimmed().toLower();
    QSet<int> result;
    if (trimmed == QLatin1String("all")) {
        for (const Visca::InquiryKind &kind : Visca::pollingInquiries())
            result.insert(kind.kind);
    } else if (trimmed != QLatin1String("none") && trimmed != QLatin1String("off")) {
        const QStringList parts = trimmed.split(QLatin1Char(','), Qt::SkipEmptyParts);
        if (parts.isEmpty()) {
            *error = QStringLiteral("no inquiry kind given");
            return false;
        }
        for (const QString &part : parts) {
            bool ok = false;
            const int kind = part.trimmed().toInt(&ok);
            if (!ok || kind < Visca::firstPollingKind() || kind > Visca::lastPollingKind()) {
                *error = QStringLiteral("inquiry kind must be %1..%2, \"all\" or \"none\", not \"%3\"")
                             .arg(Visca::firstPollingKind())
                             .arg(Visca::lastPollingKind())
                             .arg(part);
                return false;
            }
            result.insert(kind);
        }
    }
    *kinds = result;
    return true;
}

bool FaultModes::parseLateKinds(const QString &text, QHash<int, int> *kinds, QString *error)
{
    const qsizetype colon = text.indexOf(QLatin1Char(':'));
    bool ok = false;
    const int ms = colon < 0 ? -1 : text.mid(colon + 1).trimmed().toInt(&ok);
    if (!ok || ms < 0 || ms > 600000) {
        *error = QStringLiteral("needs KIND[,KIND...]:MS with MS 0..600000, not \"%1\"").arg(text);
        return false;
    }
    QSet<int> parsed;
    if (!parseSilentKinds(text.left(colon), &parsed, error))
        return false;
    for (int kind : std::as_const(parsed))
        kinds->insert(kind, ms);
    return true;
}

bool FaultModes::parseAnswerForm(const QString &text, AnswerForm *form, QString *error)
{
    const QString name = text.trimmed().toLower();
    if (name == QLatin1String("standard"))
        *form = AnswerForm::Standard;
    else if (name == QLatin1String("short"))
        *form = AnswerForm::Short;
    else if (name == QLatin1String("long"))
        *form = AnswerForm::Long;
    else {
        *error = QStringLiteral("answer form must be standard, short or long, not \"%1\"").arg(text);
        return false;
    }
    return true;
}

QString FaultModes::answerFormName(AnswerForm form)
{
    switch (form) {
    case AnswerForm::Short:
        return QStringLiteral("short");
    case AnswerForm::Long:
        return QStringLiteral("long");
    case AnswerForm::Standard:
        break;
    }
    return QStringLiteral("standard");
}
