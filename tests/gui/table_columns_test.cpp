#include "support/gui/modal_answerer.h"
#include "support/gui/window_test.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QTableView>


namespace {

class TableColumnsTest : public WindowTest {
protected:
    QTableView* Table() { return Control<QTableView>("lvwItems"); }
    QHeaderView* Header() { return Table()->horizontalHeader(); }
    int Width(int column) { return Header()->sectionSize(column); }

    void AddRows(int count)
    {
        KeywordList& list = window.Keywords();
        {
            KeywordList::AppendBatch batch(list, static_cast<std::size_t>(count));
            for (int row = 1; row <= count; ++row)
                list.AppendRow(row, "golf keyword " + std::to_string(row) + " gathered from the suggestion service", "");
        }
        QCoreApplication::processEvents();
    }

    void ResizeWindow(int width, int height)
    {
        window.resize(width, height);
        QCoreApplication::processEvents();
    }

    int ColumnsTotal()
    {
        int total = 0;
        for (int column = 0; column < Header()->count(); ++column)
            total += Width(column);
        return total;
    }

    void ClickHeader(int column)
    {
        const QPoint centre(Header()->sectionViewportPosition(column) + Header()->sectionSize(column) / 2,
                            Header()->height() / 2);
        QTest::mouseClick(Header()->viewport(), Qt::LeftButton, {}, centre);
    }
};

TEST_F(TableColumnsTest, AtTheDesignSizeTheColumnsKeepTheirDesignWidths)
{
    const int design[] = {49, 132, 132, 104, 104, 104};
    for (int column = 0; column < 6; ++column)
        EXPECT_EQ(Width(column), design[column]) << column;
}

TEST_F(TableColumnsTest, TheKeywordsColumnTakesTheWidthTheWindowGainsAndGivesItBack)
{
    AddRows(20000);
    ResizeWindow(1600, 900);
    EXPECT_EQ(Width(1), 132 + (1600 - 747));
    EXPECT_EQ(Width(2), 132);
    for (int column = 3; column < 6; ++column)
        EXPECT_EQ(Width(column), 104) << column;
    EXPECT_LE(ColumnsTotal(), Table()->viewport()->width()) << "no sideways scrolling in a widened window";
    // A long keyword is no longer cut.
    const QModelIndex longest = Table()->model()->index(19999, 1);
    EXPECT_GE(Width(1), Table()->sizeHintForIndex(longest).width());

    ResizeWindow(747, 455);
    EXPECT_EQ(Width(1), 132);
}

// Numbers from 100 on are readable: the No column is as wide as its widest number
// (tick box included) needs, and back to its design width when the rows go.
TEST_F(TableColumnsTest, TheNoColumnShowsItsLargestNumber)
{
    AddRows(100000);
    // Qt's own measure of the rows in sight, grid line included (public on the base).
    Table()->scrollToBottom();
    QAbstractItemView* measure = Table();
    EXPECT_GE(Width(0), measure->sizeHintForColumn(0));
    EXPECT_GT(Width(0), 49);

    modal::AnswerNext(modal::ClickButton("OK"));
    Click("bsSkinButton4");
    QCoreApplication::processEvents();
    EXPECT_EQ(Width(0), 49);
}

TEST_F(TableColumnsTest, TheSortedColumnShowsItsDirection)
{
    AddRows(3);
    EXPECT_EQ(Header()->sortIndicatorSection(), -1);
    const struct {
        int Column;
        Qt::SortOrder Shown;
    } clicks[] = {
        {2, Qt::AscendingOrder},
        {2, Qt::DescendingOrder},
        {3, Qt::DescendingOrder}, // another column keeps the direction in force
        {3, Qt::AscendingOrder},
    };
    for (const auto& click : clicks) {
        ClickHeader(click.Column);
        EXPECT_EQ(Header()->sortIndicatorSection(), click.Column);
        EXPECT_EQ(Header()->sortIndicatorOrder(), click.Shown) << click.Column;
    }
}

TEST_F(TableColumnsTest, DeleteAllBringsTheTableBackToItsLeftEdge)
{
    AddRows(50);
    // Narrower than the columns: the table scrolls sideways.
    ResizeWindow(400, 455);
    QScrollBar* sideways = Table()->horizontalScrollBar();
    ASSERT_GT(sideways->maximum(), 0);
    sideways->setValue(sideways->maximum());
    modal::AnswerNext(modal::ClickButton("OK"));
    Click("bsSkinButton4");
    EXPECT_EQ(sideways->value(), 0);
}

} // namespace
