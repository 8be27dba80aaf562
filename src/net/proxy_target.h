// The origin server a proxy is asked to reach, checked before any byte of the request
// leaves: a CONNECT line or a SOCKS request is written from it.
#pragma once

#include <cstdint>
#include <string>

// The port as a number; raises EIdInvalidRequest for a host that is empty or holds a
// blank, a control character or DEL (each would end or split the CONNECT line), and for
// a port that is not a number from 1 to 65535.
int32_t CheckProxyTarget(const std::string& host, const std::string& portText);
