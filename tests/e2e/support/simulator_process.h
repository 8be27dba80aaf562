// The service simulator as a child process on a free port, stopped when this object goes.
#pragma once

#include <string>
#include <vector>

class SimulatorProcess {
public:
    explicit SimulatorProcess(const std::vector<std::string>& options = {});
    ~SimulatorProcess();
    SimulatorProcess(const SimulatorProcess&) = delete;
    SimulatorProcess& operator=(const SimulatorProcess&) = delete;

    // e.g. http://127.0.0.1:40123
    const std::string& Root() const { return FRoot; }

private:
    int FPid = -1;
    std::string FRoot;
};
