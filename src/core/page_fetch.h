// FetchPage: the one road from the program to the network. It downloads a page with the
// window's HTTP client into the scratch file, reads it back as a page text, and answers
// whether it succeeded, writing its progress into the status bar and the gauge and
// honouring and setting the window's stop flag.
#pragma once

#include "config/proxy_settings.h"
#include "core/user_interface.h"
#include "net/component.h"

#include <chrono>
#include <cstdint>
#include <stdexcept>
#include <string>

class FileStream;
class ProxyRotation;
class TIdHTTP;

// A results page is at most a few hundred kilobytes and a suggestion page of 10,000 rows
// about 1 MB: a page past this is a server that does not stop sending, and reading on
// would fill the disk with the scratch file and then the memory with its text.
constexpr int32_t MaxPageLength = 64 * 1024 * 1024;

// The page passed MaxPageLength; the fetch fails and the status bar says so.
class EPageTooLarge : public std::runtime_error {
public:
    EPageTooLarge();
};

// Whether a fetch through a proxy failed because of the proxy: refused, reset or timed
// out on connecting, a 407, a SOCKS refusal.
bool IsProxyFailure(const std::exception& error);

// Sends the client's next requests through proxy, or directly when it is null.
void PointClientAt(TIdHTTP& client, const ProxyAddress* proxy);

// What a fetch shows while it works; the main window implements it.
class FetchDisplay : public StatusPanels {
public:
    virtual void SetGaugeMaxValue(int maximum) = 0;
    virtual void SetGaugeProgress(int value) = 0;
    virtual int GaugeMaxValue() const = 0;
    // Handles every waiting window message.
    virtual void PumpMessages() = 0;
};

class PageFetch {
public:
    // The client's work events are bound to the progress handlers below, and its status
    // event (and, during a fetch, that of the transport assigned to it) to a guard that
    // refuses a connection once the stop flag is set, for the life of this object.
    // stopRequested is the window's stop flag.
    PageFetch(TIdHTTP& client, FetchDisplay& display, bool& stopRequested, std::string scratchFileName);
    ~PageFetch();
    PageFetch(const PageFetch&) = delete;
    PageFetch& operator=(const PageFetch&) = delete;

    // With the stop flag set, false at once and page untouched. Otherwise page is emptied
    // and receives the page text only when the result is true. A scratch file that cannot
    // be created raises EFileStreamError; every other failure sets the stop flag and
    // shows the connection error text, or why a secure connection or an oversized page
    // failed.
    bool FetchPage(const std::string& url, std::string& page);

    const std::string& ScratchFileName() const { return FScratchFileName; }
    // The address the last page read came from, after the redirects that led to it, as
    // the client asked for it (port included); empty until a fetch succeeded, and after
    // one that failed.
    const std::string& PageAddress() const { return FPageAddress; }

    // Sends every later fetch through the proxies rotation chooses (none: directly). A
    // fetch whose proxy fails goes again at once through the next one; the rotation
    // must outlive this object or be taken back.
    void UseProxies(ProxyRotation* rotation) { FProxies = rotation; }

    void IdHTTP1WorkBegin(int32_t AWorkCountMax);
    void IdHTTP1Work(int32_t AWorkCount);
    void IdHTTP1WorkEnd();

private:
    void RefuseConnectingOnceStopped(TIdStatus status) const;
    // HttpGet through the proxy the rotation chooses, again through the next one for as
    // long as the proxy is what fails.
    void GetThroughProxies(const std::string& url, FileStream& scratch);
    // Pumps unless the last pump was very recent, so a fast body is not slowed down by a
    // pump for every piece.
    void PumpNowAndThen();

    TIdHTTP& FClient;
    FetchDisplay& FDisplay;
    bool& FStopRequested;
    std::string FScratchFileName;
    std::string FPageAddress;
    bool FFetching = false;
    ProxyRotation* FProxies = nullptr;
    // The proxies set aside so far in this run, for the status bar.
    std::string FSetAsideNote;
    // The destination of the fetch under way, for the page limit.
    const FileStream* FPage = nullptr;
    std::chrono::steady_clock::time_point FLastPump{};
};
