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

constexpr int MaxTallySourceLength = AppSettings::MaxTallySourceLength;

QComboBox *tallyCombo(const QString &objectName, const QString &placeholder, QWidget *parent)
{
    auto *combo = new QComboBox(parent);
    combo->setObjectName(objectName);
    combo->setEditable(true);
    // Choosing from the list fills the field; a typed name is never added to the list.
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->lineEdit()->setPlaceholderText(placeholder);
    return combo;
}

} // namespace

MultiCameras::MultiCameras(QWidget *parent) : QDialog(parent)
{
    buildForm();
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    adjustSize();

    // The combos first: a stored USB camera is selected by its device name among their items.
    fillDeviceCombos(attachedUsbDevices());
    if (AppServices *services = appServices())
        fillTallyCombos(services->obsScenes(), services->vmixInputs());
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

    slot.tallyObs = tallyCombo(numbered("tallyObs", n), QStringLiteral("OBS scene"), group);
    slot.tallyVmix = tallyCombo(numbered("tallyVmix", n), QStringLiteral("vMix input"), group);
    slot.tallyVmix->setToolTip(QStringLiteral("The vMix input by its number, key or title"));
    auto *obsLabel = new QLabel(QStringLiteral("OBS Tally"), group);
    obsLabel->setObjectName(numbered("tallyObsLabel", n));
    auto *vmixLabel = new QLabel(QStringLiteral("vMix Tally"), group);
    vmixLabel->setObjectName(numbered("tallyVmixLabel", n));

    auto *form = new QFormLayout(group);
    form->addRow(nameLabel, slot.name);
    form->setItem(1, QFormLayout::SpanningRole,
                  new QSpacerItem(0, 4, QSizePolicy::Minimum, QSizePolicy::Fixed));
    form->addRow(slot.ipRadio, slot.address);
    form->addRow(linkLabel, link);
    form->addRow(slot.usbRadio, slot.device);
    form->addRow(obsLabel, slot.tallyObs);
    form->addRow(vmixLabel, slot.tallyVmix);
    return group;
}

void MultiCameras::fillDeviceCombos(const QStringList &usbDevices)
{
    for (CameraSlot &slot : m_slots)
        slot.device->addItems(usbDevices);
    qCDebug(lcDialogs) << "USB devices offered:" << usbDevices;
}

void MultiCameras::fillTallyCombos(const QStringList &obsScenes, const QStringList &vmixInputs)
{
    for (CameraSlot &slot : m_slots) {
        slot.tallyObs->addItems(obsScenes);
        slot.tallyVmix->addItems(vmixInputs);
        // Empty until a stored source is filled in: an item does not choose itself.
        slot.tallyObs->setCurrentIndex(-1);
        slot.tallyVmix->setCurrentIndex(-1);
    }
    qCDebug(lcDialogs) << "tally sources offered:" << obsScenes << vmixInputs;
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

    const AppSettings *settings = services->settings();
    for (int i = 0; i < count; ++i) {
        const CameraRecord record = CameraFactory::recordOf(*cameras.at(i));
        CameraSlot &slot = m_slots[i];
        slot.tallyObs->setCurrentText(settings->tallyObs(record.id));
        slot.tallyVmix->setCurrentText(settings->tallyVmix(record.id));
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
    for (int i = 0; i < SlotCount; ++i) {
        const CameraSlot &slot = m_slots[i];
        for (const QComboBox *source : {slot.tallyObs, slot.tallyVmix}) {
            if (source->currentText().size() > MaxTallySourceLength) {
                showProblem(QStringLiteral("Camera %1: the %2 tally source is longer than %3 characters.")
                                .arg(i + 1)
                                .arg(source == slot.tallyObs ? QStringLiteral("OBS") : QStringLiteral("vMix"))
                                .arg(MaxTallySourceLength));
                return;
            }
        }
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
        showProblem(problem);
        return;
    }

    if (AppServices *services = appServices()) {
        AppSettings *settings = services->settings();
        settings->writeCameraRecords(records);
        // By the camera's id, as the tally owner reads them when the caller rebuilds the cameras.
        for (int i = 0; i < SlotCount; ++i) {
            settings->setTallyObs(records.at(i).id, m_slots[i].tallyObs->currentText());
            settings->setTallyVmix(records.at(i).id, m_slots[i].tallyVmix->currentText());
        }
        qCDebug(lcDialogs) << "camera list of" << records.size() << "slots written";
    } else {
        qCWarning(lcDialogs) << "no application services; the camera list was not written";
    }
    accept();
}

void MultiCameras::showProblem(const QString &problem)
{
    m_error->setText(problem);
    m_error->show();
    qCDebug(lcDialogs) << "camera list refused:" << problem;
}

void MultiCameras::onCancelClicked()
{
    reject();
}
