#include "joystickdlg.h"

#include "appsettings.h"
#include "darkstyle.h"
#include "qjoysticks.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

JoyStickDlg::JoyStickDlg(AppSettings *settings, QWidget *parent) : QDialog(parent), m_settings(settings)
{
    setupUi();
    setWindowFlags(Qt::Dialog | Qt::WindowCloseButtonHint);

    connect(m_okBtn, &QPushButton::clicked, this, &JoyStickDlg::onOKBtnClicked);
    connect(m_cancelBtn, &QPushButton::clicked, this, &JoyStickDlg::onCancelBtnClicked);

    loadSettings();
}

void JoyStickDlg::setupUi()
{
    setObjectName(QStringLiteral("JoyStickDlg"));
    setWindowTitle(tr("Additional Input Setting"));
    resize(250, 134);
    setMinimumWidth(250);
    setStyleSheet(DarkStyle::dialogStyleSheet());

    m_label = new QLabel(tr("Select JoyStick:"), this);
    m_label->setObjectName(QStringLiteral("label"));
    m_joystickCombo = new QComboBox(this);
    m_joystickCombo->setObjectName(QStringLiteral("joystickCombo"));
    m_useJoyStickCheck = new QCheckBox(tr("Use JoyStick"), this);
    m_useJoyStickCheck->setObjectName(QStringLiteral("useJoyStickCheck"));
    m_useHotKeyCheck = new QCheckBox(tr("Use HotKey"), this);
    m_useHotKeyCheck->setObjectName(QStringLiteral("useHotKeyCheck"));
    m_okBtn = new QPushButton(tr("OK"), this);
    m_okBtn->setObjectName(QStringLiteral("okBtn"));
    m_cancelBtn = new QPushButton(tr("Cancel"), this);
    m_cancelBtn->setObjectName(QStringLiteral("cancelBtn"));

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_okBtn);
    buttons->addWidget(m_cancelBtn);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_label);
    layout->addWidget(m_joystickCombo);
    layout->addWidget(m_useJoyStickCheck);
    layout->addWidget(m_useHotKeyCheck);
    layout->addLayout(buttons);
}

void JoyStickDlg::loadSettings()
{
    QJoysticks *joysticks = QJoysticks::sharedInstance();
    // List what is attached now, not what was attached when the list was last rebuilt.
    joysticks->updateInterfaces();
    joysticks->setVirtualJoystickEnabled(false);

    m_joystickCombo->addItems(joysticks->deviceNames());

    if (!m_settings)
        return;
    m_useJoyStickCheck->setChecked(m_settings->isJoystickAvailable());
    m_useHotKeyCheck->setChecked(m_settings->isHotkeyAvailable());
    // An index outside the list leaves no current item.
    m_joystickCombo->setCurrentIndex(m_settings->selectedJoystick());
}

void JoyStickDlg::onOKBtnClicked()
{
    if (m_settings) {
        m_settings->setSelectedJoystick(m_joystickCombo->currentIndex());
        m_settings->setJoystickAvailable(m_useJoyStickCheck->isChecked());
        m_settings->setHotkeyAvailable(m_useHotKeyCheck->isChecked());
    }
    accept();
}

void JoyStickDlg::onCancelBtnClicked()
{
    reject();
}
