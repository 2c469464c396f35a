#include "aemodecontrols.h"

#include <QWidget>

#include <iterator>
#include <utility>

namespace {

struct EnabledGroups
{
    bool shutter;
    bool iris;
    bool bright;
};

// Indexed like the exposure mode table: Auto, Manual, SAE, AAE, Brightness.
constexpr EnabledGroups EnabledByMode[] = {
    {false, false, false}, {true, true, false},  {true, false, false},
    {false, true, false},  {false, false, true},
};

void setEnabled(const QList<QWidget *> &widgets, bool enabled)
{
    for (QWidget *w : widgets)
        w->setEnabled(enabled);
}

} // namespace

AeModeControls::AeModeControls(QList<QWidget *> shutter, QList<QWidget *> iris, QList<QWidget *> bright)
    : m_shutter(std::move(shutter)), m_iris(std::move(iris)), m_bright(std::move(bright))
{}

void AeModeControls::apply(int index) const
{
    if (index < 0 || index >= int(std::size(EnabledByMode)))
        return;
    const EnabledGroups &groups = EnabledByMode[index];
    setEnabled(m_shutter, groups.shutter);
    setEnabled(m_iris, groups.iris);
    setEnabled(m_bright, groups.bright);
}
