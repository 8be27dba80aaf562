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
    // Cells 2 on hold the counts of the engines, one per engine in profile order;
    // Google, Yahoo and Msn are those of the built-in profile.
    enum Cell { Keywords, Searches, Google, Yahoo, Msn };
    static constexpr int FirstEngineCell = Google;

    std::string Caption;               // column "No": the number given when added
    std::array<std::string, 2> Cells;  // columns 1 and 2: Keywords, Searches
    // The engine columns; left empty until a count is written, so that a large list of
    // keywords not yet gathered costs no more than its keywords.
    std::vector<std::string> EngineCells;
    bool Ticked = false;

    // Any cell by its index; an engine cell never written reads empty, and writing one
    // makes room for it. The list checks the index against its engine count.
    const std::string& Cell(int cell) const;
    void SetCell(int cell, std::string text);
};

// Rows taken out of the list by one command, each with the position it held then
// (ascending), so that they can be put back.
struct RemovedRows {
    std::vector<std::size_t> Positions;
    std::vector<KeywordRow> Rows;
};

// Told before and after every change, in the order a Qt item model needs.
class KeywordListObserver {
public:
    virtual ~KeywordListObserver() = default;
    virtual void RowsAboutToBeAppended(int first, int last) = 0;
    virtual void RowsAppended() = 0;
    virtual void RowAboutToBeDeleted(int row) = 0;
    virtual void RowDeleted() = 0;
    virtual void RowsAboutToBeReordered() = 0; // clearing, sorting, deleting the ticked rows, new columns
    virtual void RowsReordered() = 0;
    virtual void RowChanged(int row, int firstColumn, int lastColumn) = 0;
};

class KeywordList {
public:
    // The built-in profile's engines, until SetEngineNames says otherwise.
    KeywordList();

    // One count column per engine, captioned with its name, after No, Keywords and
    // Searches. Rows already listed keep the counts of the engines that stay in place.
    void SetEngineNames(std::vector<std::string> names);
    int EngineCount() const { return static_cast<int>(FEngineNames.size()); }
    // Cells per row (Keywords, Searches and the engines) and columns (No and the cells).
    int CellCount() const { return KeywordRow::FirstEngineCell + EngineCount(); }
    int ColumnCount() const { return 1 + CellCount(); }
    const std::string& ColumnCaption(int column) const;

    void SetObserver(KeywordListObserver* observer) { FObserver = observer; }

    void AppendRow(int number, std::string keywords, std::string searches);
    int CountRows() const { return static_cast<int>(FRows.size()); }
    const std::string& RowCaption(int row) const { return FRows.at(Index(row)).Caption; }
    // Cell index 0 to CellCount() - 1.
    const std::string& CellText(int row, int cell) const;
    void SetCellText(int row, int cell, std::string text);
    bool IsRowTicked(int row) const { return FRows.at(Index(row)).Ticked; }
    void SetRowTicked(int row, bool ticked);
    void DeleteRow(int row);
    // Removes every ticked row in one pass, keeping the others in their order: one
    // change for the view however many rows go. Returns how many went.
    int DeleteTickedRows();
    void ClearRows();
    // Takes out every row whose flag is set (flags past the end count as unset), the
    // others keeping their order: one change for the view.
    RemovedRows TakeRows(const std::vector<bool>& taken);
    // Puts taken rows back at the positions they held; rows listed since then move
    // after them. One change.
    void PutBackRows(RemovedRows removed);
    // Appends complete rows as one change.
    void AppendRows(std::vector<KeywordRow> rows);
    // Row i becomes the row now at order[i] (a permutation of every row); one change.
    void ReorderRows(const std::vector<std::size_t>& order);
    // Reorders the rows once, stably, by CompareRows for that column (0 to ColumnCount() - 1).
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
    std::vector<std::string> FEngineNames;
    KeywordListObserver* FObserver = nullptr;
    bool FInBatch = false;
    uint64_t FRevision = 0;
};
