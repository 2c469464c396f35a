#pragma once

#include <QString>
#include <QStringList>

// The program's command line, read before the application object exists: asking for the help or the
// version opens no window and starts no server. Qt's own options (-platform, -style, ...) are accepted
// and left for the application object.
class CommandLineOptions
{
public:
    explicit CommandLineOptions(const QStringList &arguments);

    static QStringList fromArgv(int argc, char **argv);

    // True when the program ends here: help, version or a bad command line.
    bool exitsEarly() const;
    // Prints the help, the version or the error and returns the exit code.
    int report() const;

    QString helpText() const;
    QString versionText() const;
    QString errorText() const;

private:
    QString m_programName;
    QString m_helpText;
    QString m_errorText;
    bool m_showHelp = false;
    bool m_showVersion = false;
};
