#include "sim_process.h"

#include <arpa/inet.h>
#include <charconv>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

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

int ExitCode(int status)
{
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return -1;
}

}

SimProcess::SimProcess(const std::vector<std::string>& options)
{
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0)
        return;
    std::vector<std::string> arguments { "--port", "0" };
    arguments.insert(arguments.end(), options.begin(), options.end());
    FChild = Spawn(arguments, pipeEnds[1]);
    close(pipeEnds[1]);

    pollfd readable { pipeEnds[0], POLLIN, 0 };
    char c = 0;
    while (FChild > 0 && poll(&readable, 1, giveUpSeconds * 1000) == 1 && read(pipeEnds[0], &c, 1) == 1 && c != '\n')
        FFirstLine += c;
    close(pipeEnds[0]);

    constexpr std::string_view prefix = "listening on 127.0.0.1:";
    if (FFirstLine.starts_with(prefix)) {
        std::string_view digits = std::string_view(FFirstLine).substr(prefix.size());
        unsigned port = 0;
        auto [stop, error] = std::from_chars(digits.data(), digits.data() + digits.size(), port);
        if (error == std::errc() && stop == digits.data() + digits.size() && port <= 65535)
            FPort = static_cast<uint16_t>(port);
    }
}

SimProcess::~SimProcess()
{
    if (FChild > 0) {
        kill(FChild, SIGKILL);
        waitpid(FChild, nullptr, 0);
    }
}

int SimProcess::Stop()
{
    if (FChild <= 0)
        return -1;
    kill(FChild, SIGTERM);
    int status = 0;
    waitpid(FChild, &status, 0);
    FChild = -1;
    return ExitCode(status);
}

int SimProcess::RunToEnd(const std::vector<std::string>& arguments)
{
    pid_t child = Spawn(arguments, -1);
    if (child <= 0)
        return -1;
    int status = 0;
    waitpid(child, &status, 0);
    return ExitCode(status);
}

RawClient::RawClient(uint16_t port)
{
    FFd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    timeval limit { giveUpSeconds, 0 };
    setsockopt(FFd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(FFd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(FFd);
        FFd = -1;
    }
}

RawClient::~RawClient()
{
    if (FFd >= 0)
        close(FFd);
}

void RawClient::Send(std::string_view bytes)
{
    while (FFd >= 0 && !bytes.empty()) {
        ssize_t sent = send(FFd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent <= 0)
            return;
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
}

bool RawClient::ReadMore()
{
    char buffer[16 * 1024];
    ssize_t received = FFd >= 0 ? recv(FFd, buffer, sizeof buffer, 0) : -1;
    if (received <= 0)
        return false;
    FPending.append(buffer, static_cast<std::size_t>(received));
    return true;
}

std::string RawClient::ReadUntilClosed()
{
    while (ReadMore()) {
    }
    return std::move(FPending);
}

std::string RawClient::ReadOneResponse()
{
    std::size_t headEnd = std::string::npos;
    while ((headEnd = FPending.find("\r\n\r\n")) == std::string::npos) {
        if (!ReadMore())
            return std::move(FPending);
    }
    std::size_t total = headEnd + 4;
    constexpr std::string_view field = "\r\nContent-Length: ";
    std::size_t at = FPending.find(field);
    if (at != std::string::npos && at < headEnd)
        total += std::strtoul(FPending.c_str() + at + field.size(), nullptr, 10);
    while (FPending.size() < total) {
        if (!ReadMore())
            return std::move(FPending);
    }
    std::string response = FPending.substr(0, total);
    FPending.erase(0, total);
    return response;
}

std::string RawClient::ReadThrough(std::string_view marker)
{
    std::size_t at = std::string::npos;
    while ((at = FPending.find(marker)) == std::string::npos) {
        if (!ReadMore())
            return std::move(FPending);
    }
    std::string bytes = FPending.substr(0, at + marker.size());
    FPending.erase(0, at + marker.size());
    return bytes;
}

bool RawClient::ServerClosed()
{
    if (!FPending.empty() || FFd < 0)
        return false;
    char c = 0;
    return recv(FFd, &c, 1, MSG_PEEK) == 0;
}

std::string ProgramRequest(std::string_view target, uint16_t port, std::string_view extraHeaders)
{
    std::string head = "GET " + std::string(target) + " HTTP/1.1\r\n";
    head += "Content-Type: text/html\r\n";
    head += "Host: 127.0.0.1:" + std::to_string(port) + "\r\n";
    head += "Accept: text/html, */*\r\n";
    head += "User-Agent: Mozilla/3.0 (compatible; Talvira)\r\n";
    head += extraHeaders;
    head += "\r\n";
    return head;
}
