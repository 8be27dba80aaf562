// Whether a redirect stays with the host a request was sent to: header lines a profile
// adds (API keys among them) go to that host only.
#pragma once

#include <string>

// True when `location` is relative (the client resolves it against the current host),
// or names the same protocol, host (letter case ignored) and port as `requestUrl`.
bool KeepsOrigin(const std::string& requestUrl, const std::string& location);
