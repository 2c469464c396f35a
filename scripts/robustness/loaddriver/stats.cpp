#include "stats.h"

#include <QTextStream>

void Stats::add(const QString &name, qint64 by)
{
    m_counters[name] += by;
}

void Stats::raise(const QString &name, qint64 value)
{
    qint64 &current = m_counters[name];
    current = qMax(current, value);
}

qint64 Stats::value(const QString &name) const
{
    return m_counters.value(name, 0);
}

void Stats::note(const QString &text)
{
    if (m_notes.size() < MaxNotes)
        m_notes.append(text);
    else
        ++m_droppedNotes;
}

void Stats::print(QTextStream &out) const
{
    for (auto it = m_counters.cbegin(); it != m_counters.cend(); ++it)
        out << it.key() << '=' << it.value() << '\n';
    for (const QString &text : m_notes)
        out << "note: " << text << '\n';
    if (m_droppedNotes > 0)
        out << "note: (" << m_droppedNotes << " more)\n";
    out.flush();
}
