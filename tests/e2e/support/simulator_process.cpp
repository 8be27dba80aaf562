#include "support/simulator_process.h"

#include <csignal>
#include <cstdio>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

SimulatorProcess::SimulatorProcess(const std::vector<std::string>& options)
{
    int output[2];
    if (::pipe(output) != 0)
        throw std::runtime_error("pipe failed");
    FPid = ::fork();
    if (FPid == 0) {
        ::dup2(output[1], STDOUT_FILENO);
        ::close(output[0]);
        ::close(output[1]);
        std::vector<std::string> arguments = {SERVICE_SIM_PROGRAM, "--port", "0"};
        arguments.insert(arguments.end(), options.begin(), options.end());
        std::vector<char*> argv;
        for (std::string& argument : arguments)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(output[1]);
    FILE* reader = ::fdopen(output[0], "r");
    char line[256] = {};
    const bool ready = reader && std::fgets(line, sizeof line, reader);
    if (reader)
        std::fclose(reader);
    const std::string text = ready ? line : "";
    const std::string prefix = "listening on ";
    if (text.rfind(prefix, 0) != 0)
        throw std::runtime_error("service-sim did not start: " + text);
    FRoot = "http://" + text.substr(prefix.size(), text.find_last_not_of("\r\n") + 1 - prefix.size());
}

SimulatorProcess::~SimulatorProcess()
{
    if (FPid > 0) {
        ::kill(FPid, SIGTERM);
        ::waitpid(FPid, nullptr, 0);
    }
}
