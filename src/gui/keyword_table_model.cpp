#include "gui/keyword_table_model.h"

#include "core/kei.h"
#include "core/list_columns.h"
#include "gui/text_bytes.h"

#include <QColor>

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
        return CellStateData(row, column, role);
    }
}

QVariant KeywordTableModel::CellStateData(int row, int column, int role) const
{
    if (!FCellStates || column < 1 + KeywordRow::Google || role == Qt::CheckStateRole)
        return {};
    const CellRecord record = FCellStates(row, column - 1);
    const std::string note = CellStateNote(record);
    if (note.empty())
        return {};
    switch (role) {
    case Qt::ToolTipRole: {
        // A tooltip guesses rich text from the text itself, and a reason holds what a server
        // said: it is escaped and marked as rich text, so every character shows as sent.
        QString escaped = QString::fromUtf8(note).toHtmlEscaped();
        escaped.replace("\r\n", "<br>").replace('\n', "<br>");
        return "<qt>" + escaped + "</qt>";
    }
    case Qt::AccessibleDescriptionRole:
        return QString::fromUtf8(note);
    case Qt::BackgroundRole:
        // A glance tells an empty count from a refusal from a failure.
        switch (record.State) {
        case CellState::NoCount:
            return QColor(0xe8, 0xe8, 0xe8);
        case CellState::Skipped:
            return QColor(0xe6, 0xe6, 0xf5);
        case CellState::Failed:
            return QColor(0xf8, 0xd8, 0xd8);
        default:
            return {};
        }
    default:
        return {};
    }
}

void KeywordTableModel::CellStateChanged(int row, int column)
{
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount())
        return;
    emit dataChanged(index(row, column), index(row, column));
}

void KeywordTableModel::CellStatesReset()
{
    if (rowCount() > 0)
        emit dataChanged(index(0, 1 + KeywordRow::Google), index(rowCount() - 1, columnCount() - 1));
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
