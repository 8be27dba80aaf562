#include "core/gather_record.h"

std::string CellStateNote(const CellRecord& record)
{
    switch (record.State) {
    case CellState::NoCount:
        return "No count on the page";
    case CellState::Skipped:
        return "Skipped";
    case CellState::Failed:
        return "Failed: " + record.Reason;
    case CellState::NotAsked:
    case CellState::Counted:
        break;
    }
    return {};
}

void GatherRecord::StartRun(const std::vector<CountEngine>& engines, int searchMode)
{
    FCells.clear();
    FSearchMode = searchMode;
    FRequests = Requests(engines, searchMode);
    FRan = true;
    FEndedEarly = true;
}

void GatherRecord::ContinueRun()
{
    FEndedEarly = true;
}

void GatherRecord::SetCell(const KeywordList& list, int row, int cell, CellState state, std::string reason)
{
    FCells[RowKey(list, row)][cell] = {state, std::move(reason)};
}

void GatherRecord::EndRun(bool complete)
{
    FEndedEarly = !complete;
}

CellRecord GatherRecord::Cell(const KeywordList& list, int row, int cell) const
{
    const auto found = FCells.find(RowKey(list, row));
    if (found == FCells.end())
        return {};
    const auto record = found->second.find(cell);
    return record == found->second.end() ? CellRecord{} : record->second;
}

bool GatherRecord::NeedsAsking(const KeywordList& list, int row, int cell) const
{
    const CellState state = Cell(list, row, cell).State;
    return state != CellState::Counted && state != CellState::NoCount;
}

bool GatherRecord::CanContinue(const KeywordList& list, const std::vector<CountEngine>& engines) const
{
    if (!FRan || !FEndedEarly)
        return false;
    for (int row = 0; row < list.CountRows(); ++row)
        for (const CountEngine& engine : engines)
            if (NeedsAsking(list, row, engine.Cell))
                return true;
    return false;
}

bool GatherRecord::SameRequests(const std::vector<CountEngine>& engines) const
{
    return FRan && Requests(engines, FSearchMode) == FRequests;
}

LanePlan GatherRecord::ContinuePlan(const KeywordList& list, const std::vector<CountEngine>& engines) const
{
    LanePlan plan(engines.size());
    for (size_t index = 0; index < engines.size(); ++index)
        for (int row = 0; row < list.CountRows(); ++row)
            if (NeedsAsking(list, row, engines[index].Cell))
                plan[index].push_back(row);
    return plan;
}

std::string GatherRecord::RowKey(const KeywordList& list, int row)
{
    return list.RowCaption(row) + '\0' + list.CellText(row, KeywordRow::Keywords);
}

std::vector<std::string> GatherRecord::Requests(const std::vector<CountEngine>& engines, int searchMode)
{
    // The request of a sample keyword stands for the engine's requests.
    std::vector<std::string> requests;
    for (const CountEngine& engine : engines)
        requests.push_back(engine.Name + '\n' + std::to_string(engine.Cell) + '\n' +
                           engine.RequestURL("keyword sample", searchMode));
    return requests;
}
