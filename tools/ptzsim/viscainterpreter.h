#pragma once

#include <QByteArray>
#include <QList>

#include <functional>

class SimCamera;
struct FaultModes;

// What the camera does about one received packet: the reply packets it sends (before any fault is
// applied) and, for the polled inquiries, the inquiry kind so that a session can keep it silent.
struct ViscaReaction
{
    enum class Type { Command, Inquiry, Error, Ignored };

    Type type = Type::Ignored;
    int inquiryKind = 0;
    QList<QByteArray> replies;
};

// Turns VISCA packets into camera actions and answers. Commands and inquiries are tables of
// packet shapes, so supporting another packet is one row.
class ViscaInterpreter
{
public:
    ViscaInterpreter(SimCamera *camera, const FaultModes *faults);

    ViscaReaction handle(const QByteArray &packet) const;

private:
    // A packet matches a rule when it has `length` bytes and starts with 0x81 followed by `prefix`.
    // apply() returns false when an argument is out of range (answered with a syntax error).
    struct CommandRule
    {
        QByteArray prefix;
        int length;
        std::function<bool(SimCamera &, const QByteArray &)> apply;
    };
    struct InquiryRule
    {
        QByteArray prefix;
        std::function<QByteArray(const SimCamera &, const FaultModes &)> answerData;
    };

    static const QList<CommandRule> &commandRules();
    static const QList<InquiryRule> &inquiryRules();
    ViscaReaction handleBroadcast(const QByteArray &packet) const;

    SimCamera *m_camera;
    const FaultModes *m_faults;
};
