#pragma once

#include <QHash>
#include <QJsonObject>
#include <QSet>
#include <QString>

// How a simulated camera misbehaves on purpose. Set from the command line and changed at run time
// through the control channel; every session of the camera reads the current values.
struct FaultModes
{
    // Length of the answers to the exposure and picture inquiries (kinds 6, 7, 8, 10, 11, 12):
    // Standard answers 90 50 00 00 0p 0q FF, except bright which answers 90 50 pp FF;
    // Short answers 90 50 pp FF for all six; Long answers 90 50 00 00 0p 0q FF for all six.
    enum class AnswerForm { Standard, Short, Long };

    QSet<int> silentKinds;     // polled inquiry kinds (3..14) that never get an answer
    QHash<int, int> lateKinds; // polled inquiry kind -> its answers leave this many ms late, out of order
    int delayMs = 0;           // every reply leaves this late
    int closeAfter = 0;        // close a VISCA connection when its n-th packet arrives (0 = never)
    bool refuse = false;       // no VISCA listener at all: connections are refused
    bool hangup = false;       // accept VISCA connections and close them at once
    bool notices = false;      // send network notices (88 ...) now and then between replies
    bool foreign = false;      // send replies of camera address 2 (A0 ...) now and then
    bool interleave = false;   // wrap inquiry answers with extra ACK and completion packets
    bool noTally = false;      // no tally lamp: the tally command is answered with a syntax error
    int httpStatus = 0;        // answer every HTTP request with this status (0 = serve normally)
    int udpDropEvery = 0;      // VISCA over UDP: drop every n-th datagram received (0 = none)
    bool udpOtherPort = false; // VISCA over UDP: replies leave from another source port
    bool udpDuplicate = false; // VISCA over UDP: every reply datagram is sent twice
    int sonyAbnormalEvery = 0; // Sony framing: every n-th message is answered "abnormal sequence"
    AnswerForm answerForm = AnswerForm::Standard;

    bool isSilent(int kind) const { return silentKinds.contains(kind); }
    QJsonObject toJson() const;

    // "3", "3,8,14", "all" or "none".
    static bool parseSilentKinds(const QString &text, QSet<int> *kinds, QString *error);
    // "5:1300" or "9,10:1200": these kinds answer that many milliseconds late.
    static bool parseLateKinds(const QString &text, QHash<int, int> *kinds, QString *error);
    static bool parseAnswerForm(const QString &text, AnswerForm *form, QString *error);
    static QString answerFormName(AnswerForm form);
};
