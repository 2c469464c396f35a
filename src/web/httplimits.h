#pragma once

#include <QtGlobal>

// Bounds that keep one GUI thread serving whatever arrives on the network. None of them is reached by a
// request the browser page or a well-behaved script sends.
struct HttpLimits
{
    // Request line plus header lines of one request.
    qsizetype maxHeadBytes = 16 * 1024;
    // Largest body read from a request that is not GET (it is refused by the router anyway); GET carries
    // no body at all.
    qint64 maxBodyBytes = 64 * 1024;
    // A connection that completes no request head and takes no answer bytes for this long is closed.
    int idleTimeoutMsecs = 30 * 1000;
    // Open connections at one time; more are answered 503 and closed.
    int maxConnections = 256;
    // Open connections from one client address; one busy host must not lock the others out.
    int maxConnectionsPerAddress = 32;
    // While more answer bytes than this wait to be sent, nothing more is read from the connection: a
    // client that sends without reading makes the program hold at most this much for it.
    qint64 maxUnsentBytes = 256 * 1024;
    // A connection whose unsent answers have not moved for this long is dropped.
    int stallTimeoutMsecs = 10 * 1000;
};
