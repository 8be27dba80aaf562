// The keyword table as a Qt item model over the keyword list: no widget per row, so a
// table of a million keywords costs the list's memory and little more.
#pragma once

#include "core/keyword_list.h"

#include <QAbstractTableModel>

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
};
