#include "commandlineoptions.h"

#include "datapaths.h"
#include "tavimorexversion.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QList>
#include <QtGlobal>

#include <cstdio>

namespace {

const QString Description
    = QStringLiteral("Control panel for pan-tilt-zoom cameras: network cameras over VISCA and USB (UVC)\n"
                     "cameras, driven from the window, hotkeys, a game controller or a browser, with links\n"
                     "to OBS Studio and vMix.");

// The options QGuiApplication and QApplication read themselves; they pass through unlisted.
QList<QCommandLineOption> qtOptions()
{
    QList<QCommandLineOption> options;
    const char *const withValue[]
        = {"platform",        "platformpluginpath", "platformtheme", "plugin",
           "qwindowgeometry", "qwindowicon",        "qwindowtitle",  "screen",
           "display",         "geometry",           "name",          "title",
           "style",           "stylesheet",         "session",       "qmljsdebugger"};
    for (const char *name : withValue) {
        QCommandLineOption option(QString::fromLatin1(name), QString(), QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        options.append(option);
    }
    const char *const flags[] = {"reverse", "widgetcount", "nograb", "dograb", "sync"};
    for (const char *name : flags) {
        QCommandLineOption option(QString::fromLatin1(name));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        options.append(option);
    }
    return options;
}

void print(FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

} // namespace

CommandLineOptions::CommandLineOptions(const QStringList &arguments)
{
    m_programName
        = arguments.isEmpty() ? QStringLiteral("tavimorex") : QFileInfo(arguments.first()).fileName();

    QCommandLineParser parser;
    parser.setApplicationDescription(Description);
    // "-platform offscreen" is how Qt's options are usually written.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and where the settings and the log live."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Show the version."));
    parser.addOption(help);
    parser.addOption(version);
    parser.addOptions(qtOptions());

    // Without an application object the parser does not know the program's name.
    m_helpText = parser.helpText().replace(QStringLiteral("<executable_name>"), m_programName);
    m_helpText += QStringLiteral("\nQt's own options (-platform, -style, -qwindowgeometry, ...) are accepted "
                                 "too.\n\nFiles (the data folder follows $XDG_DATA_HOME):\n"
                                 "  settings:    %1\n"
                                 "  log:         %2\n"
                                 "  USB presets: %3\n"
                                 "  pictures:    %4/\n")
                      .arg(DataPaths::settingsFile(), DataPaths::logFile(), DataPaths::usbPresetsFile(),
                           DataPaths::downloadsFolder());

    if (!parser.parse(arguments)) {
        m_errorText = parser.errorText();
        return;
    }
    if (!parser.positionalArguments().isEmpty()) {
        m_errorText = QStringLiteral("Unexpected argument '%1'.").arg(parser.positionalArguments().first());
        return;
    }
    m_showHelp = parser.isSet(help);
    m_showVersion = parser.isSet(version);
}

QStringList CommandLineOptions::fromArgv(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

bool CommandLineOptions::exitsEarly() const
{
    return m_showHelp || m_showVersion || !m_errorText.isEmpty();
}

int CommandLineOptions::report() const
{
    if (!m_errorText.isEmpty()) {
        print(stderr, QStringLiteral("%1: %2\nTry '%1 --help'.\n").arg(m_programName, m_errorText));
        return 2;
    }
    if (m_showHelp)
        print(stdout, m_helpText);
    else if (m_showVersion)
        print(stdout, versionText());
    return 0;
}

QString CommandLineOptions::helpText() const
{
    return m_helpText;
}

QString CommandLineOptions::versionText() const
{
    return QStringLiteral("%1 %2 (Qt %3)\n")
        .arg(m_programName, QStringLiteral(TAVIMOREX_VERSION), QString::fromLatin1(qVersion()));
}

QString CommandLineOptions::errorText() const
{
    return m_errorText;
}
