#include "core/keyword_list.h"

#include "core/keyword_sort.h"

#include <algorithm>
#include <numeric>
#include <stdexcept>

namespace {

const std::string ColumnsBeforeEngines[] = {"No", "Keywords", "Searches"};
const std::string NoText;

} // namespace

KeywordList::KeywordList() : FEngineNames{"Google", "Yahoo", "Msn"} {}

void KeywordList::SetEngineNames(std::vector<std::string> names)
{
    if (FObserver)
        FObserver->RowsAboutToBeReordered();
    FEngineNames = std::move(names);
    for (KeywordRow& row : FRows)
        if (row.EngineCells.size() > FEngineNames.size())
            row.EngineCells.resize(FEngineNames.size());
    if (FObserver)
        FObserver->RowsReordered();
}

const std::string& KeywordList::ColumnCaption(int column) const
{
    if (column >= 0 && column < 3)
        return ColumnsBeforeEngines[column];
    return FEngineNames.at(static_cast<std::size_t>(column - 3));
}

const std::string& KeywordRow::Cell(int cell) const
{
    if (cell < FirstEngineCell)
        return Cells.at(static_cast<std::size_t>(cell));
    const auto engine = static_cast<std::size_t>(cell - FirstEngineCell);
    return engine < EngineCells.size() ? EngineCells[engine] : NoText;
}

void KeywordRow::SetCell(int cell, std::string text)
{
    if (cell < FirstEngineCell) {
        Cells.at(static_cast<std::size_t>(cell)) = std::move(text);
        return;
    }
    const auto engine = static_cast<std::size_t>(cell - FirstEngineCell);
    if (engine >= EngineCells.size())
        EngineCells.resize(engine + 1);
    EngineCells[engine] = std::move(text);
}

const std::string& KeywordList::CellText(int row, int cell) const
{
    const KeywordRow& held = FRows.at(Index(row));
    if (cell < 0 || cell >= CellCount())
        throw std::out_of_range("cell index out of range");
    return held.Cell(cell);
}

void KeywordList::AppendRow(int number, std::string keywords, std::string searches)
{
    const int row = CountRows();
    if (FObserver && !FInBatch)
        FObserver->RowsAboutToBeAppended(row, row);
    KeywordRow& added = FRows.emplace_back();
    added.Caption = std::to_string(number);
    added.Cells[KeywordRow::Keywords] = std::move(keywords);
    added.Cells[KeywordRow::Searches] = std::move(searches);
    ++FRevision;
    if (FObserver && !FInBatch)
        FObserver->RowsAppended();
}

void KeywordList::SetCellText(int row, int cell, std::string text)
{
    KeywordRow& held = FRows.at(Index(row));
    if (cell < 0 || cell >= CellCount())
        throw std::out_of_range("cell index out of range");
    held.SetCell(cell, std::move(text));
    ++FRevision;
    if (FObserver)
        FObserver->RowChanged(row, cell + 1, cell + 1);
}

void KeywordList::SetRowTicked(int row, bool ticked)
{
    FRows.at(Index(row)).Ticked = ticked;
    if (FObserver)
        FObserver->RowChanged(row, 0, 0);
}

void KeywordList::DeleteRow(int row)
{
    if (row < 0 || row >= CountRows())
        throw std::out_of_range("row index out of range");
    if (FObserver)
        FObserver->RowAboutToBeDeleted(row);
    FRows.erase(FRows.begin() + row);
    ++FRevision;
    if (FObserver)
        FObserver->RowDeleted();
}

int KeywordList::DeleteTickedRows()
{
    const auto ticked = [](const KeywordRow& row) { return row.Ticked; };
    const auto firstTicked = std::find_if(FRows.begin(), FRows.end(), ticked);
    if (firstTicked == FRows.end())
        return 0;
    if (FObserver)
        FObserver->RowsAboutToBeReordered();
    const auto kept = std::remove_if(firstTicked, FRows.end(), ticked);
    const int deleted = static_cast<int>(FRows.end() - kept);
    FRows.erase(kept, FRows.end());
    ++FRevision;
    if (FObserver)
        FObserver->RowsReordered();
    return deleted;
}

void KeywordList::ClearRows()
{
    if (FObserver)
        FObserver->RowsAboutToBeReordered();
    if (!FRows.empty())
        ++FRevision;
    FRows.clear();
    FRows.shrink_to_fit();
    if (FObserver)
        FObserver->RowsReordered();
}

RemovedRows KeywordList::TakeRows(const std::vector<bool>& taken)
{
    RemovedRows removed;
    const std::size_t flagged = std::min(taken.size(), FRows.size());
    const std::size_t count = static_cast<std::size_t>(std::count(taken.begin(), taken.begin() + flagged, true));
    if (count == 0)
        return removed;
    removed.Positions.reserve(count);
    removed.Rows.reserve(count);
    if (FObserver)
        FObserver->RowsAboutToBeReordered();
    std::size_t kept = 0;
    for (std::size_t row = 0; row < FRows.size(); ++row) {
        if (row < flagged && taken[row]) {
            removed.Positions.push_back(row);
            removed.Rows.push_back(std::move(FRows[row]));
        } else {
            if (kept != row)
                FRows[kept] = std::move(FRows[row]);
            ++kept;
        }
    }
    FRows.erase(FRows.begin() + static_cast<std::ptrdiff_t>(kept), FRows.end());
    if (FObserver)
        FObserver->RowsReordered();
    return removed;
}

void KeywordList::PutBackRows(RemovedRows removed)
{
    if (removed.Rows.empty())
        return;
    std::vector<KeywordRow> merged;
    merged.reserve(FRows.size() + removed.Rows.size());
    std::size_t present = 0;
    for (std::size_t back = 0; back < removed.Rows.size(); ++back) {
        while (merged.size() < removed.Positions[back] && present < FRows.size())
            merged.push_back(std::move(FRows[present++]));
        merged.push_back(std::move(removed.Rows[back]));
    }
    while (present < FRows.size())
        merged.push_back(std::move(FRows[present++]));
    if (FObserver)
        FObserver->RowsAboutToBeReordered();
    FRows = std::move(merged);
    if (FObserver)
        FObserver->RowsReordered();
}

void KeywordList::AppendRows(std::vector<KeywordRow> rows)
{
    if (rows.empty())
        return;
    const bool announce = FObserver && !FInBatch;
    if (announce)
        FObserver->RowsAboutToBeAppended(CountRows(), CountRows() + static_cast<int>(rows.size()) - 1);
    // Into an empty list the rows move as one block, with no second copy.
    if (FRows.empty())
        FRows = std::move(rows);
    else
        FRows.insert(FRows.end(), std::make_move_iterator(rows.begin()), std::make_move_iterator(rows.end()));
    if (announce)
        FObserver->RowsAppended();
}

void KeywordList::ReorderRows(const std::vector<std::size_t>& order)
{
    if (order.size() != FRows.size())
        throw std::invalid_argument("row order does not cover every row");
    if (FObserver)
        FObserver->RowsAboutToBeReordered();
    PlaceInOrder(order);
    if (FObserver)
        FObserver->RowsReordered();
}

void KeywordList::SortByColumn(int column, bool ascending, const TextCollator& collator)
{
    if (column < 0 || column >= ColumnCount())
        throw std::out_of_range("column index out of range");
    std::vector<std::size_t> order;
    if (column == 1) {
        std::vector<const std::string*> texts;
        texts.reserve(FRows.size());
        for (const KeywordRow& row : FRows)
            texts.push_back(&row.Cells[KeywordRow::Keywords]);
        order = StableOrderOfRanks(collator.RankTexts(texts), ascending);
    } else {
        // Numbers are read once per row, not on every comparison.
        std::vector<int32_t> keys(FRows.size());
        const int cell = column - 1;
        const auto engine = static_cast<std::size_t>(cell - KeywordRow::FirstEngineCell);
        for (std::size_t i = 0; i < FRows.size(); ++i) {
            const KeywordRow& row = FRows[i];
            const std::string& text = column == 0                         ? row.Caption
                                      : cell < KeywordRow::FirstEngineCell ? row.Cells[static_cast<std::size_t>(cell)]
                                      : engine < row.EngineCells.size()    ? row.EngineCells[engine]
                                                                           : NoText;
            keys[i] = NumberTextValue(text);
        }
        order.resize(FRows.size());
        std::iota(order.begin(), order.end(), std::size_t{0});
        std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
            return CompareRows(keys[a], keys[b], ascending) < 0;
        });
    }

    if (FObserver)
        FObserver->RowsAboutToBeReordered();
    PlaceInOrder(order);
    if (FObserver)
        FObserver->RowsReordered();
}

std::vector<std::size_t> KeywordList::StableOrderOfRanks(const std::vector<uint32_t>& ranks, bool ascending)
{
    // Ranks are small dense numbers, so a counting sort orders the rows in one pass and
    // keeps rows of equal rank in their order, whichever the direction.
    const uint32_t rankCount = ranks.empty() ? 0 : *std::max_element(ranks.begin(), ranks.end()) + 1;
    const auto slot = [&](uint32_t rank) { return ascending ? rank : rankCount - 1 - rank; };
    std::vector<std::size_t> start(rankCount + 1, 0);
    for (uint32_t rank : ranks)
        ++start[slot(rank) + 1];
    std::partial_sum(start.begin(), start.end(), start.begin());
    std::vector<std::size_t> order(ranks.size());
    for (std::size_t row = 0; row < ranks.size(); ++row)
        order[start[slot(ranks[row])]++] = row;
    return order;
}

void KeywordList::PrefetchRow(std::size_t row) const
{
    // The next row of a cycle lies anywhere in the table; asking for it one step ahead
    // hides most of the wait for memory.
    const char* bytes = reinterpret_cast<const char*>(&FRows[row]);
    for (std::size_t offset = 0; offset < sizeof(KeywordRow); offset += 64)
        __builtin_prefetch(bytes + offset, 1);
}

void KeywordList::PlaceInOrder(const std::vector<std::size_t>& order)
{
    // Follows each cycle of the permutation, so every row moves once and no second
    // table is allocated.
    std::vector<bool> placed(order.size(), false);
    for (std::size_t start = 0; start < order.size(); ++start) {
        if (placed[start] || order[start] == start)
            continue;
        KeywordRow held = std::move(FRows[start]);
        std::size_t target = start;
        while (true) {
            placed[target] = true;
            const std::size_t source = order[target];
            if (source == start) {
                FRows[target] = std::move(held);
                break;
            }
            PrefetchRow(order[source]);
            FRows[target] = std::move(FRows[source]);
            target = source;
        }
    }
}

KeywordList::AppendBatch::AppendBatch(KeywordList& list, std::size_t count) : FList(list)
{
    if (count == 0 || FList.FInBatch)
        return;
    FList.FRows.reserve(FList.FRows.size() + count);
    if (FList.FObserver)
        FList.FObserver->RowsAboutToBeAppended(FList.CountRows(), FList.CountRows() + static_cast<int>(count) - 1);
    FList.FInBatch = true;
    FAnnounced = true;
}

KeywordList::AppendBatch::~AppendBatch()
{
    if (!FAnnounced)
        return;
    FList.FInBatch = false;
    if (FList.FObserver)
        FList.FObserver->RowsAppended();
}
