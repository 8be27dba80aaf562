#include "net/component.h"

#include "net/socket_layer.h"

namespace {

std::string StatusText(TIdStatus status, const std::vector<std::string>& arguments)
{
    std::string format;
    switch (status) {
    case hsResolving: format = "Resolving hostname %s."; break;
    case hsConnecting: format = "Connecting to %s."; break;
    case hsConnected: format = "Connected."; break;
    case hsDisconnecting: format = "Disconnecting."; break;
    case hsDisconnected: format = "Disconnected."; break;
    case hsStatusText:
    case ftpTransfer:
    case ftpReady:
    case ftpAborted: format = "%s"; break;
    }

    std::string text;
    size_t next = 0;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%' && i + 1 < format.size() && format[i + 1] == 's') {
            if (next < arguments.size())
                text += arguments[next];
            ++next;
            ++i;
        } else {
            text += format[i];
        }
    }
    return text;
}

} // namespace

TIdComponent::TIdComponent()
{
    TIdStack::AddStackUser();
}

TIdComponent::~TIdComponent()
{
    TIdStack::RemoveStackUser();
}

void TIdComponent::StartWork(TWorkMode mode, int32_t expected)
{
    WorkTally& tally = FWorkTally[mode];
    tally.Depth += 1;
    if (tally.Depth == 1) {
        tally.Expected = expected;
        tally.Done = 0;
        if (OnWorkBegin)
            OnWorkBegin(*this, mode, expected);
    }
}

void TIdComponent::AddWork(TWorkMode mode, int32_t count)
{
    WorkTally& tally = FWorkTally[mode];
    if (tally.Depth <= 0)
        return;
    // A body read until the peer closes may pass 2 GB; the total wraps as a 32-bit count.
    tally.Done = static_cast<int32_t>(static_cast<uint32_t>(tally.Done) + static_cast<uint32_t>(count));
    if (OnWork)
        OnWork(*this, mode, tally.Done);
}

void TIdComponent::FinishWork(TWorkMode mode)
{
    WorkTally& tally = FWorkTally[mode];
    if (tally.Depth == 1 && OnWorkEnd)
        OnWorkEnd(*this, mode);
    tally.Depth -= 1;
}


void TIdComponent::ReportStatus(TIdStatus status, const std::vector<std::string>& arguments)
{
    if (OnStatus)
        OnStatus(*this, status, StatusText(status, arguments));
}
