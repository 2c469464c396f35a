#include "tallytracker.h"

#include "appsettings.h"
#include "controllog.h"
#include "obswrapper.h"
#include "vmixwrapper.h"

TallyTracker::TallyTracker(AppSettings *settings, QObject *parent) : QObject(parent), m_settings(settings) {}

TallyTracker::~TallyTracker() = default;

void TallyTracker::attachObs(ObsWrapper *obs)
{
    if (m_obs)
        m_obs->disconnect(this);
    m_obs = obs;
    if (obs) {
        connect(obs, &ObsWrapper::linkUpChanged, this, &TallyTracker::update);
        connect(obs, &ObsWrapper::programSceneChanged, this, &TallyTracker::update);
        connect(obs, &ObsWrapper::previewSceneChanged, this, &TallyTracker::update);
    }
    update();
}

void TallyTracker::attachVmix(VMixWrapper *vmix)
{
    if (m_vmix)
        m_vmix->disconnect(this);
    m_vmix = vmix;
    if (vmix)
        connect(vmix, &VMixWrapper::tallyChanged, this, &TallyTracker::update);
    update();
}

void TallyTracker::setCameraIds(const QStringList &ids)
{
    m_ids = ids;
    reloadSources();
}

QStringList TallyTracker::cameraIds() const
{
    return m_ids;
}

void TallyTracker::reloadSources()
{
    m_sources.clear();
    if (m_settings) {
        for (const QString &id : std::as_const(m_ids))
            m_sources.insert(id, {m_settings->tallyObs(id).trimmed(), m_settings->tallyVmix(id).trimmed()});
    }
    update();
}

bool TallyTracker::setSources(const QString &id, const QString &obsScene, const QString &vmixInput)
{
    if (obsScene.size() > MaxSourceLength || vmixInput.size() > MaxSourceLength)
        return false;
    if (m_settings) {
        m_settings->setTallyObs(id, obsScene);
        m_settings->setTallyVmix(id, vmixInput);
    }
    if (m_ids.contains(id))
        m_sources.insert(id, {obsScene.trimmed(), vmixInput.trimmed()});
    update();
    return true;
}

QString TallyTracker::obsSource(const QString &id) const
{
    return m_sources.value(id).obs;
}

QString TallyTracker::vmixSource(const QString &id) const
{
    return m_sources.value(id).vmix;
}

TallyState TallyTracker::tally(const QString &id) const
{
    return m_states.value(id, TallyState::Off);
}

QStringList TallyTracker::programCameraIds() const
{
    QStringList ids;
    for (const QString &id : m_ids) {
        if (tally(id) == TallyState::Program && !ids.contains(id))
            ids.append(id);
    }
    return ids;
}

bool TallyTracker::isSourceLive(const QString &id) const
{
    return m_live.contains(id);
}

bool TallyTracker::isLive(const Sources &sources) const
{
    return (m_obs && m_obs->isLinkUp() && !sources.obs.isEmpty())
           || (m_vmix && m_vmix->isTallyLinkUp() && !sources.vmix.isEmpty());
}

bool TallyTracker::matches(const QString &source, const VMixInput &input)
{
    if (source.isEmpty() || input.number <= 0)
        return false;
    return source == QString::number(input.number) || (!input.key.isEmpty() && source == input.key)
           || (!input.title.isEmpty() && source == input.title);
}

TallyState TallyTracker::judge(const Sources &sources) const
{
    bool program = false;
    bool preview = false;
    if (m_obs && m_obs->isLinkUp() && !sources.obs.isEmpty()) {
        program = sources.obs == m_obs->programScene();
        preview = sources.obs == m_obs->previewScene();
    }
    if (m_vmix && m_vmix->isTallyLinkUp() && !sources.vmix.isEmpty()) {
        program = program || matches(sources.vmix, m_vmix->activeInput());
        preview = preview || matches(sources.vmix, m_vmix->previewInput());
    }
    if (program)
        return TallyState::Program;
    return preview ? TallyState::Preview : TallyState::Off;
}

void TallyTracker::update()
{
    QHash<QString, TallyState> states;
    for (const QString &id : std::as_const(m_ids))
        states.insert(id, judge(m_sources.value(id)));
    // Cameras that left the list are off from now on.
    for (auto it = m_states.cbegin(); it != m_states.cend(); ++it) {
        if (!states.contains(it.key()) && it.value() != TallyState::Off)
            states.insert(it.key(), TallyState::Off);
    }
    const QHash<QString, TallyState> before = std::exchange(m_states, states);
    for (auto it = states.cbegin(); it != states.cend(); ++it) {
        if (before.value(it.key(), TallyState::Off) == it.value())
            continue;
        qCDebug(lcControl) << "tally of" << it.key() << "now" << tallyStateName(it.value());
        Q_EMIT tallyChanged(it.key(), it.value());
    }
    QSet<QString> live;
    for (const QString &id : std::as_const(m_ids)) {
        if (isLive(m_sources.value(id)))
            live.insert(id);
    }
    const QSet<QString> liveBefore = std::exchange(m_live, live);
    for (const QString &id : liveBefore) {
        if (!live.contains(id))
            Q_EMIT sourceLiveChanged(id, false);
    }
    for (const QString &id : std::as_const(live)) {
        if (!liveBefore.contains(id))
            Q_EMIT sourceLiveChanged(id, true);
    }
    // Forget the off cameras that are no longer listed.
    for (auto it = m_states.begin(); it != m_states.end();) {
        if (!m_ids.contains(it.key()))
            it = m_states.erase(it);
        else
            ++it;
    }
}
