#include "core/scratch_page_file.h"

#include "net/streams.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <random>

namespace {

// A name is drawn again when one already exists; past this many the folder is taken to be
// flooded on purpose and the run gives up rather than loop.
constexpr int MaxNameDraws = 100;

// Files a signal or exit() removes: a run has one window, the tests a few at once. A
// file beyond these is still removed by its owner, just not on a signal.
constexpr std::size_t MaxRemovedOnSignal = 8;

// Read by the signal handler, so plain bytes and lock-free flags only.
std::array<std::array<char, PATH_MAX>, MaxRemovedOnSignal> gNames{};
std::array<std::atomic<bool>, MaxRemovedOnSignal> gInUse{};

void RemoveAllRegistered()
{
    for (std::size_t i = 0; i < MaxRemovedOnSignal; ++i) {
        if (gInUse[i].load())
            ::unlink(gNames[i].data());
    }
}

void Register(const std::string& name)
{
    if (name.size() >= PATH_MAX)
        return;
    for (std::size_t i = 0; i < MaxRemovedOnSignal; ++i) {
        if (gInUse[i].load())
            continue;
        std::memcpy(gNames[i].data(), name.c_str(), name.size() + 1);
        gInUse[i].store(true);
        return;
    }
}

void Unregister(const std::string& name)
{
    for (std::size_t i = 0; i < MaxRemovedOnSignal; ++i) {
        if (gInUse[i].load() && name == gNames[i].data())
            gInUse[i].store(false);
    }
}

extern "C" void RemoveThenEnd(int signalNumber)
{
    RemoveAllRegistered();
    std::signal(signalNumber, SIG_DFL);
    std::raise(signalNumber);
}

extern "C" void RemoveAtExit()
{
    RemoveAllRegistered();
}

std::string RandomHex()
{
    std::random_device source;
    std::uniform_int_distribution<unsigned> digit(0, 15);
    std::string text(16, '0');
    for (char& c : text)
        c = "0123456789abcdef"[digit(source)];
    return text;
}

bool IsAbsoluteFolder(const char* value)
{
    struct stat info {};
    return value && value[0] == '/' && ::stat(value, &info) == 0 && S_ISDIR(info.st_mode);
}

} // namespace

ScratchPageFile::ScratchPageFile(const std::string& folder)
{
    for (int draw = 0; draw < MaxNameDraws; ++draw) {
        const std::string name = folder + "talvira-page-" + RandomHex() + ".html";
        const int handle = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (handle >= 0) {
            ::close(handle);
            FName = name;
            Register(FName);
            return;
        }
        if (errno != EEXIST)
            throw EFileStreamError("Cannot create the page file in \"" + folder + "\". " + std::strerror(errno));
    }
    throw EFileStreamError("Cannot create the page file in \"" + folder + "\": every name drawn was taken.");
}

ScratchPageFile::~ScratchPageFile()
{
    Unregister(FName);
    ::unlink(FName.c_str());
}

std::string ScratchFolderOfThisRun()
{
    for (const char* variable : {"XDG_RUNTIME_DIR", "TMPDIR"}) {
        const char* value = std::getenv(variable);
        if (IsAbsoluteFolder(value)) {
            std::string folder = value;
            return folder.back() == '/' ? folder : folder + '/';
        }
    }
    return "/tmp/";
}

void RemoveScratchFilesOnSignals()
{
    for (int signalNumber : {SIGINT, SIGTERM, SIGHUP, SIGQUIT})
        std::signal(signalNumber, RemoveThenEnd);
    std::atexit(RemoveAtExit);
}
