#include "multicameras.h"

#include "appservices.h"
#include "appsettings.h"
#include "camerawrapper.h"
#include "darkstyle.h"
#include "dialogslog.h"
#include "ipcamera.h"
#include "usbcamera.h"
#include "usbdevicelist.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpacerItem>
#include <QVBoxLayout>

namespace {

constexpr int NetworkCamera = 0;
constexpr int UsbCamera = 1;
const QString UsbCameraAddress = QStringLiteral("0.0.0.0");

QString numbered(const char *name, int n)
{
    return QLatin1String(name) + QString::number(n);
}

} // namespace

MultiCameras::MultiCameras(QWidget *parent) : QDialog(parent)
{
    buildForm();
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    adjustSize();

    // The combos first: a stored USB camera is selected by its device name among their items.
    fillDeviceCombos(attachedUsbDevices());
    loadSlots();
}

MultiCameras::~MultiCameras() = default;

void MultiCameras::buildForm()
{
    setObjectName(QStringLiteral("MultiCameras"));
    setWindowTitle(QStringLiteral("Multi Camera Setting"));
    resize(600, 527);
    setMinimumWidth(600);
    setStyleSheet(DarkStyle::dialogStyleSheet());

    auto *columns = new QHBoxLayout;
    for (int column = 0; column < 2; ++column) {
        auto *stack = new QVBoxLayout;
        stack->setSpacing(6);
        stack->setContentsMargins(0, 0, 0, 0);
        for (int row = 0; row < SlotCount / 2; ++row) {
            const int index = column * (SlotCount / 2) + row;
            stack->addWidget(buildSlot(index + 1, m_slots[index]));
        }
        columns->addLayout(stack);
    }

    auto *cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    cancelButton->setObjectName(QStringLiteral("multiDlgCancel"));
    auto *okButton = new QPushButton(QStringLiteral("OK"), this);
    okButton->setObjectName(QStringLiteral("multiDlgOK"));
    okButton->setDefault(true);
    connect(okButton, &QPushButton::clicked, this, &MultiCameras::onOKClicked);
    connect(cancelButton, &QPushButton::clicked, this, &MultiCameras::onCancelClicked);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cancelButton);
    buttons->addWidget(okButton);
    buttons->addStretch();

    auto *outer = new QVBoxLayout(this);
    outer->addLayout(columns);
    outer->addLayout(buttons);
}

QGroupBox *MultiCameras::buildSlot(int n, CameraSlot &slot)
{
    // The first group box keeps the form's plain name; the others are numbered from 2.
    auto *group = new QGroupBox(numbered("Camera", n), this);
    group->setObjectName(n == 1 ? QStringLiteral("groupBox") : numbered("groupBox_", n));

    auto *nameLabel = new QLabel(QStringLiteral("Camera Name"), group);
    nameLabel->setObjectName(numbered("camNameLabel", n));
    slot.name = new QLineEdit(group);
    slot.name->setObjectName(numbered("camName", n));
    slot.name->setPlaceholderText(QStringLiteral("Camera Name"));

    // Both radio buttons have the group box as parent, which makes them exclusive within the slot.
    slot.ipRadio = new QRadioButton(QStringLiteral("IP Camera"), group);
    slot.ipRadio->setObjectName(numbered("ipRadio", n));
    slot.ipRadio->setChecked(true);
    slot.address = new QLineEdit(group);
    slot.address->setObjectName(numbered("camIP", n));
    slot.address->setPlaceholderText(QStringLiteral("IP Address"));

    slot.usbRadio = new QRadioButton(QStringLiteral("USB Camera"), group);
    slot.usbRadio->setObjectName(numbered("usbRadio", n));
    slot.device = new QComboBox(group);
    slot.device->setObjectName(numbered("usbCam", n));
    slot.device->setEditable(false);

    auto *form = new QFormLayout(group);
    form->addRow(nameLabel, slot.name);
    form->setItem(1, QFormLayout::SpanningRole,
                  new QSpacerItem(0, 4, QSizePolicy::Minimum, QSizePolicy::Fixed));
    form->addRow(slot.ipRadio, slot.address);
    form->addRow(slot.usbRadio, slot.device);
    return group;
}

void MultiCameras::fillDeviceCombos(const QStringList &usbDevices)
{
    for (CameraSlot &slot : m_slots)
        slot.device->addItems(usbDevices);
    qCDebug(lcDialogs) << "USB devices offered:" << usbDevices;
}

void MultiCameras::loadSlots()
{
    AppServices *services = appServices();
    if (!services)
        return;
    const QList<CameraWrapper *> cameras = services->cameras();
    const int count = qMin(int(SlotCount), int(cameras.size()));

    for (int i = 0; i < count; ++i)
        m_slots[i].name->setText(cameras.at(i)->cameraName());

    for (int i = 0; i < count; ++i) {
        const CameraWrapper *camera = cameras.at(i);
        CameraSlot &slot = m_slots[i];
        switch (camera->cameraType()) {
        case NetworkCamera:
            slot.ipRadio->setChecked(true);
            slot.address->setText(camera->cameraId());
            break;
        case UsbCamera: {
            slot.usbRadio->setChecked(true);
            // A device that is not attached now leaves the combo on its first device (or empty).
            const int index = slot.device->findText(camera->deviceName(), Qt::MatchExactly);
            if (index >= 0)
                slot.device->setCurrentIndex(index);
            slot.address->setText(UsbCameraAddress);
            break;
        }
        default:
            // A kind this dialog does not know shows as an unconfigured network slot.
            break;
        }
    }
}

void MultiCameras::onOKClicked()
{
    // The camera objects only carry the four stored values; constructing one opens nothing.
    QList<CameraWrapper *> cameras;
    cameras.reserve(SlotCount);
    for (const CameraSlot &slot : m_slots) {
        const QString name = slot.name->text();
        if (slot.ipRadio->isChecked()) {
            const QString address = slot.address->text();
            cameras.append(new IPCamera(address, name, address));
        } else {
            const QString device = slot.device->currentText();
            cameras.append(new USBCamera(device, name, device));
        }
    }

    if (AppServices *services = appServices()) {
        services->settings()->writeCameraList(cameras);
        qCDebug(lcDialogs) << "camera list of" << cameras.size() << "slots written";
    } else {
        qCWarning(lcDialogs) << "no application services; the camera list was not written";
    }

    for (CameraWrapper *camera : std::as_const(cameras))
        camera->deleteLater();

    accept();
}

void MultiCameras::onCancelClicked()
{
    reject();
}
