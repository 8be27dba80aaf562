// The base of every network object: progress reporting through the three work events
// and status reporting through the status event. Every live component keeps the socket
// layer alive.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

enum TWorkMode { wmRead = 0, wmWrite = 1 };

enum TIdStatus {
    hsResolving,
    hsConnecting,
    hsConnected,
    hsDisconnecting,
    hsDisconnected,
    hsStatusText,
    ftpTransfer,
    ftpReady,
    ftpAborted,
};

// The progress of one work mode. Depth counts nested phases; only the outermost one
// raises the begin and end events.
struct WorkTally {
    int32_t Done = 0;
    int32_t Expected = 0;
    int32_t Depth = 0;
};

class TIdBaseComponent {
public:
    TIdBaseComponent() = default;
    virtual ~TIdBaseComponent() = default;
    TIdBaseComponent(const TIdBaseComponent&) = delete;
    TIdBaseComponent& operator=(const TIdBaseComponent&) = delete;
};

class TIdComponent : public TIdBaseComponent {
public:
    using TIdStatusEvent = std::function<void(TIdComponent& ASender, TIdStatus AStatus, const std::string& AStatusText)>;
    using TWorkEvent = std::function<void(TIdComponent& Sender, TWorkMode AWorkMode, int32_t AWorkCount)>;
    using TWorkBeginEvent = std::function<void(TIdComponent& Sender, TWorkMode AWorkMode, int32_t AWorkCountMax)>;
    using TWorkEndEvent = std::function<void(TIdComponent& Sender, TWorkMode AWorkMode)>;

    TIdComponent();
    ~TIdComponent() override;

    virtual void StartWork(TWorkMode mode, int32_t expected = 0);
    // Adds count to the running total and reports the total, inside a phase only.
    virtual void AddWork(TWorkMode mode, int32_t count);
    virtual void FinishWork(TWorkMode mode);

    // Formats the status text with the arguments, in order, and raises OnStatus.
    void ReportStatus(TIdStatus status, const std::vector<std::string>& arguments = {});

    const WorkTally& Tally(TWorkMode mode) const { return FWorkTally[mode]; }

    TIdStatusEvent OnStatus;
    TWorkEvent OnWork;
    TWorkBeginEvent OnWorkBegin;
    TWorkEndEvent OnWorkEnd;

private:
    WorkTally FWorkTally[2];
};
