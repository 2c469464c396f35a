#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

// One HTTP request the fake vMix received.
struct FakeVMixRequest
{
    // The request target exactly as it came on the wire, e.g. "/api/?function=Cut&input=0".
    QByteArray target;
    QString path;
    // The query parameters decoded the way vMix decodes them ("+" is a space, then percent-decoding).
    QList<QPair<QString, QString>> parameters;
    // Basic credentials, when the request carried an Authorization header.
    bool hasCredentials = false;
    QString user;
    QString password;

    QString parameter(const QString &name) const
    {
        for (const auto &entry : parameters) {
            if (entry.first == name)
                return entry.second;
        }
        return {};
    }
    QString function() const { return parameter(QStringLiteral("function")); }
};
