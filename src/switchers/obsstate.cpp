#include "obsstate.h"

#include <QSet>

namespace {

// Once more than the allowed number of unlisted names gathered, every unlisted name is forgotten: the
// check is cheap while the values stay within the bound, and the pruning rare.
template<typename Value>
void forgetUnlistedWhenOverfull(QMap<QString, Value> &values, const QStringList &listed)
{
    if (values.size() <= listed.size() + ObsState::MaxUnlistedSources)
        return;
    const QSet<QString> keep(listed.cbegin(), listed.cend());
    for (auto it = values.begin(); it != values.end();) {
        if (keep.contains(it.key()))
            ++it;
        else
            it = values.erase(it);
    }
}

} // namespace

void ObsState::setVolume(const QString &source, double volume)
{
    volumes.insert(source, volume);
    forgetUnlistedWhenOverfull(volumes, sourceNames);
}

void ObsState::setMuted(const QString &source, bool muted)
{
    mutedStates.insert(source, muted);
    forgetUnlistedWhenOverfull(mutedStates, sourceNames);
}
