#include "core/web_pages.h"
#include "gui/link_label.h"
#include "support/gui/modal_answerer.h"
#include "support/gui/url_recorder.h"
#include "support/gui/window_test.h"

#include <QApplication>
#include <QFile>
#include <QHBoxLayout>
#include <QImage>
#include <QTableView>

#include <filesystem>

namespace {

class KeyboardTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    QString FocusName() { return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : "none"; }

    // A key as the window system delivers it: to the widget with the focus (the window
    // itself while a closed dialog hands the activation back).
    void Press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : &window;
        QTest::keyClick(target, static_cast<Qt::Key>(key), modifiers);
    }

    QTableView* Table() { return Control<QTableView>("lvwItems"); }
    bool Ticked(int row) { return window.Keywords().IsRowTicked(row); }
};

const std::vector<QString> TabChain = {"btnMainKeyword", "btnGatherKeyword", "btnAddKeyword", "btnGatherData",
                                       "btnSaveResults", "btnHelp",          "btnMakeMoney",  "lvwItems",
                                       "bsSkinButton1",  "bsSkinButton2",    "bsSkinButton3", "bsSkinButton4",
                                       "lblLink1URL",    "lblLink2URL"};

TEST_F(KeyboardTest, TabAndShiftTabWalkEveryControlOnceAndTheTableIsOneStop)
{
    window.Keywords().AppendRow(1, "golf", "");
    window.Keywords().AppendRow(2, "soccer", "");
    EXPECT_EQ(FocusName(), "lvwItems");
    std::vector<QString> forward;
    for (std::size_t i = 0; i < TabChain.size(); ++i) {
        Press(Qt::Key_Tab);
        forward.push_back(FocusName());
    }
    std::vector<QString> expected(TabChain.begin() + 8, TabChain.end());
    expected.insert(expected.end(), TabChain.begin(), TabChain.begin() + 8);
    EXPECT_EQ(forward, expected);

    std::vector<QString> backward;
    for (std::size_t i = 0; i < TabChain.size(); ++i) {
        Press(Qt::Key_Tab, Qt::ShiftModifier);
        backward.push_back(FocusName());
    }
    std::vector<QString> reversed(expected.rbegin() + 1, expected.rend());
    reversed.push_back(expected.back());
    EXPECT_EQ(backward, reversed);
}

TEST_F(KeyboardTest, ArrowsMoveInTheTableAndSpaceTicksTheCurrentRow)
{
    for (int row = 1; row <= 3; ++row)
        window.Keywords().AppendRow(row, "keyword " + std::to_string(row), "");
    Table()->setFocus();
    Table()->setCurrentIndex(Table()->model()->index(0, 1));
    Press(Qt::Key_Down);
    Press(Qt::Key_Right); // another cell of the same row: Space still ticks the row
    EXPECT_EQ(Table()->currentIndex().row(), 1);
    Press(Qt::Key_Space);
    EXPECT_FALSE(Ticked(0));
    EXPECT_TRUE(Ticked(1));
    EXPECT_FALSE(Ticked(2));
    Press(Qt::Key_Space);
    EXPECT_FALSE(Ticked(1));
    EXPECT_EQ(FocusName(), "lvwItems");
}

// A button reached with Tab is pressed with Space, as a click.
TEST_F(KeyboardTest, SpaceOnAFocusedButtonClicksIt)
{
    window.Keywords().AppendRow(1, "golf", "");
    while (FocusName() != "bsSkinButton1")
        Press(Qt::Key_Tab);
    Press(Qt::Key_Space);
    EXPECT_TRUE(Ticked(0));
}

struct ShortcutCase {
    const char* Button;
    int Key;
    Qt::KeyboardModifiers Modifiers;
    const char* Shown;   // in the tooltip
    const char* Dialog;  // the dialog the command opens on an empty table
    const char* Message; // its text, for the message dialog
};

TEST_F(KeyboardTest, EveryShortcutRunsItsCommandAndIsShownInItsTooltip)
{
    const ShortcutCase cases[] = {
        {"btnMainKeyword", Qt::Key_M, Qt::ControlModifier, "Ctrl+M", "frmMainKeyword", nullptr},
        {"btnGatherKeyword", Qt::Key_G, Qt::ControlModifier | Qt::ShiftModifier, "Ctrl+Shift+G", "msgMain",
         "Please enter a main keyword before gather keywords."},
        {"btnAddKeyword", Qt::Key_I, Qt::ControlModifier, "Ctrl+I", "frmAddKeywords", nullptr},
        {"btnGatherData", Qt::Key_G, Qt::ControlModifier, "Ctrl+G", "msgMain",
         "You need add keywords to gather data from search engines."},
        {"btnSaveResults", Qt::Key_S, Qt::ControlModifier, "Ctrl+S", "msgMain", "You don't have any data to save."},
        {"bsSkinButton3", Qt::Key_Delete, Qt::NoModifier, "Del", "msgMain",
         "Are you sure do you want to delete the selected keywords?"},
    };
    for (const ShortcutCase& c : cases) {
        // The window is active again once the last dialog has gone, as a user has it.
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        EXPECT_TRUE(Control<QPushButton>(c.Button)->toolTip().contains(c.Shown)) << c.Button;
        QString dialogName;
        QString message;
        modal::AnswerNext([&](QWidget* dialog) {
            dialogName = dialog->objectName();
            if (auto* text = dialog->findChild<QLabel*>("MessageText"))
                message = text->text();
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        Press(c.Key, c.Modifiers);
        EXPECT_EQ(dialogName, c.Dialog) << c.Button;
        if (c.Message)
            EXPECT_EQ(message, c.Message) << c.Button;
        EXPECT_EQ(modal::PendingAnswers(), 0) << c.Button;
        modal::Reset();
    }
}

TEST_F(KeyboardTest, F1OpensTheHelpPage)
{
    UrlRecorder browser;
    EXPECT_TRUE(Control<QPushButton>("btnHelp")->toolTip().contains("F1"));
    Press(Qt::Key_F1);
    ASSERT_EQ(browser.Opened.size(), 1u);
    EXPECT_EQ(browser.Opened[0], HelpPageAddress);
}

// Escape only ever stops a run: with none going it starts nothing and asks nothing. A
// dialog would open within the key press; the watch closes it so the test cannot hang.
TEST_F(KeyboardTest, EscapeWithoutARunDoesNothing)
{
    window.Keywords().AppendRow(1, "golf", "");
    QString opened;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            opened = dialog->objectName();
            dialog->close();
        }
    });
    watch.start(1);
    Press(Qt::Key_Escape);
    EXPECT_EQ(opened, "");
    EXPECT_EQ(Control<QPushButton>("btnGatherData")->text(), "Gather Data");
}

TEST_F(KeyboardTest, ALinkReachedWithTabShowsItAndOpensWithEnter)
{
    UrlRecorder browser;
    auto* link = Control<LinkLabel>("lblLink1URL");
    const QImage unfocused = link->grab().toImage();
    while (FocusName() != "lblLink1URL")
        Press(Qt::Key_Tab);
    EXPECT_NE(link->grab().toImage(), unfocused) << "the focus does not show on the link";
    Press(Qt::Key_Return);
    ASSERT_EQ(browser.Opened.size(), 1u);
    EXPECT_EQ(browser.Opened[0], "http://www.google.com/");
}

// Each skin shows which button has the focus: the focused button is drawn differently,
// in the toolbar too (whose own rule comes after the general one).
TEST(FocusedButton, ShowsOnEverySkin)
{
    std::vector<std::filesystem::path> skins = {TALVIRA_DEFAULT_SKIN};
    for (const auto& entry : std::filesystem::directory_iterator(TALVIRA_EXAMPLE_SKIN_SHEETS))
        if (entry.path().extension() == ".qss")
            skins.push_back(entry.path());
    ASSERT_GE(skins.size(), 3u);
    const QString oldSheet = qApp->styleSheet();
    for (const auto& skin : skins) {
        QFile file(QString::fromStdString(skin.string()));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << skin;
        qApp->setStyleSheet(QString::fromUtf8(file.readAll()));
        for (const char* panelName : {"bsSkinPanel1", "bsSkinPanel4"}) {
            QWidget top;
            auto* panel = new QFrame(&top);
            panel->setObjectName(panelName);
            auto* layout = new QHBoxLayout(panel);
            auto* first = new QPushButton("Main Keyword", panel);
            auto* second = new QPushButton("Help", panel);
            for (QPushButton* button : {first, second}) {
                button->setFocusPolicy(Qt::TabFocus);
                button->setFixedSize(99, 20);
                layout->addWidget(button);
            }
            top.resize(300, 60);
            top.show();
            top.activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(&top));
            second->setFocus();
            const QImage unfocused = first->grab().toImage();
            first->setFocus();
            ASSERT_TRUE(first->hasFocus());
            const QImage focused = first->grab().toImage();
            EXPECT_NE(focused, unfocused) << skin << " " << panelName;
        }
    }
    qApp->setStyleSheet(oldSheet);
}

} // namespace
