#pragma once

#include "appsettings.h"
#include "tallystate.h"
#include "vmixinput.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QStringList>

class ObsWrapper;
class VMixWrapper;

// The one owner of tally: for every camera, its sources (an OBS scene, a vMix input by number, key or
// title) from the settings store, and what the switcher links say of them. A camera is on air (program)
// when either link has its source on air, else next (preview) when either has it in preview, else off; a
// link that is down or a source that is empty says nothing.
class TallyTracker : public QObject
{
    Q_OBJECT

public:
    // Longer sources are refused: no scene or input name is this long.
    static constexpr int MaxSourceLength = AppSettings::MaxTallySourceLength;

    explicit TallyTracker(AppSettings *settings, QObject *parent = nullptr);
    ~TallyTracker() override;

    // Follows the links' scenes and inputs; either may be left out.
    void attachObs(ObsWrapper *obs);
    void attachVmix(VMixWrapper *vmix);

    // The cameras to judge, by id (the camera list's order; ids may repeat). Their sources are read anew.
    void setCameraIds(const QStringList &ids);
    QStringList cameraIds() const;
    // Reads every camera's sources from the settings store again.
    void reloadSources();
    // Stores a camera's sources and judges it at once; false (and nothing stored) when one is too long.
    bool setSources(const QString &id, const QString &obsScene, const QString &vmixInput);
    QString obsSource(const QString &id) const;
    QString vmixSource(const QString &id) const;

    // Off for a camera that is not known.
    TallyState tally(const QString &id) const;
    // The cameras on air, in the camera list's order.
    QStringList programCameraIds() const;
    // Whether a camera has a source on a link that is up: its tally light then needs a link of its own.
    bool isSourceLive(const QString &id) const;

Q_SIGNALS:
    // Once per change of one camera's state.
    void tallyChanged(const QString &id, TallyState state);
    // Once per change of isSourceLive(), after the tally of the same update.
    void sourceLiveChanged(const QString &id, bool live);

private:
    struct Sources
    {
        QString obs;
        QString vmix;
    };

    void update();
    TallyState judge(const Sources &sources) const;
    bool isLive(const Sources &sources) const;
    static bool matches(const QString &source, const VMixInput &input);

    AppSettings *m_settings = nullptr;
    QPointer<ObsWrapper> m_obs;
    QPointer<VMixWrapper> m_vmix;
    QStringList m_ids;
    QHash<QString, Sources> m_sources;
    QHash<QString, TallyState> m_states;
    QSet<QString> m_live;
};
