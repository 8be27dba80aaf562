#include "gui/run_row_view.h"

#include <QScrollBar>
#include <QTableView>

RunRowView::RunRowView(QTableView& view) : QObject(&view), FView(view)
{
    connect(FView.verticalScrollBar(), &QScrollBar::valueChanged, this, &RunRowView::Scrolled);
}

void RunRowView::RunStarted()
{
    FRow = -1;
    FFollowing = true;
}

void RunRowView::ShowRow(int row)
{
    FRow = row;
    if (!FFollowing)
        return;
    FScrolling = true;
    FView.scrollTo(FView.model()->index(row, 0), QAbstractItemView::EnsureVisible);
    FScrolling = false;
}

void RunRowView::Scrolled()
{
    if (!FScrolling && FRow >= 0)
        FFollowing = RowInSight(FRow);
}

bool RunRowView::RowInSight(int row) const
{
    const QRect cell = FView.visualRect(FView.model()->index(row, 0));
    return cell.isValid() && FView.viewport()->rect().intersects(cell);
}
