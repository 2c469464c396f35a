#include "viscainterpreter.h"

#include "faultmodes.h"
#include "simcamera.h"
#include "viscatables.h"

namespace {
QByteArray bytes(std::initializer_list<quint8> list)
{
    QByteArray result;
    for (quint8 b : list)
        result.append(char(b));
    return result;
}

quint8 at(const QByteArray &packet, int index)
{
    return quint8(packet.at(index));
}

// 02 on, 03 off, as in every VISCA switch.
bool applySwitch(quint8 code, const std::function<void(bool)> &set)
{
    if (code != 0x02 && code != 0x03)
        return false;
    set(code == 0x02);
    return true;
}

QByteArray switchData(bool on)
{
    return bytes({quint8(on ? 0x02 : 0x03)});
}

// Direct value 00 00 0p 0q (the last byte may also carry the whole value, as the panel sends
// picture values).
bool directValue(const QByteArray &packet, int *value)
{
    if (at(packet, 4) != 0 || at(packet, 5) != 0 || at(packet, 6) > 0x0F)
        return false;
    *value = at(packet, 6) * 16 + at(packet, 7);
    return true;
}

bool applyDirect(const QByteArray &packet, const std::function<void(int)> &set)
{
    int value = 0;
    if (!directValue(packet, &value))
        return false;
    set(value);
    return true;
}

// 90 50 00 00 0p 0q FF or 90 50 pp FF.
QByteArray valueData(int value, bool longForm)
{
    if (longForm)
        return bytes({0x00, 0x00, quint8((value >> 4) & 0x0F), quint8(value & 0x0F)});
    return bytes({quint8(value)});
}

bool longForm(const FaultModes &faults)
{
    return faults.answerForm != FaultModes::AnswerForm::Short;
}

// Variable drive byte: 00 stop, 02/03 standard, 2p/3p variable speed p.
bool lensDrive(quint8 code, int standardSpeed, const std::function<void(int, int)> &drive)
{
    if (code == 0x00)
        drive(0, 0);
    else if (code == 0x02)
        drive(+1, standardSpeed);
    else if (code == 0x03)
        drive(-1, standardSpeed);
    else if ((code & 0xF0) == 0x20 && (code & 0x0F) <= 0x07)
        drive(+1, code & 0x0F);
    else if ((code & 0xF0) == 0x30 && (code & 0x0F) <= 0x07)
        drive(-1, code & 0x0F);
    else
        return false;
    return true;
}

constexpr int StandardLensSpeed = 3;
} // namespace

ViscaInterpreter::ViscaInterpreter(SimCamera *camera, const FaultModes *faults)
    : m_camera(camera), m_faults(faults)
{}

const QList<ViscaInterpreter::CommandRule> &ViscaInterpreter::commandRules()
{
    using Cam = SimCamera;
    using P = const QByteArray &;
    static const QList<CommandRule> rules = {
        // Pan/tilt drive 81 01 06 01 VV WW PP TT FF: PP 01 left, 02 right, 03 stop; TT 01 up, 02 down.
        {bytes({0x01, 0x06, 0x01}), 9,
         [](Cam &c, P p) {
             const quint8 panCode = at(p, 6);
             const quint8 tiltCode = at(p, 7);
             if (panCode < 1 || panCode > 3 || tiltCode < 1 || tiltCode > 3 || at(p, 4) > 0x7F
                 || at(p, 5) > 0x7F)
                 return false;
             const int panDirection = panCode == 1 ? -1 : panCode == 2 ? 1 : 0;
             const int tiltDirection = tiltCode == 1 ? 1 : tiltCode == 2 ? -1 : 0;
             c.drivePanTilt(at(p, 4), at(p, 5), panDirection, tiltDirection);
             return true;
         }},
        // Preset recall speed 81 01 06 01 SS FF, SS 01..18.
        {bytes({0x01, 0x06, 0x01}), 6,
         [](Cam &c, P p) {
             if (at(p, 4) < 1 || at(p, 4) > Visca::PresetSpeedMaximum)
                 return false;
             c.setPresetSpeed(at(p, 4));
             return true;
         }},
        // Absolute and relative position 81 01 06 02|03 VV WW 0Y0Y0Y0Y 0Z0Z0Z0Z FF.
        {bytes({0x01, 0x06, 0x02}), 15,
         [](Cam &c, P p) {
             if (!Visca::isNibbles(p, 6, 8))
                 return false;
             c.movePanTiltTo(Visca::signedPosition(Visca::wordFromNibbles(p, 6)),
                             Visca::signedPosition(Visca::wordFromNibbles(p, 10)), at(p, 4), at(p, 5));
             return true;
         }},
        {bytes({0x01, 0x06, 0x03}), 15,
         [](Cam &c, P p) {
             if (!Visca::isNibbles(p, 6, 8))
                 return false;
             c.movePanTiltBy(Visca::signedPosition(Visca::wordFromNibbles(p, 6)),
                             Visca::signedPosition(Visca::wordFromNibbles(p, 10)), at(p, 4), at(p, 5));
             return true;
         }},
        // Home and reset.
        {bytes({0x01, 0x06, 0x04}), 5,
         [](Cam &c, P) {
             c.home();
             return true;
         }},
        {bytes({0x01, 0x06, 0x05}), 5,
         [](Cam &c, P) {
             c.home();
             return true;
         }},
        // Limits 81 01 06 07 AA CC 0Y0Y0Y0Y 0Z0Z0Z0Z FF: AA 00 set, 01 clear; CC 00 down-left, 01 up-right.
        {bytes({0x01, 0x06, 0x07}), 15,
         [](Cam &c, P p) {
             if (at(p, 4) > 1 || at(p, 5) > 1 || !Visca::isNibbles(p, 6, 8))
                 return false;
             const auto corner = at(p, 5) == 0 ? Cam::Corner::DownLeft : Cam::Corner::UpRight;
             if (at(p, 4) == 1)
                 c.clearPanTiltLimit(corner);
             else
                 c.setPanTiltLimit(corner, Visca::signedPosition(Visca::wordFromNibbles(p, 6)),
                                   Visca::signedPosition(Visca::wordFromNibbles(p, 10)));
             return true;
         }},
        // On-screen menu 81 01 06 06 xx FF: 02 open, 03 close, 10 toggle, 05 enter, 04 back.
        {bytes({0x01, 0x06, 0x06}), 6,
         [](Cam &c, P p) {
             switch (at(p, 4)) {
             case 0x02:
                 c.setMenuOpen(true);
                 return true;
             case 0x03:
                 c.setMenuOpen(false);
                 return true;
             case 0x10:
                 c.toggleMenu();
                 return true;
             case 0x05:
                 c.menuEnter();
                 return true;
             case 0x04:
                 c.menuBack();
                 return true;
             default:
                 return false;
             }
         }},
        // Tally lamp 81 01 7E 01 0A 00 pp FF: 02 on, 03 off.
        {bytes({0x01, 0x7E, 0x01, 0x0A, 0x00}), 8,
         [](Cam &c, P p) {
             if (at(p, 6) != 0x02 && at(p, 6) != 0x03)
                 return false;
             c.setTallyLamp(at(p, 6) == 0x02);
             return true;
         }},
        // Zoom 81 01 04 07 xx FF (2p tele, 3p wide) and direct 81 01 04 47 0p0q0r0s FF.
        {bytes({0x01, 0x04, 0x07}), 6,
         [](Cam &c, P p) {
             return lensDrive(at(p, 4), StandardLensSpeed,
                              [&c](int dir, int speed) { c.driveZoom(dir, speed); });
         }},
        {bytes({0x01, 0x04, 0x47}), 9,
         [](Cam &c, P p) {
             if (!Visca::isNibbles(p, 4, 4))
                 return false;
             c.moveZoomTo(Visca::wordFromNibbles(p, 4));
             return true;
         }},
        // Focus 81 01 04 08 xx FF: 2p far, 3p near; direct 81 01 04 48 0p0q0r0s FF.
        {bytes({0x01, 0x04, 0x08}), 6,
         [](Cam &c, P p) {
             // The drive codes count "far" as the first direction; the position grows towards near.
             return lensDrive(at(p, 4), StandardLensSpeed,
                              [&c](int dir, int speed) { c.driveFocus(-dir, speed); });
         }},
        {bytes({0x01, 0x04, 0x48}), 9,
         [](Cam &c, P p) {
             if (!Visca::isNibbles(p, 4, 4))
                 return false;
             c.moveFocusTo(Visca::wordFromNibbles(p, 4));
             return true;
         }},
        {bytes({0x01, 0x04, 0x38}), 6,
         [](Cam &c, P p) {
             if (at(p, 4) == 0x10) {
                 c.toggleAutoFocus();
                 return true;
             }
             return applySwitch(at(p, 4), [&c](bool on) { c.setAutoFocus(on); });
         }},
        {bytes({0x01, 0x04, 0x18}), 6,
         [](Cam &c, P p) {
             if (at(p, 4) != 0x01)
                 return false;
             c.onePushFocus();
             return true;
         }},
        {bytes({0x0A, 0x04, 0x68}), 6,
         [](Cam &c, P p) {
             return applySwitch(at(p, 4), [&c](bool on) { c.setFocusLock(on); });
         }},
        // Presets 81 01 04 3F 00|01|02 PP FF: reset, set, recall.
        {bytes({0x01, 0x04, 0x3F}), 7,
         [](Cam &c, P p) {
             const int number = at(p, 5);
             if (number >= Visca::PresetCount)
                 return false;
             switch (at(p, 4)) {
             case 0x00:
                 c.clearPreset(number);
                 return true;
             case 0x01:
                 c.storePreset(number);
                 return true;
             case 0x02:
                 // An empty preset is recalled without moving, as cameras of this family do.
                 c.recallPreset(number);
                 return true;
             default:
                 return false;
             }
         }},
        // Exposure: direct values 81 01 04 4A|4B|4D 00 00 0p 0q FF, steps 81 01 04 0A|0B|0D 00|02|03 FF.
        {bytes({0x01, 0x04, 0x4A}), 9,
         [](Cam &c, P p) {
             return applyDirect(p, [&c](int value) { c.setShutter(value); });
         }},
        {bytes({0x01, 0x04, 0x4B}), 9,
         [](Cam &c, P p) {
             return applyDirect(p, [&c](int value) { c.setIris(value); });
         }},
        {bytes({0x01, 0x04, 0x4D}), 9,
         [](Cam &c, P p) {
             return applyDirect(p, [&c](int value) { c.setBright(value); });
         }},
        // The panel sends its bright value on the bright step command's code (81 01 04 0D 00 00 0p 0q FF).
        {bytes({0x01, 0x04, 0x0D}), 9,
         [](Cam &c, P p) {
             return applyDirect(p, [&c](int value) { c.setBright(value); });
         }},
        {bytes({0x01, 0x04, 0x0A}), 6,
         [](Cam &c, P p) {
             const quint8 code = at(p, 4);
             if (code == 0x00)
                 c.resetShutter();
             else if (code == 0x02 || code == 0x03)
                 c.stepShutter(code == 0x02 ? 1 : -1);
             else
                 return false;
             return true;
         }},
        {bytes({0x01, 0x04, 0x0B}), 6,
         [](Cam &c, P p) {
             const quint8 code = at(p, 4);
             if (code == 0x00)
                 c.resetIris();
             else if (code == 0x02 || code == 0x03)
                 c.stepIris(code == 0x02 ? 1 : -1);
             else
                 return false;
             return true;
         }},
        {bytes({0x01, 0x04, 0x0D}), 6,
         [](Cam &c, P p) {
             const quint8 code = at(p, 4);
             if (code == 0x00)
                 c.resetBright();
             else if (code == 0x02 || code == 0x03)
                 c.stepBright(code == 0x02 ? 1 : -1);
             else
                 return false;
             return true;
         }},
        {bytes({0x01, 0x04, 0x39}), 6,
         [](Cam &c, P p) {
             if (!Visca::isAeModeCode(at(p, 4)))
                 return false;
             c.setAeMode(at(p, 4));
             return true;
         }},
        {bytes({0x01, 0x04, 0x35}), 6,
         [](Cam &c, P p) {
             if (!Visca::isWbModeCode(at(p, 4)))
                 return false;
             c.setWbMode(at(p, 4));
             return true;
         }},
        {bytes({0x01, 0x04, 0x10}), 6,
         [](Cam &c, P p) {
             if (at(p, 4) != 0x05)
                 return false;
             c.triggerOnePushWb();
             return true;
         }},
        // Picture values 81 01 04 A1|A2|4F 00 00 0p 0q FF.
        {bytes({0x01, 0x04, 0xA1}), 9,
         [](Cam &c, P p) {
             return applyDirect(p, [&c](int value) { c.setLuminance(value); });
         }},
        {bytes({0x01, 0x04, 0xA2}), 9,
         [](Cam &c, P p) {
             return applyDirect(p, [&c](int value) { c.setContrast(value); });
         }},
        {bytes({0x01, 0x04, 0x4F}), 9,
         [](Cam &c, P p) {
             return applyDirect(p, [&c](int value) { c.setHue(value); });
         }},
        {bytes({0x01, 0x04, 0x66}), 6,
         [](Cam &c, P p) {
             return applySwitch(at(p, 4), [&c](bool on) { c.setFlip(on); });
         }},
        {bytes({0x01, 0x04, 0x61}), 6,
         [](Cam &c, P p) {
             return applySwitch(at(p, 4), [&c](bool on) { c.setMirror(on); });
         }},
        {bytes({0x0A, 0x11, 0x13}), 6,
         [](Cam &c, P p) {
             return applySwitch(at(p, 4), [&c](bool on) { c.setMotionSync(on); });
         }},
        {bytes({0x01, 0x04, 0x00}), 6,
         [](Cam &c, P p) {
             return applySwitch(at(p, 4), [&c](bool on) { c.setPower(on); });
         }},
    };
    return rules;
}

const QList<ViscaInterpreter::InquiryRule> &ViscaInterpreter::inquiryRules()
{
    using Cam = SimCamera;
    using F = FaultModes;
    static const QList<InquiryRule> rules = {
        {bytes({0x04, 0x47}),
         [](const Cam &c, const F &) {
             return Visca::nibblesFromWord(quint16(c.zoom()));
         }},
        {bytes({0x04, 0x48}),
         [](const Cam &c, const F &) {
             return Visca::nibblesFromWord(quint16(c.focus()));
         }},
        {bytes({0x04, 0x38}),
         [](const Cam &c, const F &) {
             return switchData(c.autoFocus());
         }},
        {bytes({0x04, 0x4A}),
         [](const Cam &c, const F &f) {
             return valueData(c.shutter(), longForm(f));
         }},
        {bytes({0x04, 0x4B}),
         [](const Cam &c, const F &f) {
             return valueData(c.iris(), longForm(f));
         }},
        {bytes({0x04, 0x4D}),
         [](const Cam &c, const F &f) {
             return valueData(c.bright(), f.answerForm == FaultModes::AnswerForm::Long);
         }},
        {bytes({0x06, 0x12}),
         [](const Cam &c, const F &) {
             return Visca::nibblesFromWord(Visca::positionWord(c.pan()))
                    + Visca::nibblesFromWord(Visca::positionWord(c.tilt()));
         }},
        {bytes({0x04, 0xA1}),
         [](const Cam &c, const F &f) {
             return valueData(c.luminance(), longForm(f));
         }},
        {bytes({0x04, 0xA2}),
         [](const Cam &c, const F &f) {
             return valueData(c.contrast(), longForm(f));
         }},
        {bytes({0x04, 0x4F}),
         [](const Cam &c, const F &f) {
             return valueData(c.hue(), longForm(f));
         }},
        {bytes({0x04, 0x39}),
         [](const Cam &c, const F &) {
             return bytes({quint8(c.aeMode())});
         }},
        {bytes({0x04, 0x35}),
         [](const Cam &c, const F &) {
             return bytes({quint8(c.wbMode())});
         }},
        // Further inquiries a controller may send; not polled by the panel.
        {bytes({0x04, 0x00}),
         [](const Cam &c, const F &) {
             return switchData(c.power());
         }},
        {bytes({0x04, 0x66}),
         [](const Cam &c, const F &) {
             return switchData(c.flip());
         }},
        {bytes({0x04, 0x61}),
         [](const Cam &c, const F &) {
             return switchData(c.mirror());
         }},
        {bytes({0x06, 0x06}),
         [](const Cam &c, const F &) {
             return switchData(c.menuOpen());
         }},
        {bytes({0x06, 0x11}),
         [](const Cam &, const F &) {
             return bytes({quint8(Visca::PanSpeedMaximum), quint8(Visca::TiltSpeedMaximum)});
         }},
        // Version: vendor 0000, model 0A5C, ROM 0100, two sockets.
        {bytes({0x00, 0x02}),
         [](const Cam &, const F &) {
             return bytes({0x00, 0x00, 0x0A, 0x5C, 0x01, 0x00, 0x02});
         }},
    };
    return rules;
}

ViscaReaction ViscaInterpreter::handle(const QByteArray &packet) const
{
    ViscaReaction reaction;
    reaction.type = ViscaReaction::Type::Error;
    reaction.replies = {Visca::syntaxError()};
    if (packet.size() < 3 || at(packet, packet.size() - 1) != Visca::Terminator)
        return reaction;

    const quint8 address = at(packet, 0);
    if (address == 0x88)
        return handleBroadcast(packet);
    if ((address & 0xF0) != 0x80)
        return reaction;
    if (address != 0x81) {
        // Addressed to another camera on the same daisy chain: not ours to answer.
        reaction.type = ViscaReaction::Type::Ignored;
        reaction.replies.clear();
        return reaction;
    }

    // Cancel 81 2Z FF.
    if (packet.size() == 3 && (at(packet, 1) & 0xF0) == 0x20) {
        reaction.type = ViscaReaction::Type::Command;
        reaction.replies = {bytes({0x90, quint8(0x60 | (at(packet, 1) & 0x0F)), 0x04, 0xFF})};
        return reaction;
    }
    // Interface clear 81 01 00 01 FF.
    if (packet == bytes({0x81, 0x01, 0x00, 0x01, 0xFF})) {
        reaction.type = ViscaReaction::Type::Command;
        reaction.replies = {bytes({0x90, 0x50, 0xFF})};
        return reaction;
    }

    if (packet.size() == 5 && at(packet, 1) == 0x09) {
        const QByteArray prefix = packet.mid(2, 2);
        for (const InquiryRule &rule : inquiryRules()) {
            if (rule.prefix == prefix) {
                reaction.type = ViscaReaction::Type::Inquiry;
                reaction.inquiryKind = Visca::pollingInquiryKind(packet);
                reaction.replies = {Visca::answer(rule.answerData(*m_camera, *m_faults))};
                return reaction;
            }
        }
        return reaction;
    }

    // Tally lamp 81 01 7E 01 0A 00 pp FF, pp 02 on, 03 off; a camera without one knows no such command.
    if (packet.startsWith(bytes({0x81, 0x01, 0x7E, 0x01, 0x0A, 0x00})) && packet.size() == 8
        && m_faults->noTally)
        return reaction;

    const QByteArray body = packet.mid(1);
    for (const CommandRule &rule : commandRules()) {
        if (packet.size() == rule.length && body.startsWith(rule.prefix)) {
            if (!rule.apply(*m_camera, packet))
                return reaction;
            reaction.type = ViscaReaction::Type::Command;
            reaction.replies = {Visca::ack(), Visca::completion()};
            return reaction;
        }
    }
    return reaction;
}

ViscaReaction ViscaInterpreter::handleBroadcast(const QByteArray &packet) const
{
    ViscaReaction reaction;
    reaction.type = ViscaReaction::Type::Command;
    // Address set 88 30 0n FF: this camera takes address n and passes n + 1 on.
    if (packet.size() == 4 && at(packet, 1) == 0x30 && at(packet, 2) >= 1 && at(packet, 2) <= 7) {
        reaction.replies = {bytes({0x88, 0x30, quint8(at(packet, 2) + 1), 0xFF})};
        return reaction;
    }
    // Broadcast interface clear comes back unchanged.
    if (packet == bytes({0x88, 0x01, 0x00, 0x01, 0xFF})) {
        reaction.replies = {packet};
        return reaction;
    }
    reaction.type = ViscaReaction::Type::Error;
    reaction.replies = {Visca::syntaxError()};
    return reaction;
}
