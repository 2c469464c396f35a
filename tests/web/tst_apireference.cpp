#include "httpserverwrapper.h"

#include <QFile>
#include <QRegularExpression>
#include <QTest>

// docs/api.md against the router: every route the router answers is documented, and the document
// describes no route the router does not have.
class tst_ApiReference : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void everyRouteIsDocumented();
    void everyDocumentedRouteExists();
    void optionalFieldsAreDocumented_data();
    void optionalFieldsAreDocumented();

private:
    QString m_document;
};

void tst_ApiReference::initTestCase()
{
    QFile file(QStringLiteral(TESTS_SOURCE_DIR "/../../docs/api.md"));
    QVERIFY2(file.open(QIODevice::ReadOnly | QIODevice::Text), qPrintable(file.fileName()));
    m_document = QString::fromUtf8(file.readAll());
    QVERIFY(!m_document.isEmpty());
}

void tst_ApiReference::everyRouteIsDocumented()
{
    const QStringList paths = HttpServerWrapper::routePaths();
    // The table is the router's own: the page's entry points and its API are in it.
    QVERIFY(paths.contains(QStringLiteral("/")));
    QVERIFY(paths.contains(QStringLiteral("/cam/control")));
    QVERIFY(paths.contains(QStringLiteral("/obs/saveReconnect")));
    QStringList missing;
    for (const QString &path : paths) {
        // Named in code style, as a heading or a table cell.
        if (!m_document.contains(QLatin1Char('`') + path + QLatin1Char('`')))
            missing.append(path);
    }
    QVERIFY2(missing.isEmpty(), qPrintable(QStringLiteral("not in docs/api.md: ") + missing.join(", ")));
}

void tst_ApiReference::everyDocumentedRouteExists()
{
    const QStringList paths = HttpServerWrapper::routePaths();
    // Every path named in a route heading ("### `/cam/control`", several separated by commas).
    const QRegularExpression heading(QStringLiteral("^###\\s+(.*)$"), QRegularExpression::MultilineOption);
    const QRegularExpression quotedPath(QStringLiteral("`(/[^`?]*)`"));
    QStringList unknown;
    int documented = 0;
    for (auto headings = heading.globalMatch(m_document); headings.hasNext();) {
        const QString line = headings.next().captured(1);
        for (auto names = quotedPath.globalMatch(line); names.hasNext();) {
            const QString path = names.next().captured(1);
            ++documented;
            if (!paths.contains(path))
                unknown.append(path);
        }
    }
    QVERIFY(documented > 0);
    QVERIFY2(unknown.isEmpty(), qPrintable(QStringLiteral("no such route: ") + unknown.join(", ")));
}

void tst_ApiReference::optionalFieldsAreDocumented_data()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<QStringList>("words");

    QTest::newRow("hold lease") << QStringLiteral("### `/cam/control`")
                                << QStringList{QStringLiteral("`holdMs`"), QStringLiteral("200-5000")};
    QTest::newRow("camera transport in the settings")
        << QStringLiteral("### `/cam/settings`")
        << QStringList{QStringLiteral("`transport`"), QStringLiteral("`port`"),
                       QStringLiteral("\"sony-udp\"")};
    QTest::newRow("camera transport when saving")
        << QStringLiteral("### `/cam/saveSettings`")
        << QStringList{QStringLiteral("`transport`"), QStringLiteral("5678"), QStringLiteral("1259"),
                       QStringLiteral("52381"), QStringLiteral("Wrong camera settings!")};
}

void tst_ApiReference::optionalFieldsAreDocumented()
{
    QFETCH(QString, section);
    QFETCH(QStringList, words);
    const qsizetype start = m_document.indexOf(section);
    QVERIFY2(start >= 0, qPrintable(section));
    const qsizetype next = m_document.indexOf(QStringLiteral("\n### "), start + section.size());
    const QString text = m_document.mid(start, next < 0 ? -1 : next - start);
    for (const QString &word : words)
        QVERIFY2(text.contains(word), qPrintable(word));
}

QTEST_GUILESS_MAIN(tst_ApiReference)

#include "tst_apireference.moc"
