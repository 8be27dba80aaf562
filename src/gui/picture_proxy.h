// The security image picture goes through the proxy the fetches use: Qt's network access
// is given a proxy factory made from the same settings.
#pragma once

#include "config/proxy_settings.h"

// Installs, for the whole application, a factory that sends every Qt request through
// the first proxy of settings, or directly for a host of NoProxy and when there is no
// proxy. The factory keeps its own copy: Qt may ask it from its network thread.
void RoutePicturesThroughProxy(const ProxySettings& settings);
