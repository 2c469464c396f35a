#include "simoptions.h"

#include "controlchannel.h"

#include <QCommandLineParser>
#include <QCoreApplication>

namespace {
const char Description[]
    = R"(Simulates network PTZ cameras for the Tavimorex control panel: one camera per address, each
speaking VISCA over TCP (--visca-port), optionally over UDP raw (--udp-port) and Sony-framed
(--sony-port; RX/TX lines then show the VISCA payload), and serving /snapshot.jpg and
/cgi-bin/param.cgi?get_device_conf over HTTP (--http-port). Try the panel without a camera:
  tavimorex-ptzsim 127.0.0.2 127.0.0.3
and add 127.0.0.2 and 127.0.0.3 as network cameras.

Every command is answered with ACK (90 41 FF) and completion (90 51 FF), every known inquiry with
its answer from the camera state, anything else with a syntax error (90 60 02 FF). Pan, tilt, zoom
and focus move over time at the commanded speeds within the pan/tilt limits; presets 0-254 are
stored and recalled at the preset speed; recalling preset 95 opens or closes the on-screen menu,
and while the menu is open up/down move its cursor instead of the head. Manual focus moves only
with auto focus off and the focus lock released.

Log on standard output, one line per event, flushed per line:
  <msecs since epoch> <address> RX <hex bytes>       a received packet ("81 09 04 47 ff")
  <msecs since epoch> <address> TX <hex bytes>       a sent packet
  <msecs since epoch> <address> CONNECT <ip:port>    a VISCA connection opened
  <msecs since epoch> <address> DATAGRAM <ip:port> <hex bytes>  a Sony VISCA-over-IP datagram as received
  <msecs since epoch> <address> DROPPED              a UDP datagram dropped (--udp-drop-every)
  <msecs since epoch> <address> DISCONNECT           a VISCA connection closed
  <msecs since epoch> <address> HTTP <method> <path-with-query> <status>
  <msecs since epoch> <address> CONTROL <command line>
  <msecs since epoch> READY                          every listener is up
Failing to listen prints the reason on standard error and exits with status 1.

Inquiry kinds for --silent: 3 zoom, 4 focus, 5 focus mode, 6 shutter, 7 iris, 8 bright, 9 pan/tilt,
10 luminance, 11 contrast, 12 hue, 13 exposure mode, 14 white balance.

Control channel (--control-port, TCP on each camera address, one text line per command, one reply
line "OK ..." or "ERR <why>"):
  silent <kind[,kind...]|all|none>   delay <ms>   close-after <n|0>   refuse on|off   hangup on|off
  drop (close the open VISCA connections)   notices on|off   foreign on|off   interleave on|off
  no-tally on|off
  answers standard|short|long   http-status <code|0>   devconf default|<text> (serve this device
  configuration, \n between lines)   send <hex bytes> (raw bytes on every VISCA connection)
  state (OK + camera state as one-line JSON)   faults   connections
  set <field> <value>: pan, tilt, zoom, focus as up to four hex digits (two's complement for
  pan/tilt); autofocus, focuslock, aemode, shutter, iris, bright, luminance, contrast, hue, wbmode,
  flip, mirror, motionsync, power, menu, presetspeed as integers
  reset (camera back to power-on state, fault modes back to the command line's).)";

bool portValue(
    const QCommandLineParser &parser, const QString &name, bool allowZero, quint16 *port, QString *error)
{
    bool ok = false;
    const uint value = parser.value(name).toUInt(&ok);
    if (!ok || value > 65535 || (!allowZero && value == 0)) {
        *error = QStringLiteral("--%1 needs a port number %2..65535, not \"%3\"")
                     .arg(name, allowZero ? QStringLiteral("0") : QStringLiteral("1"), parser.value(name));
        return false;
    }
    *port = quint16(value);
    return true;
}

bool countValue(
    const QCommandLineParser &parser, const QString &name, int maximum, int *result, QString *error)
{
    bool ok = false;
    const int value = parser.value(name).toInt(&ok);
    if (!ok || value < 0 || value > maximum) {
        *error = QStringLiteral("--%1 needs a number 0..%2, not \"%3\"")
                     .arg(name)
                     .arg(maximum)
                     .arg(parser.value(name));
        return false;
    }
    *result = value;
    return true;
}
} // namespace

SimOptions::Outcome SimOptions::parse(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromUtf8(Description));
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();
    parser.addPositionalArgument(
        QStringLiteral("ADDRESS"),
        QStringLiteral("IP address of one simulated camera (e.g. 127.0.0.2); give one per camera."),
        QStringLiteral("ADDRESS [ADDRESS...]"));
    parser.addOptions({
        {QStringLiteral("visca-port"), QStringLiteral("VISCA TCP port of every camera (default 5678)."),
         QStringLiteral("N"), QStringLiteral("5678")},
        {QStringLiteral("udp-port"),
         QStringLiteral("Also serve raw VISCA over UDP on this port of every camera, one frame per datagram "
                        "(usually 1259; default 0 = not served)."),
         QStringLiteral("N"), QStringLiteral("0")},
        {QStringLiteral("sony-port"),
         QStringLiteral("Also serve Sony VISCA over IP on this UDP port of every camera (usually 52381; "
                        "default 0 = not served): 8-byte header, sequence numbers, control RESET; replies go "
                        "to this port of the sender, as a Sony camera does."),
         QStringLiteral("N"), QStringLiteral("0")},
        {QStringLiteral("udp-drop-every"),
         QStringLiteral(
             "VISCA over UDP (both framings): drop every N-th datagram received (default 0 = none)."),
         QStringLiteral("N"), QStringLiteral("0")},
        {QStringLiteral("udp-other-port"),
         QStringLiteral(
             "VISCA over UDP: send the replies from another source port than the one listened on.")},
        {QStringLiteral("udp-duplicate"), QStringLiteral("VISCA over UDP: send every reply datagram twice.")},
        {QStringLiteral("sony-abnormal-every"),
         QStringLiteral("Sony VISCA over IP: answer every N-th command or inquiry with the control reply "
                        "\"abnormal sequence number\" (02 01 .. 0F 01) instead (default 0 = never)."),
         QStringLiteral("N"), QStringLiteral("0")},
        {QStringLiteral("http-port"), QStringLiteral("HTTP port of every camera (default 80)."),
         QStringLiteral("N"), QStringLiteral("80")},
        {QStringLiteral("control-port"),
         QStringLiteral("Control channel TCP port of every camera (default 0 = no control channel)."),
         QStringLiteral("N"), QStringLiteral("0")},
        {QStringLiteral("name"),
         QStringLiteral(
             "Device name (devname) reported over HTTP (default \"PTZ Simulator\"). Repeat it to name "
             "the cameras in address order; the last name given is used for the rest."),
         QStringLiteral("TEXT")},
        {QStringLiteral("serial"),
         QStringLiteral(
             "Serial number reported over HTTP. Repeat it for the cameras in address order; cameras "
             "without one get SIM0001, SIM0002, ... by position."),
         QStringLiteral("TEXT")},
        {QStringLiteral("silent"),
         QStringLiteral("Never answer inquiries of this kind (3..14, a comma list, or \"all\" for all twelve "
                        "polled kinds); repeatable."),
         QStringLiteral("KIND")},
        {QStringLiteral("late"),
         QStringLiteral(
             "Answer inquiries of these kinds (as for --silent) MS late, as \"KIND[,KIND...]:MS\"; "
             "replies after them are not held back, so a controller that gave up meets the late "
             "answer while it waits for another one. Repeatable."),
         QStringLiteral("KIND:MS")},
        {QStringLiteral("delay"),
         QStringLiteral("Send every reply (ACK, completion, answers, errors) MS late."), QStringLiteral("MS"),
         QStringLiteral("0")},
        {QStringLiteral("close-after"),
         QStringLiteral(
             "Close a VISCA connection when its N-th packet arrives (that packet is not answered)."),
         QStringLiteral("N"), QStringLiteral("0")},
        {QStringLiteral("refuse"),
         QStringLiteral("Refuse VISCA connections (the VISCA port is not listened on).")},
        {QStringLiteral("hangup"), QStringLiteral("Accept VISCA connections and close them at once.")},
        {QStringLiteral("notices"),
         QStringLiteral(
             "Send network notices (88 30 01 FF, 88 38 FF, 88 01 00 01 FF) now and then between replies.")},
        {QStringLiteral("foreign"),
         QStringLiteral(
             "Send replies of camera address 2 (A0 41 FF, A0 51 FF, A0 50 02 FF) now and then between "
             "replies.")},
        {QStringLiteral("no-tally"),
         QStringLiteral("No tally lamp: answer the tally command (81 01 7E 01 0A 00 02|03 FF) with a syntax "
                        "error (90 60 02 FF) instead of ACK and completion.")},
        {QStringLiteral("interleave"),
         QStringLiteral(
             "Send an extra ACK (90 41 FF) before every inquiry answer and an extra completion after "
             "every second one.")},
        {QStringLiteral("answers"),
         QStringLiteral(
             "Answer form of the shutter, iris, bright, luminance, contrast and hue inquiries: standard "
             "(90 50 00 00 0p 0q FF, bright 90 50 pp FF), short (all 90 50 pp FF) or long (all "
             "90 50 00 00 0p 0q FF)."),
         QStringLiteral("FORM"), QStringLiteral("standard")},
        {QStringLiteral("http-status"),
         QStringLiteral("Answer every HTTP request with this status instead of serving it (0 = serve)."),
         QStringLiteral("CODE"), QStringLiteral("0")},
    });

    if (!parser.parse(arguments)) {
        m_message = parser.errorText();
        return Outcome::ExitError;
    }
    if (parser.isSet(helpOption)) {
        m_message = parser.helpText() + QLatin1Char('\n');
        return Outcome::ExitOk;
    }
    if (parser.isSet(versionOption)) {
        m_message = QCoreApplication::applicationName() + QLatin1Char(' ')
                    + QCoreApplication::applicationVersion() + QLatin1Char('\n');
        return Outcome::ExitOk;
    }

    SimulatedDevice::Settings common;
    QString error;
    if (!portValue(parser, QStringLiteral("visca-port"), false, &common.viscaPort, &error)
        || !portValue(parser, QStringLiteral("http-port"), false, &common.httpPort, &error)
        || !portValue(parser, QStringLiteral("udp-port"), true, &common.udpPort, &error)
        || !portValue(parser, QStringLiteral("sony-port"), true, &common.sonyPort, &error)
        || !countValue(parser, QStringLiteral("udp-drop-every"), 1000000, &common.faults.udpDropEvery, &error)
        || !countValue(parser, QStringLiteral("sony-abnormal-every"), 1000000,
                       &common.faults.sonyAbnormalEvery, &error)
        || !portValue(parser, QStringLiteral("control-port"), true, &common.controlPort, &error)
        || !countValue(parser, QStringLiteral("delay"), 600000, &common.faults.delayMs, &error)
        || !countValue(parser, QStringLiteral("close-after"), 1000000, &common.faults.closeAfter, &error)
        || !countValue(parser, QStringLiteral("http-status"), 599, &common.faults.httpStatus, &error)
        || !FaultModes::parseAnswerForm(parser.value(QStringLiteral("answers")), &common.faults.answerForm,
                                        &error)) {
        m_message = error;
        return Outcome::ExitError;
    }
    if (common.faults.httpStatus != 0 && common.faults.httpStatus < 100) {
        m_message = QStringLiteral("--http-status needs 0 or a status 100..599");
        return Outcome::ExitError;
    }
    for (const QString &kinds : parser.values(QStringLiteral("silent"))) {
        QSet<int> parsed;
        if (!FaultModes::parseSilentKinds(kinds, &parsed, &error)) {
            m_message = QStringLiteral("--silent: ") + error;
            return Outcome::ExitError;
        }
        common.faults.silentKinds.unite(parsed);
    }
    for (const QString &late : parser.values(QStringLiteral("late"))) {
        if (!FaultModes::parseLateKinds(late, &common.faults.lateKinds, &error)) {
            m_message = QStringLiteral("--late: ") + error;
            return Outcome::ExitError;
        }
    }
    common.faults.udpOtherPort = parser.isSet(QStringLiteral("udp-other-port"));
    common.faults.udpDuplicate = parser.isSet(QStringLiteral("udp-duplicate"));
    common.faults.refuse = parser.isSet(QStringLiteral("refuse"));
    common.faults.hangup = parser.isSet(QStringLiteral("hangup"));
    common.faults.notices = parser.isSet(QStringLiteral("notices"));
    common.faults.foreign = parser.isSet(QStringLiteral("foreign"));
    common.faults.interleave = parser.isSet(QStringLiteral("interleave"));
    common.faults.noTally = parser.isSet(QStringLiteral("no-tally"));

    const QStringList addresses = parser.positionalArguments();
    if (addresses.isEmpty()) {
        m_message = QStringLiteral("give at least one camera address, e.g. 127.0.0.2");
        return Outcome::ExitError;
    }
    const QStringList names = parser.values(QStringLiteral("name"));
    const QStringList serials = parser.values(QStringLiteral("serial"));
    QList<QHostAddress> seen;
    m_devices.clear();
    for (int i = 0; i < addresses.size(); ++i) {
        SimulatedDevice::Settings device = common;
        if (!device.address.setAddress(addresses.at(i))) {
            m_message = QStringLiteral("\"%1\" is not an IP address").arg(addresses.at(i));
            return Outcome::ExitError;
        }
        if (seen.contains(device.address)) {
            m_message = QStringLiteral("address %1 is given twice").arg(addresses.at(i));
            return Outcome::ExitError;
        }
        seen.append(device.address);
        device.name = names.isEmpty() ? QStringLiteral("PTZ Simulator") : names.value(i, names.constLast());
        device.serial = serials.value(i, QStringLiteral("SIM%1").arg(i + 1, 4, 10, QLatin1Char('0')));
        m_devices.append(device);
    }
    return Outcome::Run;
}
