#pragma once

#include "AddressProbe.h"

class QNetworkAccessManager;

// A try of an address as its kind asks: HTTP(S) reads the first bytes with
// the address's headers (an HLS playlist: down to the first bytes of its
// first segment); UDP waits for a datagram; RTSP asks DESCRIBE and reads the
// server's answer. Other kinds answer at once that they cannot be checked.
std::unique_ptr<AddressProbe> makeNetworkProbe(const CheckTarget& target, QNetworkAccessManager& network);
