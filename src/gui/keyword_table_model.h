// The keyword table as a Qt item model over the keyword list: no widget per row, so a
// table of a million keywords costs the list's memory and little more.
#pragma once

#include "core/gather_record.h"
#include "core/keyword_list.h"

#include <QAbstractTableModel>

#include <functional>

class KeywordTableModel : public QAbstractTableModel, private KeywordListObserver {
public:
    explicit KeywordTableModel(KeywordList& list, QObject* parent = nullptr);
    ~KeywordTableModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Shows or hides the KEI columns, one per engine after the stored columns.
    void SetKeiShown(bool shown);
    bool KeiShown() const { return FKeiShown; }
    // Where the count cells' states come from (row, cell of the list); none: no states shown.
    using CellStates = std::function<CellRecord(int row, int cell)>;
    void SetCellStates(CellStates states) { FCellStates = std::move(states); }
    // The state of one cell changed without its text (a skipped cell), or of all of them.
    void CellStateChanged(int row, int column);
    void CellStatesReset();

private:
    void RowsAboutToBeAppended(int first, int last) override;
    void RowsAppended() override;
    void RowAboutToBeDeleted(int row) override;
    void RowDeleted() override;
    void RowsAboutToBeReordered() override;
    void RowsReordered() override;
    void RowChanged(int row, int firstColumn, int lastColumn) override;

    int StoredColumns() const;

    KeywordList& FList;
    bool FKeiShown = false;
    // A count cell's state as the view shows it beside the text.
    QVariant CellStateData(int row, int column, int role) const;

    CellStates FCellStates;
};
