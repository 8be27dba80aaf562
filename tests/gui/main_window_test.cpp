#include "core/keyword_list.h"
#include "gui/main_window.h"
#include "support/gui/modal_answerer.h"
#include "support/gui/window_test.h"

#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class MainWindowTest : public WindowTest {
protected:
    void ClickHeader(int column)
    {
        QHeaderView* header = Control<QTableView>("lvwItems")->horizontalHeader();
        const QPoint centre(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                            header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, centre);
    }

    std::vector<std::string> KeywordsColumn()
    {
        std::vector<std::string> texts;
        QAbstractItemModel* model = Control<QTableView>("lvwItems")->model();
        for (int row = 0; row < model->rowCount(); ++row)
            texts.push_back(model->index(row, 1).data().toString().toStdString());
        return texts;
    }

};

TEST_F(MainWindowTest, OpensAt747By455TitledTalvira)
{
    EXPECT_EQ(window.windowTitle(), "Talvira");
    EXPECT_EQ(window.size(), QSize(747, 455));
}

struct PlacedControl {
    const char* Name;
    const char* Parent;
    const char* Caption;
    QRect Place;
};

TEST_F(MainWindowTest, ControlsStandWhereTheyBelong)
{
    const PlacedControl controls[] = {
        {"btnMainKeyword", "bsSkinPanel1", "Main Keyword", {7, 7, 99, 20}},
        {"btnGatherKeyword", "bsSkinPanel1", "Gather Keywords", {109, 7, 98, 20}},
        {"btnAddKeyword", "bsSkinPanel1", "Add Keywords", {210, 7, 99, 20}},
        {"btnGatherData", "bsSkinPanel1", "Gather Data", {312, 7, 98, 20}},
        {"btnSaveResults", "bsSkinPanel1", "Save Results", {414, 7, 98, 20}},
        {"btnHelp", "bsSkinPanel1", "Help", {516, 7, 98, 20}},
        {"btnMakeMoney", "bsSkinPanel1", "Make Money", {619, 7, 98, 20}},
        {"bsSkinButton1", "bsSkinPanel4", "Select All", {9, 7, 100, 20}},
        {"bsSkinButton2", "bsSkinPanel4", "Clear Selection", {112, 7, 100, 20}},
        {"bsSkinButton3", "bsSkinPanel4", "Delete Selected", {215, 7, 100, 20}},
        {"bsSkinButton4", "bsSkinPanel4", "Delete All", {319, 7, 99, 20}},
    };
    for (const PlacedControl& control : controls) {
        auto* button = Control<QPushButton>(control.Name);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->parentWidget()->objectName(), control.Parent) << control.Name;
        EXPECT_EQ(button->text(), control.Caption);
        EXPECT_EQ(button->geometry(), control.Place) << control.Name;
        EXPECT_EQ(button->focusPolicy(), Qt::TabFocus) << control.Name; // Tab reaches it, a click does not take the focus
        EXPECT_EQ(button->cursor().shape(), Qt::PointingHandCursor) << control.Name;
    }
}

TEST_F(MainWindowTest, PanelsStackFromTopToBottom)
{
    const struct {
        const char* Name;
        int Top;
        int Height;
    } strips[] = {{"bsSkinPanel1", 0, 33}, {"panBanner", 33, 65}, {"bsSkinPanel3", 98, 286},
                  {"bsSkinPanel4", 384, 54}, {"bsSkinStatusBar1", 438, 17}};
    for (const auto& strip : strips) {
        QWidget* panel = Control(strip.Name);
        ASSERT_NE(panel, nullptr);
        EXPECT_EQ(panel->geometry(), QRect(0, strip.Top, 747, strip.Height)) << strip.Name;
    }
}

TEST_F(MainWindowTest, TableHasItsColumnsAndNoRows)
{
    auto* table = Control<QTableView>("lvwItems");
    const char* captions[] = {"No", "Keywords", "Searches", "Google", "Yahoo", "Msn"};
    const int widths[] = {49, 132, 132, 104, 104, 104};
    ASSERT_EQ(table->model()->columnCount(), 6);
    for (int column = 0; column < 6; ++column) {
        EXPECT_EQ(table->model()->headerData(column, Qt::Horizontal).toString(), captions[column]);
        EXPECT_EQ(table->horizontalHeader()->sectionSize(column), widths[column]);
    }
    EXPECT_EQ(table->model()->rowCount(), 0);
    EXPECT_TRUE(table->showGrid());
}

TEST_F(MainWindowTest, StatusBarReadsAsAtStart)
{
    EXPECT_EQ(Panel("MainStatusPanel"), "");
    EXPECT_EQ(Panel("bsSkinStatusPanel1"), "Main Keyword: ");
    EXPECT_EQ(Panel("SecondStatusPanel"), "0 item listed");
    auto* gauge = Control<QProgressBar>("MainGauge");
    EXPECT_EQ(gauge->value(), 0);
    EXPECT_EQ(gauge->maximum(), 100);
    EXPECT_EQ(gauge->text(), "0%");

    // Left to right, with the fixed widths of the three right-hand parts.
    const char* order[] = {"MainStatusPanel", "bsSkinStatusPanel1", "SecondStatusPanel", "MainGauge"};
    const int widths[] = {-1, 160, 82, 130};
    int left = 0;
    for (int i = 0; i < 4; ++i) {
        QWidget* part = Control(order[i]);
        EXPECT_EQ(part->x(), left) << order[i];
        if (widths[i] > 0) {
            EXPECT_EQ(part->width(), widths[i]) << order[i];
        }
        left = part->geometry().right() + 1;
    }
    EXPECT_EQ(left, 747);
}

// A status text carries an address or a server's words: shown as its characters, never
// read as markup.
TEST_F(MainWindowTest, StatusTextsAreShownAsPlainText)
{
    const std::string markup = "Getting URL: http://h/?q=<a href=\"file:///etc/passwd\">x</a><b>y</b>&amp;...";
    window.ShowMainStatus(markup);
    window.ShowMainKeywordStatus(markup);
    window.ShowRowCountStatus(markup);
    for (const char* name : {"MainStatusPanel", "bsSkinStatusPanel1", "SecondStatusPanel"}) {
        auto* panel = Control<QLabel>(name);
        EXPECT_EQ(panel->textFormat(), Qt::PlainText) << name;
        EXPECT_EQ(panel->text().toStdString(), markup) << name;
    }
}

TEST_F(MainWindowTest, LinksStartAsGoogle)
{
    auto* first = Control<QLabel>("lblLink1URL");
    auto* second = Control<QLabel>("lblLink2URL");
    EXPECT_EQ(first->text(), "Google");
    EXPECT_EQ(second->text(), "Google");
    EXPECT_EQ(first->pos(), QPoint(13, 32));
    EXPECT_EQ(second->pos(), QPoint(695, 32));
    EXPECT_TRUE(second->alignment() & Qt::AlignRight);

    // The second link is anchored to the right edge.
    const int rightMargin = 747 - second->geometry().right();
    window.resize(900, 455);
    QCoreApplication::processEvents();
    EXPECT_EQ(900 - second->geometry().right(), rightMargin);
    EXPECT_EQ(first->pos(), QPoint(13, 32));
}

TEST_F(MainWindowTest, BannerControlsAreCentredInTheirStrip)
{
    for (int width : {747, 746}) {
        window.resize(width, 455);
        QCoreApplication::processEvents();
        for (const char* name : {"imgBanner", "gifBanner"}) {
            QWidget* banner = Control(name);
            EXPECT_EQ(banner->size(), QSize(105, 105)) << name;
            EXPECT_EQ(banner->pos(), QPoint(321, 32 - 52)) << name << " in a strip " << width << " wide";
        }
    }
}

TEST_F(MainWindowTest, ListButtonsAskTheirQuestionsOnAnEmptyTable)
{
    QString deleteSelected;
    QString deleteAll;
    modal::AnswerNext(modal::Record(&deleteSelected, modal::ClickButton("Cancel")));
    Click("bsSkinButton3");
    modal::AnswerNext(modal::Record(&deleteAll, modal::ClickButton("OK")));
    Click("bsSkinButton4");

    EXPECT_EQ(deleteSelected, "Are you sure do you want to delete the selected keywords?");
    EXPECT_EQ(deleteAll, "Are you sure do you want to delete all?");
    EXPECT_EQ(Panel("SecondStatusPanel"), "0 items listed");

    // Select All and Clear Selection ask nothing and leave the count panel alone.
    window.Keywords().AppendRow(1, "golf", "");
    Click("bsSkinButton1");
    EXPECT_TRUE(window.Keywords().IsRowTicked(0));
    Click("bsSkinButton2");
    EXPECT_FALSE(window.Keywords().IsRowTicked(0));
    EXPECT_EQ(Panel("SecondStatusPanel"), "0 items listed");
}

TEST_F(MainWindowTest, TickedRowsAreDeletedThroughTheTable)
{
    KeywordList& list = window.Keywords();
    for (const char* keyword : {"golf", "soccer", "tennis"})
        list.AppendRow(list.CountRows() + 1, keyword, "");
    auto* table = Control<QTableView>("lvwItems");
    const QModelIndex secondTick = table->model()->index(1, 0);
    EXPECT_TRUE(table->model()->setData(secondTick, Qt::Checked, Qt::CheckStateRole));
    EXPECT_TRUE(list.IsRowTicked(1));

    modal::AnswerNext(modal::ClickButton("OK"));
    Click("bsSkinButton3");
    EXPECT_EQ(KeywordsColumn(), (std::vector<std::string>{"golf", "tennis"}));
    EXPECT_EQ(table->model()->index(1, 0).data().toString(), "3");
    EXPECT_EQ(Panel("SecondStatusPanel"), "2 items listed");
}

// A large table with a scattered pattern of ticks: the rows left are exactly the
// unticked ones, in their order and with their numbers, and the view takes the change
// as one reset.
TEST_F(MainWindowTest, DeleteSelectedOnALargeTable)
{
    constexpr int Rows = 200000;
    KeywordList& list = window.Keywords();
    {
        KeywordList::AppendBatch batch(list, Rows);
        for (int row = 0; row < Rows; ++row)
            list.AppendRow(row + 1, "keyword " + std::to_string(row), std::to_string(row % 7));
    }
    const auto ticked = [](int row) { return row % 2 == 0 || row % 3 == 0 || row == Rows - 1; };
    for (int row = 0; row < Rows; ++row)
        if (ticked(row))
            list.SetRowTicked(row, true);

    QAbstractItemModel* model = Control<QTableView>("lvwItems")->model();
    int resets = 0;
    int removals = 0;
    QObject::connect(model, &QAbstractItemModel::modelReset, [&] { ++resets; });
    QObject::connect(model, &QAbstractItemModel::rowsRemoved, [&] { ++removals; });
    modal::AnswerNext(modal::ClickButton("OK"));
    Click("bsSkinButton3");

    std::vector<int> kept;
    for (int row = 0; row < Rows; ++row)
        if (!ticked(row))
            kept.push_back(row);
    ASSERT_EQ(list.CountRows(), static_cast<int>(kept.size()));
    ASSERT_EQ(model->rowCount(), list.CountRows());
    for (int i = 0; i < list.CountRows(); ++i) {
        const int original = kept[static_cast<std::size_t>(i)];
        ASSERT_EQ(list.RowCaption(i), std::to_string(original + 1)) << i;
        ASSERT_EQ(list.CellText(i, KeywordRow::Keywords), "keyword " + std::to_string(original)) << i;
        ASSERT_EQ(list.CellText(i, KeywordRow::Searches), std::to_string(original % 7)) << i;
        ASSERT_FALSE(list.IsRowTicked(i)) << i;
    }
    EXPECT_EQ(resets, 1);
    EXPECT_EQ(removals, 0);
    EXPECT_EQ(Panel("SecondStatusPanel"), QString::number(list.CountRows()) + " items listed");
}

// Repaints are coalesced: a change that comes right after a paint is painted later,
// never lost, also when nothing else happens in the window.
TEST_F(MainWindowTest, ARepaintHeldBackIsStillPainted)
{
    struct PaintWatch : QObject {
        bool Painted = false;
        bool eventFilter(QObject*, QEvent* event) override
        {
            if (event->type() == QEvent::Paint)
                Painted = true;
            return false;
        }
    } watch;
    auto* panel = Control<QLabel>("MainStatusPanel");
    panel->installEventFilter(&watch);
    for (int change = 0; change < 5; ++change) {
        watch.Painted = false;
        window.ShowMainStatus("Getting URL: http://127.0.0.1/" + std::to_string(change) + "...");
        QCoreApplication::processEvents();
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return watch.Painted; }, 5000));
    EXPECT_EQ(panel->text(), "Getting URL: http://127.0.0.1/4...");
}

TEST_F(MainWindowTest, HeaderClicksSortByLocaleAndByNumber)
{
    KeywordList& list = window.Keywords();
    list.AppendRow(1, "cherry", "15,000");
    list.AppendRow(2, "Banana", "900");
    list.AppendRow(3, "apple", "1,200");

    ClickHeader(1);
    EXPECT_EQ(KeywordsColumn(), (std::vector<std::string>{"apple", "Banana", "cherry"}));
    ClickHeader(1);
    EXPECT_EQ(KeywordsColumn(), (std::vector<std::string>{"cherry", "Banana", "apple"}));
    ClickHeader(2); // keeps descending
    EXPECT_EQ(KeywordsColumn(), (std::vector<std::string>{"cherry", "apple", "Banana"}));
    ClickHeader(2);
    EXPECT_EQ(KeywordsColumn(), (std::vector<std::string>{"Banana", "apple", "cherry"}));
}

} // namespace
