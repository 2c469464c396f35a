#include "camerafactory.h"

#include "ipcamera.h"
#include "usbcamera.h"

namespace CameraFactory {

CameraWrapper *create(const CameraRecord &record)
{
    switch (record.type) {
    case CameraRecord::NetworkType:
        return new IPCamera(record.id, record.name, record.deviceName, record.transport, record.port);
    case CameraRecord::UsbType:
        return new USBCamera(record.id, record.name, record.deviceName);
    default:
        break;
    }
    const QString unset = QStringLiteral("0.0.0.0");
    return new IPCamera(unset, record.name, unset);
}

CameraRecord recordOf(const CameraWrapper &camera)
{
    CameraRecord record;
    record.type = camera.cameraType();
    record.id = camera.cameraId();
    record.name = camera.cameraName();
    record.deviceName = camera.deviceName();
    if (const auto *network = qobject_cast<const IPCamera *>(&camera)) {
        record.transport = network->transport();
        record.port = network->port();
    }
    return record;
}

QString sharedLinkProblem(const QList<CameraRecord> &records)
{
    for (int i = 0; i < records.size(); ++i) {
        const CameraRecord &first = records.at(i);
        if (first.type != CameraRecord::NetworkType || first.id.isEmpty()
            || first.id == QLatin1String("0.0.0.0"))
            continue;
        for (int j = i + 1; j < records.size(); ++j) {
            const CameraRecord &second = records.at(j);
            if (second.type == CameraRecord::NetworkType && second.id == first.id
                && second.port == first.port)
                return QStringLiteral("Camera %1 and camera %2 both use %3 port %4: give each camera its own "
                                      "address or port.")
                    .arg(i + 1)
                    .arg(j + 1)
                    .arg(first.id)
                    .arg(first.port);
        }
    }
    return QString();
}

} // namespace CameraFactory
