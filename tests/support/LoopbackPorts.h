#pragma once

#include <QByteArray>
#include <QtGlobal>

namespace loopback {

// A port on 127.0.0.1 that nothing uses now: SOCK_STREAM for TCP, SOCK_DGRAM for UDP.
quint16 freePort(int socketType);

// TCP sockets of this port on 127.0.0.1 in a state as the kernel lists them
// in /proc/net/tcp ("01" established, "0A" listening).
int tcpSockets(quint16 port, const QByteArray& state);

} // namespace loopback
