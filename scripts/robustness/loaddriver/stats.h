#pragma once

#include <QMap>
#include <QString>
#include <QStringList>
#include <QtGlobal>

class QTextStream;

// Counters of one run, printed as "name=value" lines that the scripts read, plus the first few notes on
// what went wrong.
class Stats
{
public:
    void add(const QString &name, qint64 by = 1);
    void raise(const QString &name, qint64 value);
    qint64 value(const QString &name) const;
    void note(const QString &text);
    void print(QTextStream &out) const;

private:
    static constexpr int MaxNotes = 20;
    QMap<QString, qint64> m_counters;
    QStringList m_notes;
    int m_droppedNotes = 0;
};
