#include "support/sim/simulator_process.h"

#include <charconv>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <string_view>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

// A program that has not announced its port by then is taken as failed to start.
constexpr int giveUpSeconds = 20;

// Starts the program with stdout into `stdoutPipe` (when given) and stderr discarded.
pid_t Spawn(const std::vector<std::string>& arguments, int stdoutWriteEnd)
{
    std::vector<std::string> words { SERVICE_SIM_PROGRAM };
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    if (stdoutWriteEnd >= 0)
        posix_spawn_file_actions_adddup2(&actions, stdoutWriteEnd, 1);
    else
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t child = -1;
    if (posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        child = -1;
    posix_spawn_file_actions_destroy(&actions);
    return child;
}

// The port at the end of a line that starts with prefix; 0 when there is none.
uint16_t PortOf(const std::string& line, std::string_view prefix)
{
    if (!line.starts_with(prefix))
        return 0;
    std::string_view digits = std::string_view(line).substr(prefix.size());
    unsigned port = 0;
    auto [stop, error] = std::from_chars(digits.data(), digits.data() + digits.size(), port);
    return error == std::errc() && stop == digits.data() + digits.size() && port <= 65535 ? static_cast<uint16_t>(port)
                                                                                          : 0;
}

int ExitCode(int status)
{
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return -1;
}

}

SimulatorProcess::SimulatorProcess(const std::vector<std::string>& options)
{
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0)
        return;
    static int started = 0;
    FCAFile = (std::filesystem::temp_directory_path() /
               ("talvira-sim-ca-" + std::to_string(getpid()) + "-" + std::to_string(++started) + ".pem"))
                  .string();
    std::vector<std::string> arguments { "--port", "0", "--ca-file", FCAFile };
    arguments.insert(arguments.end(), options.begin(), options.end());
    FChild = Spawn(arguments, pipeEnds[1]);
    close(pipeEnds[1]);

    auto readLine = [&] {
        std::string line;
        pollfd readable { pipeEnds[0], POLLIN, 0 };
        char c = 0;
        while (FChild > 0 && poll(&readable, 1, giveUpSeconds * 1000) == 1 && read(pipeEnds[0], &c, 1) == 1 && c != '\n')
            line += c;
        return line;
    };
    FFirstLine = readLine();
    FPort = PortOf(FFirstLine, "listening on 127.0.0.1:");
    if (FPort != 0)
        FHttpsPort = PortOf(readLine(), "listening for https on 127.0.0.1:");
    close(pipeEnds[0]);
}

SimulatorProcess::~SimulatorProcess()
{
    if (FChild > 0) {
        kill(FChild, SIGKILL);
        waitpid(FChild, nullptr, 0);
    }
    std::remove(FCAFile.c_str());
}

int SimulatorProcess::Stop()
{
    if (FChild <= 0)
        return -1;
    kill(FChild, SIGTERM);
    int status = 0;
    waitpid(FChild, &status, 0);
    FChild = -1;
    return ExitCode(status);
}

int SimulatorProcess::RunToEnd(const std::vector<std::string>& arguments)
{
    pid_t child = Spawn(arguments, -1);
    if (child <= 0)
        return -1;
    int status = 0;
    waitpid(child, &status, 0);
    return ExitCode(status);
}
