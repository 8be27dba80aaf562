#include "core/results_export.h"
#include "support/core/temp_dir.h"
#include "support/gui/modal_answerer.h"
#include "support/gui/window_test.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTableView>
#include <QTimer>

#include <fstream>
#include <sstream>

namespace {

class ListToolsTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        table = Control<QTableView>("lvwItems");
    }

    void AddRows(std::initializer_list<const char*> keywords)
    {
        for (const char* keyword : keywords)
            window.Keywords().AppendRow(window.Keywords().CountRows() + 1, keyword, "");
    }

    std::vector<std::string> Column(int cell)
    {
        std::vector<std::string> texts;
        for (int row = 0; row < window.Keywords().CountRows(); ++row)
            texts.push_back(cell < 0 ? window.Keywords().RowCaption(row) : window.Keywords().CellText(row, cell));
        return texts;
    }

    // A key pressed in the table, with the window active again as it is once a menu or
    // dialog has closed (the offscreen platform does not give the activation back).
    void Press(QKeyCombination key)
    {
        QApplication::setActiveWindow(&window);
        table->setFocus();
        QTest::keyClick(table, key.key(), key.keyboardModifiers());
    }

    // Types the lines into a text box, Enter between them.
    static void TypeLines(QWidget* box, const QStringList& lines)
    {
        for (qsizetype line = 0; line < lines.size(); ++line) {
            if (line > 0)
                QTest::keyClick(box, Qt::Key_Return);
            QTest::keyClicks(box, lines[line]);
        }
    }

    // Opens the context menu as the window system asks for it when the Menu key is
    // pressed, records its items and runs the one captioned `choose` (none: the menu is
    // closed).
    QStringList ContextMenu(const QString& choose = {})
    {
        QStringList items;
        QTimer::singleShot(0, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            ASSERT_NE(menu, nullptr);
            QAction* chosen = nullptr;
            for (QAction* action : menu->actions()) {
                items << action->text() + (action->shortcut().isEmpty() ? "" : " " + action->shortcut().toString());
                if (action->text() == choose)
                    chosen = action;
            }
            if (chosen)
                menu->setActiveAction(chosen);
            QTest::keyClick(menu, chosen ? Qt::Key_Return : Qt::Key_Escape);
        });
        const QPoint place = table->viewport()->rect().center();
        QContextMenuEvent request(QContextMenuEvent::Keyboard, place, table->viewport()->mapToGlobal(place));
        QApplication::sendEvent(table->viewport(), &request);
        return items;
    }

    // Answers a file dialog with a file of the test folder, confirming it.
    modal::Answer ChooseFile(const QString& name, QString* title = nullptr, QStringList* filters = nullptr)
    {
        return [this, name, title, filters](QWidget* dialog) {
            auto* chooser = qobject_cast<QFileDialog*>(dialog);
            ASSERT_NE(chooser, nullptr);
            if (title)
                *title = chooser->windowTitle();
            if (filters)
                *filters = chooser->nameFilters();
            chooser->setDirectory(QString::fromStdString(folder.string()));
            auto* edit = chooser->findChild<QLineEdit*>("fileNameEdit");
            edit->clear();
            QTest::keyClicks(edit, name);
            QDialogButtonBox* buttons = chooser->findChild<QDialogButtonBox*>();
            QPushButton* accept = buttons->button(QDialogButtonBox::Save) ? buttons->button(QDialogButtonBox::Save)
                                                                          : buttons->button(QDialogButtonBox::Open);
            ASSERT_TRUE(QTest::qWaitFor([accept] { return accept->isEnabled(); }, 10000));
            QTest::mouseClick(accept, Qt::LeftButton);
        };
    }

    QTableView* table = nullptr;
};

TEST_F(ListToolsTest, TheMenuKeyOpensTheToolsInOrder)
{
    EXPECT_EQ(ContextMenu(), (QStringList{"Copy Ctrl+C", "Paste Keywords Ctrl+V", "Remove Duplicates",
                                          "Remove Rows Containing…", "Keep Only Rows Containing…",
                                          "Open Results… Ctrl+O", "Export Keyword List…", "Show KEI"}));
}

TEST_F(ListToolsTest, CopyTakesTheHighlightedRowsElseTheTickedElseAll)
{
    AddRows({"golf", "tennis", "squash"});
    window.Keywords().SetRowTicked(2, true);
    QApplication::processEvents();
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, table->visualRect(table->model()->index(0, 1)).center());
    QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      table->visualRect(table->model()->index(1, 1)).center());
    Press(Qt::CTRL | Qt::Key_C);
    const QString header = "No\tKeywords\tSearches\tGoogle\tYahoo\tMsn\n";
    EXPECT_EQ(QApplication::clipboard()->text(), header + "1\tgolf\t\t\t\t\n2\ttennis\t\t\t\t\n");
    EXPECT_FALSE(window.Keywords().IsRowTicked(1)) << "highlighting is not ticking";

    table->clearSelection();
    ContextMenu("Copy");
    EXPECT_EQ(QApplication::clipboard()->text(), header + "3\tsquash\t\t\t\t\n");

    window.Keywords().SetRowTicked(2, false);
    Press(Qt::CTRL | Qt::Key_A);
    EXPECT_EQ(table->selectionModel()->selectedRows().size(), 3);
    table->clearSelection();
    Press(Qt::CTRL | Qt::Key_C);
    EXPECT_EQ(QApplication::clipboard()->text().count('\n'), 4);
}

TEST_F(ListToolsTest, PasteKeywordsAddsEveryLine)
{
    AddRows({"golf"});
    QApplication::clipboard()->setText("tennis balls\n\n  \nsquash\n");
    Press(Qt::CTRL | Qt::Key_V);
    EXPECT_EQ(Column(0), (std::vector<std::string>{"golf", "tennis balls", "squash"}));
    EXPECT_EQ(Column(-1), (std::vector<std::string>{"1", "2", "3"}));
    EXPECT_EQ(Panel("SecondStatusPanel"), "Total: 3");
}

TEST_F(ListToolsTest, RemoveDuplicatesInSeveralSpellingsThenUndo)
{
    AddRows({"Golf Clubs", "tennis", "golf  clubs", " GOLF CLUBS", "Straße", "STRASSE", "Éclair", "éCLAIR", "ﬁle",
             "FILE", "ẞ"});
    QString said;
    modal::AnswerNext(modal::Record(&said, modal::ClickButton("OK")));
    ContextMenu("Remove Duplicates");
    EXPECT_EQ(said, "5 duplicate rows removed.");
    EXPECT_EQ(Column(-1), (std::vector<std::string>{"1", "2", "5", "7", "9", "11"}));
    EXPECT_EQ(Panel("SecondStatusPanel"), "6 items listed");

    Press(Qt::CTRL | Qt::Key_Z);
    EXPECT_EQ(Column(-1), (std::vector<std::string>{"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11"}));
    EXPECT_EQ(Panel("SecondStatusPanel"), "11 items listed");
}

TEST_F(ListToolsTest, WordFiltersShowTheirCountAndRemoveOrKeep)
{
    AddRows({"golf clubs", "minigolf", "Tennis balls", "squash", "GOLF bag"});
    QString title;
    QString count;
    modal::AnswerNext([&](QWidget* dialog) {
        title = dialog->windowTitle();
        TypeLines(dialog->findChild<QPlainTextEdit*>("edtWords"), {"golf", "tennis balls"});
        auto* matches = dialog->findChild<QLabel*>("lblMatches");
        ASSERT_TRUE(QTest::qWaitFor([&] { return matches->text() == "3 rows match"; }, 5000)) << matches->text().toStdString();
        count = matches->text();
        QTest::mouseClick(dialog->findChild<QPushButton*>("btnOk"), Qt::LeftButton);
    });
    ContextMenu("Remove Rows Containing…");
    EXPECT_EQ(title, "Remove Rows Containing");
    EXPECT_EQ(Column(0), (std::vector<std::string>{"minigolf", "squash"}));
    EXPECT_EQ(Column(-1), (std::vector<std::string>{"2", "4"}));
    Press(Qt::CTRL | Qt::Key_Z);
    EXPECT_EQ(window.Keywords().CountRows(), 5);

    modal::AnswerNext([&](QWidget* dialog) {
        title = dialog->windowTitle();
        TypeLines(dialog->findChild<QPlainTextEdit*>("edtWords"), {"golf"});
        QTest::mouseClick(dialog->findChild<QPushButton*>("btnOk"), Qt::LeftButton);
    });
    ContextMenu("Keep Only Rows Containing…");
    EXPECT_EQ(title, "Keep Only Rows Containing");
    EXPECT_EQ(Column(-1), (std::vector<std::string>{"1", "5"}));

    modal::AnswerNext(modal::ClickButton("Cancel"));
    ContextMenu("Keep Only Rows Containing…");
    EXPECT_EQ(window.Keywords().CountRows(), 2);
}

TEST_F(ListToolsTest, WordsCanBeLoadedFromATextFile)
{
    AddRows({"golf clubs", "tennis", "squash court"});
    // Windows-1252, as keyword files often are; the box shows it as text.
    std::ofstream(folder / "words.txt", std::ios::binary) << "golf\r\nCOURT\r\ncaf\xE9\r\n";
    QString loaded;
    QString count;
    modal::AnswerNext([&](QWidget* dialog) {
        modal::AnswerNext(ChooseFile("words.txt"));
        QTest::mouseClick(dialog->findChild<QPushButton*>("btnLoad"), Qt::LeftButton);
        loaded = dialog->findChild<QPlainTextEdit*>("edtWords")->toPlainText();
        count = dialog->findChild<QLabel*>("lblMatches")->text();
        QTest::mouseClick(dialog->findChild<QPushButton*>("btnOk"), Qt::LeftButton);
    });
    ContextMenu("Remove Rows Containing…");
    EXPECT_EQ(loaded.remove(QChar(u'\r')), "golf\nCOURT\ncafé\n");
    EXPECT_EQ(count, "2 rows match");
    EXPECT_EQ(Column(0), (std::vector<std::string>{"tennis"}));
}

TEST_F(ListToolsTest, ShowKeiAddsAColumnPerEngineThatSortsAndIsSaved)
{
    AddRows({"a", "b", "c"});
    KeywordList& list = window.Keywords();
    list.SetCellText(0, KeywordRow::Searches, "1,000");
    list.SetCellText(0, KeywordRow::Google, "3");
    list.SetCellText(1, KeywordRow::Searches, "10");
    list.SetCellText(1, KeywordRow::Google, "1,000");
    list.SetCellText(2, KeywordRow::Searches, "20");
    list.SetCellText(2, KeywordRow::Google, "0");
    ContextMenu("Show KEI");
    QAbstractItemModel* model = table->model();
    ASSERT_EQ(model->columnCount(), 9);
    EXPECT_EQ(model->headerData(6, Qt::Horizontal).toString(), "KEI Google");
    EXPECT_EQ(model->headerData(8, Qt::Horizontal).toString(), "KEI Msn");
    EXPECT_EQ(model->index(0, 6).data().toString(), "333333.33");
    EXPECT_EQ(model->index(1, 6).data().toString(), "0.10");
    EXPECT_EQ(model->index(2, 6).data().toString(), "");

    QTest::mouseClick(table->horizontalHeader()->viewport(), Qt::LeftButton, {},
                      QPoint(table->horizontalHeader()->sectionViewportPosition(6) + 5, 5));
    EXPECT_EQ(Column(-1), (std::vector<std::string>{"3", "2", "1"}));

    modal::AnswerNext(ChooseFile("kei"));
    Click("btnSaveResults");
    const std::string saved = FileContents(folder / "kei.csv");
    EXPECT_NE(saved.find(",\"KEI Google\",\"KEI Yahoo\",\"KEI Msn\"\r\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find(",\"333333.33\",\"\",\"\"\r\n"), std::string::npos) << saved;

    ContextMenu("Show KEI");
    EXPECT_EQ(model->columnCount(), 6);
}

TEST_F(ListToolsTest, OpenResultsAppendsASavedTableAndRefusesABadFile)
{
    AddRows({"listed"});
    KeywordList saved;
    saved.AppendRow(8, "golf", "1,200");
    saved.SetCellText(0, KeywordRow::Yahoo, "4,000");
    std::ofstream(folder / "saved.csv", std::ios::binary) << ResultsCsvText(saved, {{';', true, false}, true});
    QString title;
    QStringList filters;
    modal::AnswerNext(ChooseFile("saved.csv", &title, &filters));
    Press(Qt::CTRL | Qt::Key_O);
    EXPECT_EQ(title, "Open file");
    EXPECT_EQ(Column(-1), (std::vector<std::string>{"1", "8"}));
    EXPECT_EQ(window.Keywords().CellText(1, KeywordRow::Yahoo), "4,000");
    EXPECT_EQ(table->model()->columnCount(), 9) << "a file saved with KEI columns shows them";
    EXPECT_EQ(Panel("SecondStatusPanel"), "2 items listed");

    // A keyword list saved under a results file's name.
    std::ofstream(folder / "words.csv", std::ios::binary) << "golf\r\ntennis\r\n";
    QString said;
    modal::AnswerNext(ChooseFile("words.csv"));
    modal::AnswerNext(modal::Record(&said, modal::ClickButton("OK")));
    ContextMenu("Open Results…");
    EXPECT_EQ(said, "This is not a results file: line 1: the header names an unknown column \"golf\".");
    EXPECT_EQ(window.Keywords().CountRows(), 2);
}

TEST_F(ListToolsTest, ExportKeywordListWritesTheKeywordsAlone)
{
    AddRows({"golf", "caf\xC3\xA9"});
    window.Keywords().SetCellText(0, KeywordRow::Searches, "1,000");
    QString title;
    QStringList filters;
    modal::AnswerNext(ChooseFile("keywords", &title, &filters));
    ContextMenu("Export Keyword List…");
    EXPECT_EQ(title, "Save file");
    EXPECT_EQ(filters, QStringList{"Text files (*.txt)"});
    EXPECT_EQ(FileContents(folder / "keywords.txt"), "golf\r\ncaf\xC3\xA9\r\n");
}

TEST_F(ListToolsTest, DeletionsCanBeUndone)
{
    AddRows({"golf", "tennis", "squash"});
    window.Keywords().SetRowTicked(1, true);
    modal::AnswerNext(modal::ClickButton("OK"));
    Click("bsSkinButton3");
    EXPECT_EQ(Column(-1), (std::vector<std::string>{"1", "3"}));
    modal::AnswerNext(modal::ClickButton("OK"));
    Click("bsSkinButton4");
    EXPECT_EQ(window.Keywords().CountRows(), 0);
    Press(Qt::CTRL | Qt::Key_Z);
    EXPECT_EQ(Column(-1), (std::vector<std::string>{"1", "3"}));
}

} // namespace

// A table that holds only what was opened has nothing to lose on close; rows listed
// before and never saved still have.
TEST_F(ListToolsTest, OpenedRowsAreSavedRowsUnlessTheTableHeldUnsavedOnes)
{
    KeywordList saved;
    saved.AppendRow(1, "golf", "1,200");
    std::ofstream(folder / "saved.csv", std::ios::binary) << ResultsCsvText(saved);
    modal::AnswerNext(ChooseFile("saved.csv"));
    Press(Qt::CTRL | Qt::Key_O);
    ASSERT_EQ(window.Keywords().CountRows(), 1);
    EXPECT_TRUE(window.close());

    window.show();
    AddRows({"listed"});
    modal::AnswerNext(ChooseFile("saved.csv"));
    Press(Qt::CTRL | Qt::Key_O);
    ASSERT_EQ(window.Keywords().CountRows(), 3);
    QString asked;
    modal::AnswerNext(modal::Record(&asked, modal::ClickButton("Cancel")));
    EXPECT_FALSE(window.close());
    EXPECT_EQ(asked, "Save the results before closing?");
}
