// What the table shows of its cells: a bounded beginning of a huge cell, and cells that
// are not UTF-8 read as Windows-1252, on screen and when sorted; the cells keep their bytes.
#include "core/cell_text.h"
#include "core/results_export.h"
#include "gui/keyword_table_model.h"
#include "support/gui/window_test.h"

#include <QHeaderView>
#include <QTableView>

#include <map>

namespace {

class KeywordTableTest : public WindowTest {
protected:
    QAbstractItemModel* Model() { return Control<QTableView>("lvwItems")->model(); }
    QString Shown(int row, int column, int role = Qt::DisplayRole)
    {
        return Model()->index(row, column).data(role).toString();
    }

    void ClickHeader(int column)
    {
        QHeaderView* header = Control<QTableView>("lvwItems")->horizontalHeader();
        const QPoint centre(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                            header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, centre);
    }
};

TEST_F(KeywordTableTest, AHugeCellShowsABoundedBeginning)
{
    std::string huge;
    for (int i = 0; huge.size() < 8 * 1024 * 1024; ++i)
        huge += "golf clubs " + std::to_string(i) + " \xC3\xA9t\xC3\xA9 ";
    window.Keywords().AppendRow(1, huge, "1,234");

    for (int role : {int(Qt::DisplayRole), int(Qt::AccessibleTextRole)}) {
        const QString shown = Shown(0, 1, role);
        ASSERT_FALSE(shown.isEmpty());
        EXPECT_EQ(shown.back(), QChar(0x2026)) << role;
        const QByteArray beginning = shown.chopped(1).toUtf8();
        EXPECT_LE(static_cast<std::size_t>(beginning.size()), MaxDisplayedCellBytes);
        EXPECT_GT(static_cast<std::size_t>(beginning.size()), MaxDisplayedCellBytes - 4);
        EXPECT_EQ(huge.compare(0, static_cast<std::size_t>(beginning.size()), beginning.constData()), 0);
    }
    EXPECT_EQ(Shown(0, 2), "1,234");
    Control<QTableView>("lvwItems")->viewport()->repaint();

    // The cell, and what is saved of it, keep every byte.
    EXPECT_EQ(window.Keywords().CellText(0, KeywordRow::Keywords), huge);
    EXPECT_NE(ResultsCsvText(window.Keywords()).find("\"1\",\"" + huge + "\",\"1,234\""), std::string::npos);
}

TEST_F(KeywordTableTest, CellsThatAreNotUtf8AreReadAsWindows1252)
{
    KeywordList& list = window.Keywords();
    list.AppendRow(1, "caf\xE9 \x93quoted\x94 \x80", "");
    list.AppendRow(2, "caf\xC3\xA9", "");             // valid UTF-8 stays UTF-8
    list.AppendRow(3, "caf\xC3\xA9 \xE9", "");        // one bad byte: the whole cell is Windows-1252
    EXPECT_EQ(Shown(0, 1), QString::fromUtf8("caf\u00E9 \u201Cquoted\u201D \u20AC"));
    EXPECT_EQ(Shown(1, 1), QString::fromUtf8("caf\u00E9"));
    EXPECT_EQ(Shown(2, 1), QString::fromUtf8("caf\u00C3\u00A9 \u00E9"));
    EXPECT_EQ(list.CellText(0, KeywordRow::Keywords), "caf\xE9 \x93quoted\x94 \x80");
}

TEST_F(KeywordTableTest, CellsThatAreNotUtf8SortAsWindows1252)
{
    // Read as UTF-8 both would be one replacement character and sort as equal.
    KeywordList& list = window.Keywords();
    list.AppendRow(1, "\xE9", "");   // é
    list.AppendRow(2, "\xE0", "");   // à
    ClickHeader(1);
    EXPECT_EQ(list.CellText(0, KeywordRow::Keywords), "\xE0");
    EXPECT_EQ(list.CellText(1, KeywordRow::Keywords), "\xE9");
    ClickHeader(1);
    EXPECT_EQ(list.CellText(0, KeywordRow::Keywords), "\xE9");
}

} // namespace

namespace {

// A count cell's state shows beside its text: a tooltip and an accessible description that
// say it, and a background that tells the states apart; the text itself stays as stored.
TEST(KeywordTableCellStates, EachStateIsToldApartWithoutTouchingTheText)
{
    KeywordList list;
    list.AppendRow(1, "golf", "");
    const std::map<int, CellRecord> states = {{KeywordRow::Google, {CellState::Counted, ""}},
                                              {KeywordRow::Yahoo, {CellState::Failed, "Yahoo: HTTP 500 <b>Oops</b>"}},
                                              {KeywordRow::Msn, {CellState::Skipped, ""}},
                                              {KeywordRow::Searches, {CellState::Failed, "not a count cell"}}};
    list.SetCellText(0, KeywordRow::Google, "1,100");
    KeywordTableModel model(list);
    model.SetCellStates([&](int, int cell) {
        const auto found = states.find(cell);
        return found == states.end() ? CellRecord{} : found->second;
    });
    const auto at = [&](int cell, int role) { return model.index(0, cell + 1).data(role); };

    EXPECT_EQ(at(KeywordRow::Google, Qt::DisplayRole).toString(), "1,100");
    EXPECT_FALSE(at(KeywordRow::Google, Qt::ToolTipRole).isValid());
    EXPECT_FALSE(at(KeywordRow::Google, Qt::BackgroundRole).isValid());
    // The reason comes from a server: its markup shows as the characters it is.
    EXPECT_EQ(at(KeywordRow::Yahoo, Qt::ToolTipRole).toString(), "<qt>Failed: Yahoo: HTTP 500 &lt;b&gt;Oops&lt;/b&gt;</qt>");
    EXPECT_EQ(at(KeywordRow::Yahoo, Qt::AccessibleDescriptionRole).toString(), "Failed: Yahoo: HTTP 500 <b>Oops</b>");
    EXPECT_EQ(at(KeywordRow::Yahoo, Qt::DisplayRole).toString(), "");
    EXPECT_EQ(at(KeywordRow::Msn, Qt::AccessibleDescriptionRole).toString(), "Skipped");
    EXPECT_NE(at(KeywordRow::Yahoo, Qt::BackgroundRole), at(KeywordRow::Msn, Qt::BackgroundRole));
    EXPECT_TRUE(at(KeywordRow::Msn, Qt::BackgroundRole).isValid());
    // Only the engines' cells have states.
    EXPECT_FALSE(at(KeywordRow::Searches, Qt::ToolTipRole).isValid());
}

} // namespace
