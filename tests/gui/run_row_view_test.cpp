#include "gui/run_row_view.h"

#include <QScrollBar>
#include <QStandardItemModel>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class RunRowViewTest : public testing::Test {
protected:
    void SetUp() override
    {
        model.setRowCount(500);
        model.setColumnCount(2);
        view.setModel(&model);
        view.resize(300, 200);
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    }

    bool InSight(int row)
    {
        const QRect cell = view.visualRect(model.index(row, 0));
        return cell.isValid() && view.viewport()->rect().intersects(cell);
    }

    // A scroll the user makes, with the wheel or the scroll bar.
    void UserScrollsTo(int value) { view.verticalScrollBar()->setValue(value); }

    QStandardItemModel model;
    QTableView view;
    RunRowView follower{view};
};

TEST_F(RunRowViewTest, TheRowOfTheRunStaysInSight)
{
    follower.RunStarted();
    for (int row : {0, 1, 150, 151, 499}) {
        follower.ShowRow(row);
        EXPECT_TRUE(InSight(row)) << row;
    }
}

TEST_F(RunRowViewTest, AUserWhoScrollsAwayKeepsTheViewUntilTheyScrollBack)
{
    follower.RunStarted();
    follower.ShowRow(200);
    UserScrollsTo(0);
    follower.ShowRow(201);
    EXPECT_EQ(view.verticalScrollBar()->value(), 0) << "the scroll was taken from the user";
    EXPECT_FALSE(InSight(201));

    // Back where the run is: following goes on.
    view.scrollTo(model.index(201, 0));
    follower.ShowRow(260);
    EXPECT_TRUE(InSight(260));
}

TEST_F(RunRowViewTest, ANewRunFollowsAgain)
{
    follower.RunStarted();
    follower.ShowRow(200);
    UserScrollsTo(0);
    follower.RunStarted();
    follower.ShowRow(300);
    EXPECT_TRUE(InSight(300));
}

} // namespace
