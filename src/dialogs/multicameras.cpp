#include "multicameras.h"

#include "appservices.h"
#include "appsettings.h"
#include "camerafactory.h"
#include "camerawrapper.h"
#include "darkstyle.h"
#include "dialogslog.h"
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
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <iterator>

namespace {

constexpr int NetworkCamera = 0;
constexpr int UsbCamera = 1;
const QString UsbCameraAddress = QStringLiteral("0.0.0.0");

QString numbered(const char *name, int n)
{
    return QLatin1String(name) + QString::number(n);
}

// The transport choice's items, in this order.
const ViscaTransport Transports[] = {ViscaTransport::Tcp, ViscaTransport::Udp, ViscaTransport::SonyUdp};
const char *const TransportLabels[] = {"VISCA TCP", "VISCA UDP", "Sony VISCA over IP"};

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
    m_error = new QLabel(this);
    m_error->setObjectName(QStringLiteral("multiDlgError"));
    m_error->setWordWrap(true);
    m_error->hide();
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cancelButton);
    buttons->addWidget(okButton);
    buttons->addStretch();

    auto *outer = new QVBoxLayout(this);
    outer->addLayout(columns);
    outer->addWidget(m_error);
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

    slot.transport = new QComboBox(group);
    slot.transport->setObjectName(numbered("viscaTransport", n));
    for (const char *label : TransportLabels)
        slot.transport->addItem(QLatin1String(label));
    slot.port = new QSpinBox(group);
    slot.port->setObjectName(numbered("viscaPort", n));
    slot.port->setRange(1, 65535);
    slot.port->setValue(ViscaTransports::defaultPort(ViscaTransport::Tcp));
    // A new transport brings its usual port; the operator can still change it afterwards.
    connect(slot.transport, &QComboBox::currentIndexChanged, slot.port, [port = slot.port](int index) {
        if (index >= 0 && index < int(std::size(Transports)))
            port->setValue(ViscaTransports::defaultPort(Transports[index]));
    });
    auto *link = new QHBoxLayout;
    link->addWidget(slot.transport, 1);
    link->addWidget(slot.port);
    auto *linkLabel = new QLabel(QStringLiteral("Protocol / Port"), group);
    linkLabel->setObjectName(numbered("viscaLabel", n));

    auto *form = new QFormLayout(group);
    form->addRow(nameLabel, slot.name);
    form->setItem(1, QFormLayout::SpanningRole,
                  new QSpacerItem(0, 4, QSizePolicy::Minimum, QSizePolicy::Fixed));
    form->addRow(slot.ipRadio, slot.address);
    form->addRow(linkLabel, link);
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
        const CameraRecord record = CameraFactory::recordOf(*cameras.at(i));
        CameraSlot &slot = m_slots[i];
        switch (record.type) {
        case NetworkCamera:
            slot.ipRadio->setChecked(true);
            slot.address->setText(record.id);
            slot.transport->setCurrentIndex(
                int(std::find(std::begin(Transports), std::end(Transports), record.transport)
                    - std::begin(Transports)));
            // After the transport, whose change fills in its default port.
            slot.port->setValue(record.port);
            break;
        case UsbCamera: {
            slot.usbRadio->setChecked(true);
            // A device that is not attached now leaves the combo on its first device (or empty).
            const int index = slot.device->findText(record.deviceName, Qt::MatchExactly);
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
    QList<CameraRecord> records;
    records.reserve(SlotCount);
    for (const CameraSlot &slot : m_slots) {
        CameraRecord record;
        record.name = slot.name->text();
        if (slot.ipRadio->isChecked()) {
            record.type = CameraRecord::NetworkType;
            record.id = slot.address->text();
            record.deviceName = record.id;
            record.transport
                = Transports[qBound(0, slot.transport->currentIndex(), int(std::size(Transports)) - 1)];
            record.port = quint16(slot.port->value());
        } else {
            record.type = CameraRecord::UsbType;
            record.id = slot.device->currentText();
            record.deviceName = record.id;
        }
        records.append(record);
    }

    // Two cameras on one address and port would share one link: which camera an answer is from could
    // not be told.
    const QString problem = CameraFactory::sharedLinkProblem(records);
    if (!problem.isEmpty()) {
        m_error->setText(problem);
        m_error->show();
        qCDebug(lcDialogs) << "camera list refused:" << problem;
        return;
    }

    if (AppServices *services = appServices()) {
        services->settings()->writeCameraRecords(records);
        qCDebug(lcDialogs) << "camera list of" << records.size() << "slots written";
    } else {
        qCWarning(lcDialogs) << "no application services; the camera list was not written";
    }
    accept();
}

void MultiCameras::onCancelClicked()
{
    reject();
}
