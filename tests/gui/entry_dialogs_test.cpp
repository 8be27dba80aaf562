#include "core/file_system.h"
#include "gui/dialogs/add_keywords_dialog.h"
#include "gui/dialogs/captcha_dialog.h"
#include "gui/dialogs/main_keyword_dialog.h"
#include "gui/dialogs/select_search_dialog.h"
#include "gui/main_window.h"
#include "support/gui/modal_answerer.h"
#include "support/gui/window_test.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

struct NoMessages : MessagePrompter {
    int ShowMessageDialog(const std::string& text, MessageButtons) override
    {
        ADD_FAILURE() << "unexpected message " << text;
        return mrOk;
    }
};

struct Control {
    const char* Name;
    const char* Text;
    QRect Place;
};

QString TextOf(QWidget* widget)
{
    if (auto* label = qobject_cast<QLabel*>(widget))
        return label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
        return button->text();
    if (auto* edit = qobject_cast<QLineEdit*>(widget))
        return edit->text();
    return {};
}

void ExpectFrameAndControls(QDialog& dialog, const char* caption, QSize client, const std::vector<Control>& controls,
                            const std::vector<const char*>& tabOrder)
{
    EXPECT_EQ(dialog.windowTitle(), caption);
    EXPECT_EQ(dialog.size(), client);
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize()) << "resizable";
    EXPECT_TRUE(dialog.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(dialog.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    for (const Control& control : controls) {
        auto* widget = dialog.findChild<QWidget*>(control.Name);
        ASSERT_NE(widget, nullptr) << control.Name;
        EXPECT_EQ(TextOf(widget), control.Text) << control.Name;
        EXPECT_EQ(widget->geometry(), control.Place) << control.Name;
    }
    for (std::size_t i = 0; i + 1 < tabOrder.size(); ++i) {
        QWidget* next = dialog.findChild<QWidget*>(tabOrder[i])->nextInFocusChain();
        while (!(next->focusPolicy() & Qt::TabFocus))
            next = next->nextInFocusChain();
        EXPECT_EQ(next->objectName().toStdString(), tabOrder[i + 1]) << "after " << tabOrder[i];
    }
}

TEST(EntryDialogLayout, MainKeyword)
{
    NoMessages prompter;
    TfrmMainKeyword dialog(nullptr, prompter);
    ExpectFrameAndControls(dialog, "Main Keyword", {309, 109},
                           {{"bsSkinStdLabel1", "Please type the main keyword(s) Eg: golf, soccer:", {13, 13, 292, 16}},
                            {"edtMainKeyword", "", {13, 37, 280, 15}},
                            {"btnOk", "Ok", {68, 67, 82, 21}},
                            {"btnCancel", "Cancel", {157, 67, 82, 21}}},
                           {"edtMainKeyword", "btnOk", "btnCancel"});
}

TEST(EntryDialogLayout, AddKeywords)
{
    NoMessages prompter;
    TfrmAddKeywords dialog(nullptr, prompter, "/");
    ExpectFrameAndControls(
        dialog, "Enter Keyword(s)", {426, 147},
        {{"bsSkinStdLabel1", "Please type keyword(s) Eg: golf, soccer:", {9, 13, 239, 16}},
         {"edtAddKeyword", "", {9, 33, 326, 15}},
         {"bsSkinStdLabel2", "Or add a file with a keyword list (one group of keywords per line):", {9, 59, 378, 16}},
         {"edtList", "", {9, 78, 326, 15}},
         {"btnBrowse", "Browse", {344, 77, 63, 21}},
         {"btnOk", "Ok", {102, 107, 82, 21}},
         {"btnCancel", "Cancel", {190, 107, 82, 21}}},
        {"edtAddKeyword", "btnOk", "btnCancel", "edtList", "btnBrowse"});
}

TEST(EntryDialogLayout, SelectSearch)
{
    TfrmSelSearch dialog(nullptr);
    ExpectFrameAndControls(
        dialog, "Select Search Type", {480, 114},
        {{"btnOk", "Ok", {161, 75, 81, 21}},
         {"btnCancel", "Cancel", {251, 75, 82, 21}},
         {"bsSkinCheckRadioBox1", "Precise Search Eg: \"golf clubs\" Should appear the word in the same order.",
          {11, 15, 397, 20}},
         {"bsSkinCheckRadioBox2",
          "Broad Search Eg: golf clubs, any word no matther the order or position in the text.",
          {11, 41, 446, 20}}},
        {"btnOk", "btnCancel", "bsSkinCheckRadioBox1", "bsSkinCheckRadioBox2"});
    EXPECT_TRUE(dialog.findChild<QCheckBox*>("bsSkinCheckRadioBox1")->isChecked());
    EXPECT_FALSE(dialog.findChild<QCheckBox*>("bsSkinCheckRadioBox2")->isChecked());
}

TEST(EntryDialogLayout, Captcha)
{
    NoMessages prompter;
    TfrmCaptcha dialog(nullptr, prompter);
    ExpectFrameAndControls(dialog, "Security image", {310, 209},
                           {{"bsSkinStdLabel2", "Please enter the characters in the image", {13, 7, 238, 16}},
                            {"EmbeddedWB1", "", {13, 26, 280, 111}},
                            {"edtPassword", "", {13, 148, 280, 20}},
                            {"bsSkinButton1", "Refresh", {15, 171, 82, 21}},
                            {"btnOk", "Ok", {127, 171, 82, 21}},
                            {"btnCancel", "Cancel", {216, 171, 82, 21}}},
                           {"EmbeddedWB1", "edtPassword", "bsSkinButton1", "btnOk", "btnCancel"});
    EXPECT_EQ(dialog.findChild<QWidget*>("EmbeddedWB1")->accessibleName(), "Security image");
    EXPECT_EQ(dialog.findChild<QLineEdit*>("edtPassword")->echoMode(), QLineEdit::Normal);
}

// Answers made of what a user does in a dialog.
modal::Answer Type(const char* edit, const QString& text)
{
    return [edit, text](QWidget* dialog) {
        auto* box = dialog->findChild<QLineEdit*>(edit);
        ASSERT_NE(box, nullptr) << edit;
        box->setFocus();
        QTest::keyClicks(box, text);
    };
}

modal::Answer PressEnterIn(const char* edit)
{
    return [edit](QWidget* dialog) { QTest::keyClick(dialog->findChild<QLineEdit*>(edit), Qt::Key_Return); };
}

modal::Answer ClickBox(const char* name)
{
    return [name](QWidget* dialog) { QTest::mouseClick(dialog->findChild<QCheckBox*>(name), Qt::LeftButton); };
}

modal::Answer ExpectEdit(const char* edit, const QString& text)
{
    return [edit, text](QWidget* dialog) { EXPECT_EQ(dialog->findChild<QLineEdit*>(edit)->text(), text) << edit; };
}

modal::Answer Steps(std::vector<modal::Answer> steps)
{
    return [steps](QWidget* dialog) {
        for (const modal::Answer& step : steps)
            step(dialog);
    };
}

class EntryDialogsTest : public WindowTest {
protected:
    std::string WriteFile(const std::string& name, const std::string& bytes)
    {
        std::ofstream(folder / name, std::ios::binary) << bytes;
        return (folder / name).string();
    }
};

TEST_F(EntryDialogsTest, MainKeywordIsShownInTheStatusBar)
{
    modal::AnswerNext(Steps({Type("edtMainKeyword", "golf clubs"), modal::ClickButton("Ok")}));
    Click("btnMainKeyword");
    EXPECT_EQ(window.MainKeywordText(), "golf clubs");
    EXPECT_EQ(Panel("bsSkinStatusPanel1"), "Main Keyword: golf clubs");
    EXPECT_EQ(Panel("MainStatusPanel"), "");
}

TEST_F(EntryDialogsTest, AnEmptyMainKeywordIsRefusedAndTheDialogStaysOpen)
{
    QString refusal;
    modal::AnswerNext(PressEnterIn("edtMainKeyword"));
    modal::AnswerNext(modal::Record(&refusal, modal::ClickButton("OK")));
    modal::AnswerNext(Steps({Type("edtMainKeyword", " "), PressEnterIn("edtMainKeyword")}));
    Click("btnMainKeyword");
    EXPECT_EQ(refusal, "Please add a Main Keyword.");
    EXPECT_EQ(window.MainKeywordText(), " ");
}

TEST_F(EntryDialogsTest, CancelledMainKeywordChangesNothing)
{
    modal::AnswerNext(Steps({Type("edtMainKeyword", "golf"), modal::ClickButton("Cancel")}));
    Click("btnMainKeyword");
    modal::AnswerNext(Steps({Type("edtMainKeyword", "golf"), modal::PressKey(Qt::Key_Escape)}));
    Click("btnMainKeyword");
    EXPECT_EQ(window.MainKeywordText(), "");
    EXPECT_EQ(Panel("bsSkinStatusPanel1"), "Main Keyword: ");
}

TEST_F(EntryDialogsTest, ATypedKeywordIsOneRow)
{
    window.Keywords().AppendRow(1, "tennis", "");
    modal::AnswerNext(Steps({Type("edtAddKeyword", "golf, soccer"), PressEnterIn("edtAddKeyword")}));
    Click("btnAddKeyword");
    ASSERT_EQ(window.Keywords().CountRows(), 2);
    EXPECT_EQ(window.Keywords().RowCaption(1), "2");
    EXPECT_EQ(window.Keywords().CellText(1, KeywordRow::Keywords), "golf, soccer");
    EXPECT_EQ(Panel("SecondStatusPanel"), "2 items listed");
}

TEST_F(EntryDialogsTest, AListFileIsImported)
{
    const std::string file = WriteFile("keywords.txt", "golf clubs\r\nsoccer balls\r\n");
    modal::AnswerNext(Steps({Type("edtList", QString::fromStdString(file)), modal::ClickButton("Ok")}));
    Click("btnAddKeyword");
    ASSERT_EQ(window.Keywords().CountRows(), 2);
    EXPECT_EQ(window.Keywords().CellText(1, KeywordRow::Keywords), "soccer balls");
    EXPECT_EQ(Panel("SecondStatusPanel"), "Total: 2");
}

TEST_F(EntryDialogsTest, RefusalsKeepTheDialogOpenWithItsInput)
{
    const QString missing = QString::fromStdString((folder / "missing.txt").string());
    QString bothWays;
    QString notAFile;
    modal::AnswerNext(Steps({Type("edtAddKeyword", "golf"), Type("edtList", missing), modal::ClickButton("Ok")}));
    modal::AnswerNext(modal::Record(&bothWays, modal::ClickButton("OK")));
    modal::AnswerNext(Steps({ExpectEdit("edtAddKeyword", "golf"), ExpectEdit("edtList", missing),
                             [](QWidget* dialog) { dialog->findChild<QLineEdit*>("edtAddKeyword")->clear(); },
                             PressEnterIn("edtList")}));
    modal::AnswerNext(modal::Record(&notAFile, modal::ClickButton("OK")));
    modal::AnswerNext(Steps({ExpectEdit("edtList", missing), modal::ClickButton("Cancel")}));
    Click("btnAddKeyword");
    EXPECT_EQ(bothWays, "Please select only one way to add keywords.");
    EXPECT_EQ(notAFile, "Please select a valid file.");
    EXPECT_EQ(window.Keywords().CountRows(), 0);
    EXPECT_EQ(Panel("SecondStatusPanel"), "0 item listed");
}

TEST_F(EntryDialogsTest, BrowseFillsTheListBoxFromTheOpenDialog)
{
    const std::string file = WriteFile("list.txt", "golf\n");
    modal::AnswerNext(modal::ClickButton("Browse"));
    modal::AnswerNext([&](QWidget* dialog) {
        auto* chooser = qobject_cast<QFileDialog*>(dialog);
        ASSERT_NE(chooser, nullptr);
        EXPECT_EQ(chooser->windowTitle(), "Open file");
        EXPECT_EQ(chooser->nameFilters(), QStringList{"Text files (*.txt)"});
        EXPECT_EQ(chooser->fileMode(), QFileDialog::ExistingFile);
        EXPECT_EQ(chooser->directory().absolutePath().toStdString() + "/", ExecutableDirectory());
        chooser->setDirectory(QString::fromStdString(folder.string()));
        auto* name = chooser->findChild<QLineEdit*>("fileNameEdit");
        ASSERT_NE(name, nullptr);
        QTest::keyClicks(name, "list.txt");
        // The dialog learns about the folder's files in the background.
        QPushButton* open = chooser->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Open);
        ASSERT_TRUE(QTest::qWaitFor([open] { return open->isEnabled(); }, 10000));
        QTest::mouseClick(open, Qt::LeftButton);
    });
    modal::AnswerNext(Steps({ExpectEdit("edtList", QString::fromStdString(file)), modal::ClickButton("Ok")}));
    Click("btnAddKeyword");
    EXPECT_EQ(window.Keywords().CountRows(), 1);
}

struct SearchTypeCase {
    const char* Name;
    std::vector<const char*> BoxesClicked;
    const char* Button;
    int SearchMode;
};

class SearchTypeTest : public EntryDialogsTest, public testing::WithParamInterface<SearchTypeCase> {};

TEST_P(SearchTypeTest, SetsTheSearchModeFromThePreciseBox)
{
    window.Keywords().AppendRow(1, "golf", "");
    // Start from the other mode, so an unchanged mode shows.
    modal::AnswerNext(Steps({ClickBox("bsSkinCheckRadioBox1"), modal::ClickButton("Ok")}));
    Click("btnGatherData");
    ASSERT_EQ(window.SearchMode(), 1);

    std::vector<modal::Answer> steps;
    for (const char* box : GetParam().BoxesClicked)
        steps.push_back(ClickBox(box));
    steps.push_back(modal::ClickButton(GetParam().Button));
    // The first run failed (no engine is reachable here), so Gather Data first asks
    // whether to continue it.
    modal::AnswerNext(modal::ClickButton("Start Again"));
    modal::AnswerNext(Steps(steps));
    Click("btnGatherData");
    EXPECT_EQ(window.SearchMode(), GetParam().SearchMode);
}

TEST_F(EntryDialogsTest, EnterOnAFocusedButtonPressesIt)
{
    window.Keywords().AppendRow(1, "golf", "");
    // Ok has the focus when the search type dialog opens.
    modal::AnswerNext(Steps({ClickBox("bsSkinCheckRadioBox1"), [](QWidget* dialog) {
                                 dialog->findChild<QPushButton*>("btnOk")->setFocus();
                                 QTest::keyClick(dialog->focusWidget(), Qt::Key_Return);
                             }}));
    Click("btnGatherData");
    EXPECT_EQ(window.SearchMode(), 1);

    modal::AnswerNext([](QWidget* dialog) {
        dialog->findChild<QPushButton*>("btnCancel")->setFocus();
        QTest::keyClick(dialog->focusWidget(), Qt::Key_Return);
    });
    Click("btnMainKeyword");
    EXPECT_EQ(window.MainKeywordText(), "");
}

INSTANTIATE_TEST_SUITE_P(
    Ticks, SearchTypeTest,
    testing::Values(SearchTypeCase{"PreciseAsOffered", {}, "Ok", 0},
                    SearchTypeCase{"BothTickedIsPrecise", {"bsSkinCheckRadioBox2"}, "Ok", 0},
                    SearchTypeCase{"NeitherTickedIsBroad", {"bsSkinCheckRadioBox1"}, "Ok", 1},
                    SearchTypeCase{"BroadOnly", {"bsSkinCheckRadioBox1", "bsSkinCheckRadioBox2"}, "Ok", 1},
                    SearchTypeCase{"CancelKeepsTheMode", {}, "Cancel", 1}),
    [](const testing::TestParamInfo<SearchTypeCase>& info) { return info.param.Name; });

TEST_F(EntryDialogsTest, GatherDataWithoutRowsSaysSoInsteadOfAsking)
{
    QString message;
    modal::AnswerNext(modal::Record(&message, modal::ClickButton("OK")));
    Click("btnGatherData");
    EXPECT_EQ(message, "You need add keywords to gather data from search engines.");
}

} // namespace
