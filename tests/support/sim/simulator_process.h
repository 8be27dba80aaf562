// The real service-sim program as a child process on a free port, stopped when this
// object goes.
#pragma once

#include <cstdint>
#include <string>
#include <sys/types.h>
#include <vector>

class SimulatorProcess {
public:
    // Starts the program with `--port 0`, a CA file of its own and the given options, and
    // reads its first line (the plain port) and second line (the https port).
    explicit SimulatorProcess(const std::vector<std::string>& options = {});
    ~SimulatorProcess();
    SimulatorProcess(const SimulatorProcess&) = delete;
    SimulatorProcess& operator=(const SimulatorProcess&) = delete;

    const std::string& FirstLine() const { return FFirstLine; }
    // The port named by the first line; 0 when it did not announce one.
    uint16_t Port() const { return FPort; }
    // e.g. http://127.0.0.1:40123
    std::string Root() const { return "http://127.0.0.1:" + std::to_string(FPort); }
    // e.g. https://127.0.0.1:40124; the port is 0 when it was not announced.
    std::string HttpsRoot() const { return "https://127.0.0.1:" + std::to_string(FHttpsPort); }
    // The certificate of the simulator's local authority, removed with this object.
    const std::string& CAFile() const { return FCAFile; }

    // Sends SIGTERM and waits: the exit code, or 128 + the signal that ended it.
    int Stop();

    // Runs the program with these arguments to its end; its exit code.
    static int RunToEnd(const std::vector<std::string>& arguments);

private:
    pid_t FChild = -1;
    std::string FFirstLine;
    uint16_t FPort = 0;
    uint16_t FHttpsPort = 0;
    std::string FCAFile;
};
