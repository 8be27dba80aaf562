// The command line of service-sim.
#pragma once

#include "challenge_sessions.h"
#include "fault_plan.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

struct Options {
    uint16_t Port = 8301; // 0: any free port
    std::string LogFile;  // empty: no log
    uint16_t TlsPort = 0; // https; 0: any free port
    std::string CAFile;   // where the local CA's certificate goes; empty: the temp folder
    uint16_t ProxyPort = 0;  // HTTP proxy; 0: none
    uint16_t SocksPort = 0;  // SOCKS5 proxy; 0: none
    std::string ProxyUser;   // "user:password" both proxies ask for; empty: none
    bool Ipv6 = false;       // also listen on ::1
    FaultPlan Faults;
    ChallengeOptions Challenge;
    bool ShowHelp = false;
};

// A command line that cannot be used; the message says why.
class OptionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads the arguments after the program name.
Options ParseOptions(const std::vector<std::string>& arguments);

std::string UsageText();
