// The camera's device configuration page (/cgi-bin/param.cgi?get_device_conf) as the program reads it
// after each connection: arbitrary bytes as the body of a finished reply, handed to the camera's own
// reply slot, which takes the device name and the serial number from it.

#include "fuzzsupport.h"
#include "ipcamera.h"

#include <QCoreApplication>
#include <QNetworkReply>
#include <QPointer>

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

// A reply that has finished with the given body, as the network manager hands one to its receiver.
class CannedReply : public QNetworkReply
{
public:
    explicit CannedReply(const QByteArray &body) : m_body(body)
    {
        setOperation(QNetworkAccessManager::GetOperation);
        setUrl(QUrl(QStringLiteral("http://127.0.14.40/cgi-bin/param.cgi?get_device_conf")));
        setAttribute(QNetworkRequest::HttpStatusCodeAttribute, 200);
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
        setFinished(true);
    }

    void abort() override {}
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override
    {
        return m_body.size() - m_position + QNetworkReply::bytesAvailable();
    }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        const qint64 count = qMin(maxSize, qint64(m_body.size()) - m_position);
        if (count <= 0)
            return -1;
        std::memcpy(data, m_body.constData() + m_position, size_t(count));
        m_position += count;
        return count;
    }

private:
    QByteArray m_body;
    qint64 m_position = 0;
};

IPCamera *s_camera = nullptr;
volatile quint64 s_sink = 0;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    FuzzSupport::prepareEnvironment("devconf");
    static QCoreApplication app(*argc, *argv);
    QCoreApplication::setApplicationName(QStringLiteral("tavimorex"));
    s_camera = new IPCamera(QStringLiteral("127.0.14.40"), QStringLiteral("Camera1"),
                            QStringLiteral("127.0.14.40"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QPointer<CannedReply> reply
        = new CannedReply(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    s_camera->onGetName(reply);
    s_sink = s_sink + quint64(s_camera->deviceName().size()) + quint64(s_camera->serialNumber().size());
    // The slot releases the reply with deleteLater().
    FuzzSupport::pump();
    if (reply)
        FuzzSupport::fail(QStringLiteral("the configuration reply was not released"));
    return 0;
}
