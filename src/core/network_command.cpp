#include "core/network_command.h"

NetworkCommandRun::~NetworkCommandRun()
{
    if (FState)
        FState->End();
}

NetworkCommandRun::NetworkCommandRun(NetworkCommandRun&& other) noexcept : FState(other.FState)
{
    other.FState = nullptr;
}

NetworkCommandRun NetworkCommandState::TryBegin(NetworkCommand command)
{
    if (IsRunning() || command == NetworkCommand::None)
        return {};
    FRunning = command;
    if (FListener)
        FListener(FRunning);
    return NetworkCommandRun(*this);
}

void NetworkCommandState::End()
{
    FRunning = NetworkCommand::None;
    if (FListener)
        FListener(FRunning);
}
