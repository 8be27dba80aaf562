#include "gui/table_columns.h"

#include "core/column_widths.h"
#include "core/keyword_list.h"
#include "core/keyword_sort.h"

#include <QEvent>
#include <QHeaderView>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>

#include <vector>

TableColumns::TableColumns(QTableView& view, const KeywordList& list, int designWidth)
    : QObject(&view), FView(view), FViewport(view.viewport()), FList(list), FDesignWidth(designWidth)
{
    QHeaderView* header = FView.horizontalHeader();
    header->setSortIndicatorShown(true);
    header->setSortIndicator(-1, Qt::AscendingOrder);
    FViewport->installEventFilter(this);
    QAbstractItemModel* model = FView.model();
    connect(model, &QAbstractItemModel::rowsInserted, this, &TableColumns::RefitSoon);
    connect(model, &QAbstractItemModel::rowsRemoved, this, &TableColumns::RefitSoon);
    connect(model, &QAbstractItemModel::modelReset, this, &TableColumns::RefitSoon);
    connect(model, &QAbstractItemModel::columnsInserted, this, &TableColumns::RefitSoon);
    connect(model, &QAbstractItemModel::columnsRemoved, this, &TableColumns::RefitSoon);
    Refit();
}

void TableColumns::ShowSortDirection(const SortState& sort)
{
    FView.horizontalHeader()->setSortIndicator(sort.SortColumn,
                                               sort.SortAscending ? Qt::AscendingOrder : Qt::DescendingOrder);
}

void TableColumns::ScrollToLeftEdge()
{
    FView.horizontalScrollBar()->setValue(FView.horizontalScrollBar()->minimum());
}

bool TableColumns::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == FViewport && event->type() == QEvent::Resize)
        Refit();
    return QObject::eventFilter(watched, event);
}

void TableColumns::RefitSoon()
{
    if (FRefitQueued)
        return;
    FRefitQueued = true;
    QTimer::singleShot(0, this, [this] {
        FRefitQueued = false;
        Refit();
    });
}

void TableColumns::Refit()
{
    QHeaderView* header = FView.horizontalHeader();
    const int columns = FView.model()->columnCount();
    std::vector<int> widths(static_cast<std::size_t>(columns));
    for (int column = 0; column < columns; ++column)
        widths[static_cast<std::size_t>(column)] = header->sectionSize(column);
    const std::vector<int> fitted = FitColumnWidths(widths, NumberWidth(), FView.window()->width() - FDesignWidth);
    for (int column = 0; column < columns; ++column)
        if (fitted[static_cast<std::size_t>(column)] != header->sectionSize(column))
            header->resizeSection(column, fitted[static_cast<std::size_t>(column)]);
}

int TableColumns::NumberWidth() const
{
    int longest = -1;
    std::size_t longestLength = 0;
    for (int row = 0; row < FList.CountRows(); ++row) {
        const std::size_t length = FList.RowCaption(row).size();
        if (longest < 0 || length > longestLength) {
            longest = row;
            longestLength = length;
        }
    }
    if (longest < 0)
        return 0;
    // The delegate's own measure (tick box, margins and text), and the grid line the
    // cell gives up to it.
    const int grid = FView.showGrid() ? 1 : 0;
    return FView.sizeHintForIndex(FView.model()->index(longest, 0)).width() + grid;
}
