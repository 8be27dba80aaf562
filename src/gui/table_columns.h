// Keeps the keyword table's columns fitted to the window (core/column_widths), shows
// the sort direction in the sorted column's header, and brings the table back to its
// left edge when asked.
#pragma once

#include <QObject>

class QTableView;
class KeywordList;
struct SortState;

class TableColumns : public QObject {
public:
    // Watches the view's size and its model's rows; the view's model is over `list`, and
    // its window was designed `designWidth` pixels wide.
    TableColumns(QTableView& view, const KeywordList& list, int designWidth);

    void ShowSortDirection(const SortState& sort);
    void ScrollToLeftEdge();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Refits after the event that changed the rows has been handled, once however many
    // changes came together.
    void RefitSoon();
    void Refit();
    // What the No column needs for the row whose caption is the longest.
    int NumberWidth() const;

    QTableView& FView;
    // Compared, never called: the viewport's events still come while the view is being
    // destroyed, when the view is no longer a table view to ask.
    QObject* FViewport;
    const KeywordList& FList;
    int FDesignWidth;
    bool FRefitQueued = false;
};
