#include "controldialogstyle.h"

#include "mainwindowstyle.h"

#include <QList>
#include <QStringList>

namespace ControlDialogStyle {

namespace {

struct Rule
{
    QString selector;
    QStringList declarations; // "property : value", without the semicolon
};

// The window's sheet is a flat list of "selector { declarations }" rules without nesting or comments.
QList<Rule> parseRules(const QString &sheet)
{
    QList<Rule> rules;
    const QStringList blocks = sheet.split(QLatin1Char('}'), Qt::SkipEmptyParts);
    for (const QString &block : blocks) {
        const int brace = block.indexOf(QLatin1Char('{'));
        if (brace < 0)
            continue;
        Rule rule;
        rule.selector = block.left(brace).trimmed();
        const QStringList declarations = block.mid(brace + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (const QString &declaration : declarations) {
            const QString trimmed = declaration.trimmed();
            if (!trimmed.isEmpty())
                rule.declarations.append(trimmed);
        }
        rules.append(rule);
    }
    return rules;
}

QString propertyOf(const QString &declaration)
{
    return declaration.section(QLatin1Char(':'), 0, 0).trimmed();
}

QString format(const QList<Rule> &rules)
{
    QString sheet;
    for (const Rule &rule : rules) {
        sheet += rule.selector + QStringLiteral(" {\n");
        for (const QString &declaration : rule.declarations)
            sheet += QLatin1Char('\t') + declaration + QStringLiteral(";\n");
        sheet += QStringLiteral("}\n");
    }
    return sheet;
}

} // namespace

QString styleSheet()
{
    QList<Rule> rules;
    bool darkEverywhere = false;
    for (Rule rule : parseRules(MainWindowStyle::windowStyleSheet())) {
        if (rule.selector == QLatin1String("QInputDialog")
            || rule.selector == QLatin1String("QGroupBox::title"))
            continue;
        if (rule.selector == QLatin1String("QWidget#centralWidget")) {
            rule.selector = QStringLiteral("QWidget");
            darkEverywhere = true;
        } else if (rule.selector == QLatin1String("QGroupBox")) {
            rule.declarations = {QStringLiteral("color : white")};
        } else if (rule.selector == QLatin1String("QToolTip")) {
            // Tooltips are widgets too: without their own background the dark one above would put the
            // black tooltip text on dark grey.
            rule.declarations.append(QStringLiteral("background : #ffffdc"));
        } else if (rule.selector == QLatin1String("QPushButton")) {
            for (QString &declaration : rule.declarations) {
                if (propertyOf(declaration) == QLatin1String("padding"))
                    declaration = QStringLiteral("padding : 8px");
            }
        }
        rules.append(rule);
    }
    if (!darkEverywhere)
        rules.prepend({QStringLiteral("QWidget"), {QStringLiteral("background : #333333")}});
    return format(rules);
}

} // namespace ControlDialogStyle
