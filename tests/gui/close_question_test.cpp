#include "support/gui/modal_answerer.h"
#include "support/gui/window_test.h"

#include <QLabel>

#include <filesystem>

namespace {

class CloseQuestionTest : public WindowTest {
protected:
    void AddRows(int count)
    {
        for (int row = 1; row <= count; ++row)
            window.Keywords().AppendRow(row, "keyword " + std::to_string(row), "");
    }

    // Answers the close question with the button of that caption, after checking it is
    // the question with its three buttons.
    modal::Answer Answer(const QString& caption)
    {
        return [this, caption](QWidget* dialog) {
            EXPECT_EQ(dialog->findChild<QLabel*>("MessageText")->text(), "Save the results before closing?");
            QStringList captions;
            for (QPushButton* button : dialog->findChildren<QPushButton*>())
                captions << button->text();
            EXPECT_EQ(captions, (QStringList{"Save", "Discard", "Cancel"}));
            asked = true;
            modal::ClickButton(caption)(dialog);
        };
    }

    bool asked = false;
};

TEST_F(CloseQuestionTest, AnEmptyTableClosesWithoutAsking)
{
    EXPECT_TRUE(window.close());
}

TEST_F(CloseQuestionTest, ASavedTableClosesWithoutAsking)
{
    AddRows(2);
    QString proposedFolder, proposedName;
    modal::AnswerNext(SaveAs(&proposedFolder, &proposedName, "results"));
    Click("btnSaveResults");
    ASSERT_TRUE(std::filesystem::exists(folder / "results.csv"));
    window.Keywords().SetRowTicked(0, true); // ticks are not saved: nothing to lose
    EXPECT_TRUE(window.close());
}

TEST_F(CloseQuestionTest, CancelKeepsTheWindowAndItsRows)
{
    AddRows(3);
    modal::AnswerNext(Answer("Cancel"));
    EXPECT_FALSE(window.close());
    EXPECT_TRUE(asked);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.Keywords().CountRows(), 3);

    // Escape is Cancel too.
    modal::AnswerNext(modal::PressKey(Qt::Key_Escape));
    EXPECT_FALSE(window.close());
}

TEST_F(CloseQuestionTest, DiscardCloses)
{
    AddRows(3);
    modal::AnswerNext(Answer("Discard"));
    EXPECT_TRUE(window.close());
    EXPECT_TRUE(asked);
    EXPECT_TRUE(std::filesystem::is_empty(folder));
}

TEST_F(CloseQuestionTest, SaveWritesTheFileThenCloses)
{
    AddRows(41);
    QString proposedFolder, proposedName;
    modal::AnswerNext(Answer("Save"));
    modal::AnswerNext(SaveAs(&proposedFolder, &proposedName, "kept"));
    EXPECT_TRUE(window.close());
    EXPECT_TRUE(std::filesystem::exists(folder / "kept.csv"));
}

TEST_F(CloseQuestionTest, ASaveCancelledKeepsTheWindowOpenAndTheQuestionComesBack)
{
    AddRows(2);
    modal::AnswerNext(Answer("Save"));
    modal::AnswerNext(modal::PressKey(Qt::Key_Escape)); // the save dialog
    EXPECT_FALSE(window.close());
    EXPECT_TRUE(window.isVisible());

    asked = false;
    modal::AnswerNext(Answer("Discard"));
    EXPECT_TRUE(window.close());
    EXPECT_TRUE(asked);
}

// Rows changed after a save are unsaved again.
TEST_F(CloseQuestionTest, AChangeAfterASaveAsksAgain)
{
    AddRows(1);
    QString proposedFolder, proposedName;
    modal::AnswerNext(SaveAs(&proposedFolder, &proposedName, "results"));
    Click("btnSaveResults");
    window.Keywords().SetCellText(0, KeywordRow::Google, "1,100");
    modal::AnswerNext(Answer("Cancel"));
    EXPECT_FALSE(window.close());
    EXPECT_TRUE(asked);
}

} // namespace
