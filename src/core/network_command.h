// The one "running" state of the window's network commands. Every command that fetches
// pages (Gather Data, Gather Keywords) holds it from the click that starts the command
// until the command has fully returned, so that a click handled inside one of the
// command's message pumps can never start a second fetching command, change the rows
// under the running one, or open a dialog over it.
//
// The state is kept apart from any caption: "Gather Data" reads "Gather Data" again as
// soon as Stop is clicked, while the stopped command is still unwinding.
//
// How a network command joins (btnGatherKeywordClick, for instance):
//
//     void TfrmMain::btnGatherKeywordClick()
//     {
//         NetworkCommandRun run = FNetworkCommands.TryBegin(NetworkCommand::GatherKeywords);
//         if (!run)
//             return; // another command runs: this click slipped through one of its pumps
//         ...         // dialogs, FStopRequested = false, FetchPage, rows
//     }               // the state ends here, on every path, an escaping error included
//
// Add the command to the NetworkCommand enumeration. The window's listener (set in its
// constructor) then disables every command button while any command runs, and a
// handler that must not run during a command (it changes rows or opens a dialog) starts
// with `if (FNetworkCommands.IsRunning()) return;`.
#pragma once

#include <functional>

enum class NetworkCommand { None, GatherData, GatherKeywords };

class NetworkCommandState;

// Holds the running state for one command; the state ends when it goes. An empty run
// (the command was refused) converts to false.
class [[nodiscard]] NetworkCommandRun {
public:
    NetworkCommandRun() = default;
    ~NetworkCommandRun();
    NetworkCommandRun(NetworkCommandRun&& other) noexcept;
    NetworkCommandRun& operator=(NetworkCommandRun&&) = delete;
    NetworkCommandRun(const NetworkCommandRun&) = delete;
    NetworkCommandRun& operator=(const NetworkCommandRun&) = delete;

    explicit operator bool() const { return FState != nullptr; }

private:
    friend class NetworkCommandState;
    explicit NetworkCommandRun(NetworkCommandState& state) : FState(&state) {}

    NetworkCommandState* FState = nullptr;
};

class NetworkCommandState {
public:
    // Told the running command each time the state changes (None when it ends), so the
    // window can switch its controls.
    using Listener = std::function<void(NetworkCommand running)>;

    NetworkCommandState() = default;
    NetworkCommandState(const NetworkCommandState&) = delete;
    NetworkCommandState& operator=(const NetworkCommandState&) = delete;

    void SetListener(Listener listener) { FListener = std::move(listener); }

    // Starts `command` unless a command runs already; then the result is empty and
    // nothing changes.
    NetworkCommandRun TryBegin(NetworkCommand command);

    bool IsRunning() const { return FRunning != NetworkCommand::None; }
    NetworkCommand Running() const { return FRunning; }

private:
    friend class NetworkCommandRun;
    void End();

    NetworkCommand FRunning = NetworkCommand::None;
    Listener FListener;
};
