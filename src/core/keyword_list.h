// The keyword table's data: one KeywordRow per keyword in display order, and the only
// operations through which the rest of the program reads and writes rows. A view (the
// window's table model) follows the changes through KeywordListObserver.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class TextCollator;

struct KeywordRow {
    enum Cell { Keywords, Searches, Google, Yahoo, Msn };
    static constexpr int CellCount = 5;

    std::string Caption;                      // column "No": the number given when added
    std::array<std::string, CellCount> Cells; // columns 1..5
    bool Ticked = false;
};

// Told before and after every change, in the order a Qt item model needs.
class KeywordListObserver {
public:
    virtual ~KeywordListObserver() = default;
    virtual void RowsAboutToBeAppended(int first, int last) = 0;
    virtual void RowsAppended() = 0;
    virtual void RowAboutToBeDeleted(int row) = 0;
    virtual void RowDeleted() = 0;
    virtual void RowsAboutToBeReordered() = 0; // clearing, sorting, deleting the ticked rows
    virtual void RowsReordered() = 0;
    virtual void RowChanged(int row, int firstColumn, int lastColumn) = 0;
};

class KeywordList {
public:
    static constexpr int ColumnCount = 1 + KeywordRow::CellCount;
    static constexpr const char* ColumnCaptions[ColumnCount] = {"No", "Keywords", "Searches", "Google", "Yahoo", "Msn"};

    void SetObserver(KeywordListObserver* observer) { FObserver = observer; }

    void AppendRow(int number, std::string keywords, std::string searches);
    int CountRows() const { return static_cast<int>(FRows.size()); }
    const std::string& RowCaption(int row) const { return FRows.at(Index(row)).Caption; }
    const std::string& CellText(int row, int cell) const;
    void SetCellText(int row, int cell, std::string text);
    bool IsRowTicked(int row) const { return FRows.at(Index(row)).Ticked; }
    void SetRowTicked(int row, bool ticked);
    void DeleteRow(int row);
    // Removes every ticked row in one pass, keeping the others in their order: one
    // change for the view however many rows go. Returns how many went.
    int DeleteTickedRows();
    void ClearRows();
    // Reorders the rows once, stably, by CompareRows for that column (0 to 5).
    void SortByColumn(int column, bool ascending, const TextCollator& collator);

    // Counts the changes to what a save writes (rows added, cells written, rows removed);
    // ticks and the order do not count. Two equal revisions mean the same rows.
    uint64_t Revision() const { return FRevision; }

    // Announces `count` rows about to be appended as one change, so that a large import
    // is one insertion for the view instead of one per row. AppendRow calls made while
    // it lives are not announced again.
    class AppendBatch {
    public:
        AppendBatch(KeywordList& list, std::size_t count);
        ~AppendBatch();
        AppendBatch(const AppendBatch&) = delete;
        AppendBatch& operator=(const AppendBatch&) = delete;

    private:
        KeywordList& FList;
        bool FAnnounced = false;
    };

private:
    static std::size_t Index(int row) { return static_cast<std::size_t>(row); }
    // Row i of the result is the row now at order[i].
    void PlaceInOrder(const std::vector<std::size_t>& order);
    void PrefetchRow(std::size_t row) const;
    // The rows ordered by rank, equal ranks in their present order.
    static std::vector<std::size_t> StableOrderOfRanks(const std::vector<uint32_t>& ranks, bool ascending);

    std::vector<KeywordRow> FRows;
    KeywordListObserver* FObserver = nullptr;
    bool FInBatch = false;
    uint64_t FRevision = 0;
};
