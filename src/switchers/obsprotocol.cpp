#include "obsprotocol.h"

#include <QCryptographicHash>

#include <utility>

ObsProtocol::ObsProtocol(ObsState &state, const QString &password, Sender sender)
    : m_state(state), m_password(password), m_sender(std::move(sender))
{}

ObsProtocol::~ObsProtocol() = default;

QString ObsProtocol::authResponse(const QString &password, const QString &salt, const QString &challenge)
{
    const QByteArray secret
        = QCryptographicHash::hash((password + salt).toUtf8(), QCryptographicHash::Sha256).toBase64();
    const QByteArray response
        = QCryptographicHash::hash(secret + challenge.toUtf8(), QCryptographicHash::Sha256);
    return QString::fromLatin1(response.toBase64());
}

void ObsProtocol::send(const QJsonObject &message) const
{
    if (m_sender)
        m_sender(message);
}
