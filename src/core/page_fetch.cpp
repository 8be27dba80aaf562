#include "core/page_fetch.h"

#include "core/file_system.h"
#include "core/page_text.h"
#include "core/proxy_rotation.h"
#include "net/socks5.h"
#include "net/errors.h"
#include "net/http.h"
#include "net/ssl_errors.h"
#include "net/streams.h"
#include "net/uri.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace {

constexpr std::chrono::milliseconds PumpInterval{15};

// After a failure the file keeps what this fetch wrote, never the tail of an earlier page.
void CutToWritten(FileStream* scratch)
{
    if (!scratch)
        return;
    try {
        scratch->SetSize(scratch->Position());
    } catch (const EFileStreamError&) {
        // The fetch has failed already; the status bar says so.
    }
}

// The connect is reported by the transport. One the client makes copies the client's
// status handler, but one assigned to it (the secure transport) keeps its own: for the
// length of a fetch the guard goes in front of that one, and the handler is given back
// afterwards.
class GuardedTransportStatus {
public:
    GuardedTransportStatus(const std::shared_ptr<TIdIOHandler>& transport, std::function<void(TIdStatus)> guard)
        : FTransport(transport)
    {
        if (!FTransport)
            return;
        FPrevious = FTransport->OnStatus;
        FTransport->OnStatus = [guard = std::move(guard), previous = FPrevious](
                                   TIdComponent& sender, TIdStatus status, const std::string& text) {
            guard(status);
            if (previous)
                previous(sender, status, text);
        };
    }
    ~GuardedTransportStatus()
    {
        if (FTransport)
            FTransport->OnStatus = FPrevious;
    }
    GuardedTransportStatus(const GuardedTransportStatus&) = delete;
    GuardedTransportStatus& operator=(const GuardedTransportStatus&) = delete;

private:
    std::shared_ptr<TIdIOHandler> FTransport;
    TIdComponent::TIdStatusEvent FPrevious;
};

} // namespace

bool IsProxyFailure(const std::exception& error)
{
    if (dynamic_cast<const EIdProxyAuthenticationRequired*>(&error) || dynamic_cast<const EIdSocksError*>(&error) ||
        dynamic_cast<const EIdConnectException*>(&error) || dynamic_cast<const EIdConnectTimeout*>(&error))
        return true;
    const auto* socket = dynamic_cast<const EIdSocketError*>(&error);
    // Refused, reset, timed out: the proxy is not there or went away.
    return socket && (socket->SocketErrorCode == 10061 || socket->SocketErrorCode == 10054 ||
                      socket->SocketErrorCode == 10060);
}

EPageTooLarge::EPageTooLarge()
    : std::runtime_error("The page is larger than " + std::to_string(MaxPageLength / (1024 * 1024)) +
                         " MiB; the fetch was stopped.")
{
}

PageFetch::PageFetch(TIdHTTP& client, FetchDisplay& display, bool& stopRequested, std::string scratchFileName)
    : FClient(client), FDisplay(display), FStopRequested(stopRequested), FScratchFileName(std::move(scratchFileName))
{
    FClient.OnWorkBegin = [this](TIdComponent&, TWorkMode, int32_t max) { IdHTTP1WorkBegin(max); };
    FClient.OnWork = [this](TIdComponent&, TWorkMode, int32_t count) { IdHTTP1Work(count); };
    FClient.OnWorkEnd = [this](TIdComponent&, TWorkMode) { IdHTTP1WorkEnd(); };
    // A transport the client makes takes this handler with it.
    FClient.OnStatus = [this](TIdComponent&, TIdStatus status, const std::string&) { RefuseConnectingOnceStopped(status); };
}

PageFetch::~PageFetch()
{
    FClient.OnWorkBegin = nullptr;
    FClient.OnWork = nullptr;
    FClient.OnWorkEnd = nullptr;
    FClient.OnStatus = nullptr;
}

bool PageFetch::FetchPage(const std::string& url, std::string& page)
{
    // The client is not re-entrant: a fetch asked for from a click handled inside a
    // running one is refused like a stopped one.
    if (FStopRequested || FFetching)
        return false;
    page.clear();
    FPageAddress.clear();
    auto scratch = std::make_unique<FileStream>(FScratchFileName, FileStream::Mode::Overwrite);

    FFetching = true;
    FPage = scratch.get();
    const GuardedTransportStatus guarded(FClient.IOHandler(),
                                         [this](TIdStatus status) { RefuseConnectingOnceStopped(status); });
    try {
        FDisplay.ShowMainStatus("Getting URL: " + url + "...");
        FDisplay.SetGaugeProgress(0);
        FDisplay.PumpMessages();
        FLastPump = std::chrono::steady_clock::now();
        // A Stop or a close handled in that pump: no request goes out after it.
        if (!FStopRequested)
            GetThroughProxies(url, *scratch);
        // The file holds this body and nothing of an earlier one.
        scratch->SetSize(scratch->Position());
        FPage = nullptr;
        scratch.reset();
        FClient.CloseConnection();
        if (FStopRequested) {
            FDisplay.ShowMainStatus("Process aborted!");
            FFetching = false;
            return false;
        }
        page = ToPageText(ReadWholeFile(FScratchFileName));
        FPageAddress = FClient.CurrentUri().ComposeUri(uoNone);
        FDisplay.ShowMainStatus("Process completed sucessfull!");
        FFetching = false;
        return true;
    } catch (const std::exception& error) {
        FStopRequested = true;
        FClient.CloseConnection();
        // A secure connection that failed says why (a refused certificate above all), and
        // so does a page too large: "check if you are connected" would send the user the
        // wrong way.
        const bool saysWhy = dynamic_cast<const EIdOpenSSLError*>(&error) ||
                             dynamic_cast<const EPageTooLarge*>(&error) ||
                             dynamic_cast<const EEveryProxySetAside*>(&error) ||
                             dynamic_cast<const EProxySettingsUnusable*>(&error);
        FDisplay.ShowMainStatus(saysWhy ? error.what()
                                        : "Connection error, check if you are connected and url exists.");
        CutToWritten(scratch.get());
        FPage = nullptr;
        scratch.reset();
        page.clear();
        FFetching = false;
        return false;
    }
}

void PointClientAt(TIdHTTP& client, const ProxyAddress* proxy)
{
    TIdProxyConnectionInfo& params = client.ProxyParams;
    params.SetProxyServer(proxy ? proxy->Host : std::string());
    params.SetProxyPort(proxy ? proxy->Port : 0);
    params.Kind = !proxy || proxy->Scheme == ProxyScheme::Http ? ProxyKind::Http
                  : proxy->Scheme == ProxyScheme::Socks5      ? ProxyKind::Socks5
                                                              : ProxyKind::Socks5Remote;
    params.ProxyUsername = proxy ? proxy->Username : std::string();
    params.ProxyPassword = proxy ? proxy->Password : std::string();
    params.BasicAuthentication =
        proxy && proxy->Scheme == ProxyScheme::Http && !(proxy->Username.empty() && proxy->Password.empty());
}

void PageFetch::GetThroughProxies(const std::string& url, FileStream& scratch)
{
    const int64_t start = scratch.Position();
    const std::string host = TIdURI(url).Host;
    for (;;) {
        const std::optional<std::size_t> proxy = FProxies ? FProxies->ProxyFor(host) : std::nullopt;
        PointClientAt(FClient, proxy ? &FProxies->Proxy(*proxy) : nullptr);
        if (!proxy) {
            FClient.HttpGet(url, scratch);
            return;
        }
        const std::string name = FProxies->Proxy(*proxy).DisplayName();
        FDisplay.ShowMainStatus("Getting URL: " + url + " through proxy " + name + FSetAsideNote + "...");
        try {
            FClient.HttpGet(url, scratch);
            FProxies->Succeeded(*proxy);
            return;
        } catch (const std::exception& error) {
            if (FStopRequested)
                throw;
            if (!IsProxyFailure(error)) {
                // The proxy carried the request; what failed lies behind it.
                FProxies->Succeeded(*proxy);
                throw;
            }
            FClient.CloseConnection();
            scratch.SetSize(start);
            scratch.SetPosition(start);
            if (FProxies->Failed(*proxy))
                FSetAsideNote += " (" + name + " set aside: it failed " +
                                 std::to_string(ProxyFailuresBeforeSetAside) + " times in a row)";
        }
    }
}

void PageFetch::IdHTTP1WorkBegin(int32_t AWorkCountMax)
{
    FDisplay.SetGaugeMaxValue(AWorkCountMax);
    FDisplay.SetGaugeProgress(0);
    PumpNowAndThen();
}

void PageFetch::IdHTTP1Work(int32_t AWorkCount)
{
    if (FStopRequested)
        FClient.CloseConnection();
    // The work count starts again with every chunk of a chunked body: what the page holds
    // is measured where it is written.
    if (FPage && FPage->Position() > MaxPageLength)
        throw EPageTooLarge();
    FDisplay.SetGaugeProgress(AWorkCount);
    PumpNowAndThen();
}

void PageFetch::IdHTTP1WorkEnd()
{
    FDisplay.SetGaugeProgress(FDisplay.GaugeMaxValue());
    PumpNowAndThen();
}

void PageFetch::RefuseConnectingOnceStopped(TIdStatus status) const
{
    // The client opens a connection of its own for a redirect, also when a Stop has just
    // closed the one the redirect came on: no connection starts once the flag is set.
    if (status == hsConnecting && FStopRequested)
        throw EIdException("Stopped before connecting.");
}

void PageFetch::PumpNowAndThen()
{
    const auto now = std::chrono::steady_clock::now();
    if (now - FLastPump < PumpInterval)
        return;
    FDisplay.PumpMessages();
    FLastPump = std::chrono::steady_clock::now();
}
