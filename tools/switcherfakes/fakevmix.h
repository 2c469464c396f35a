#pragma once

#include "fakevmixrequest.h"
#include "fakevmixstate.h"

#include <QHash>
#include <QHostAddress>
#include <QObject>
#include <QSet>

class QTcpServer;
class QTcpSocket;

// A fake vMix web API on a small HTTP server: GET /api serves the XML state document, GET /api/?function=
// runs a function on the served state. With credentials set it asks for Basic authentication as vMix
// does. It records every request (target, decoded parameters, credentials) and can hang: accept
// requests and never answer them.
class FakeVMix : public QObject
{
    Q_OBJECT

public:
    explicit FakeVMix(QObject *parent = nullptr);
    ~FakeVMix() override;

    bool listen(const QHostAddress &address, quint16 port = 0);
    // Stops listening and drops every connection.
    void close();
    bool isListening() const;
    QHostAddress address() const;
    quint16 port() const;

    FakeVMixState &state();
    void setState(const FakeVMixState &state);
    // Serves this body instead of the state document (for documents vMix would not write).
    void setStateBody(const QByteArray &body);
    void clearStateBody();

    // Requests without these Basic credentials get 401; both empty means vMix asks for none.
    void setCredentials(const QString &user, const QString &password);

    // While hanging, requests are read and recorded but never answered.
    void setHang(bool hang);
    bool isHanging() const;

    // Every request received, in order.
    QList<FakeVMixRequest> requests() const;
    // Requests with a query (function calls, also the bare "/api/?"), in order.
    QList<FakeVMixRequest> commands() const;
    // Requests for the state document ("/api" without a query).
    int stateRequestCount() const;
    // Requests received and not answered yet, now and at most at any time.
    int pendingCount() const;
    int maxPendingCount() const;
    void clearRequests();

Q_SIGNALS:
    void requestReceived(const FakeVMixRequest &request);

private:
    void onNewConnection();
    void onReadyRead(QTcpSocket *socket);
    void handleRequest(QTcpSocket *socket, const QByteArray &head);
    void respond(QTcpSocket *socket,
                 int status,
                 const QByteArray &reason,
                 const QByteArray &contentType,
                 const QByteArray &body,
                 const QByteArray &extraHeaders = {});
    bool runFunction(const FakeVMixRequest &request);

    QTcpServer *m_server = nullptr;
    FakeVMixState m_state;
    QByteArray m_stateBody;
    bool m_useStateBody = false;
    QString m_user;
    QString m_password;
    bool m_hang = false;
    QList<FakeVMixRequest> m_requests;
    QHash<QTcpSocket *, QByteArray> m_buffers;
    QSet<QTcpSocket *> m_pending;
    int m_maxPending = 0;
};
