#pragma once

#include <QByteArray>
#include <QUrl>

// What the router needs of one parsed request: the method as sent and the request target as a URL whose
// path and query keep the client's encoding.
struct HttpRequest
{
    QByteArray method;
    QUrl url;

    bool isGet() const { return method == "GET"; }
    bool isHead() const { return method == "HEAD"; }
};
