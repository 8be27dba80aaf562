#include "gui/keyword_table_model.h"

#include "core/kei.h"
#include "core/list_columns.h"
#include "gui/text_bytes.h"

KeywordTableModel::KeywordTableModel(KeywordList& list, QObject* parent) : QAbstractTableModel(parent), FList(list)
{
    FList.SetObserver(this);
}

KeywordTableModel::~KeywordTableModel()
{
    FList.SetObserver(nullptr);
}

int KeywordTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : FList.CountRows();
}

int KeywordTableModel::columnCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    return StoredColumns() + (FKeiShown ? ListColumns::EngineCount(FList) : 0);
}

int KeywordTableModel::StoredColumns() const
{
    return ListColumns::StoredColumnCount(FList);
}

void KeywordTableModel::SetKeiShown(bool shown)
{
    if (shown == FKeiShown)
        return;
    const int first = StoredColumns();
    const int last = first + ListColumns::EngineCount(FList) - 1;
    if (shown) {
        beginInsertColumns({}, first, last);
        FKeiShown = true;
        endInsertColumns();
    } else {
        beginRemoveColumns({}, first, last);
        FKeiShown = false;
        endRemoveColumns();
    }
}

QVariant KeywordTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const int row = index.row();
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole: {
        if (column >= StoredColumns())
            return QString::fromStdString(
                KeiText(FList.CellText(row, KeywordRow::Searches),
                        FList.CellText(row, ListColumns::EngineCell(FList, column - StoredColumns()))));
        return CellDisplayText(column == 0 ? FList.RowCaption(row) : FList.CellText(row, column - 1));
    }
    case Qt::CheckStateRole:
        if (column == 0)
            return FList.IsRowTicked(row) ? Qt::Checked : Qt::Unchecked;
        return {};
    default:
        return {};
    }
}

bool KeywordTableModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || index.column() != 0 || role != Qt::CheckStateRole)
        return false;
    FList.SetRowTicked(index.row(), value.value<Qt::CheckState>() == Qt::Checked);
    return true;
}

QVariant KeywordTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount())
        return {};
    if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole)
        return {};
    const std::string caption = section < StoredColumns()
                                    ? ListColumns::StoredColumnCaption(FList, section)
                                    : ListColumns::KeiCaption(FList, section - StoredColumns());
    // An engine's name comes from a profile file: shown as text, never as markup.
    return CellDisplayText(caption);
}

Qt::ItemFlags KeywordTableModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags result = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() == 0)
        result |= Qt::ItemIsUserCheckable;
    return result;
}

void KeywordTableModel::RowsAboutToBeAppended(int first, int last)
{
    beginInsertRows({}, first, last);
}

void KeywordTableModel::RowsAppended()
{
    endInsertRows();
}

void KeywordTableModel::RowAboutToBeDeleted(int row)
{
    beginRemoveRows({}, row, row);
}

void KeywordTableModel::RowDeleted()
{
    endRemoveRows();
}

void KeywordTableModel::RowsAboutToBeReordered()
{
    beginResetModel();
}

void KeywordTableModel::RowsReordered()
{
    endResetModel();
}

void KeywordTableModel::RowChanged(int row, int firstColumn, int lastColumn)
{
    emit dataChanged(index(row, firstColumn), index(row, lastColumn));
}
