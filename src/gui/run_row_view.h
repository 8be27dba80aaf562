// Keeps the row a run is at in view of the table, as long as the user leaves the
// scrolling to it: a user who scrolls the run's row out of sight keeps the view where
// they put it, and following starts again when they scroll the row back into sight.
#pragma once

#include <QObject>

class QTableView;

class RunRowView : public QObject {
public:
    explicit RunRowView(QTableView& view);

    // A new run: the view follows it from its first row.
    void RunStarted();
    void ShowRow(int row);

private:
    void Scrolled();
    bool RowInSight(int row) const;

    QTableView& FView;
    int FRow = -1;
    bool FFollowing = true;
    bool FScrolling = false;
};
