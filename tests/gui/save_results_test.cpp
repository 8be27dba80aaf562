#include "core/file_system.h"
#include "gui/main_window.h"
#include "support/core/temp_dir.h"
#include "support/gui/modal_answerer.h"
#include "support/gui/window_test.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace {

class SaveResultsTest : public WindowTest {
protected:
    void ClickSave() { Click("btnSaveResults"); }
};

TEST_F(SaveResultsTest, AnEmptyTableHasNothingToSave)
{
    QString message;
    modal::AnswerNext(modal::Record(&message, modal::ClickButton("OK")));
    ClickSave();
    EXPECT_EQ(message, "You don't have any data to save.");
}

TEST_F(SaveResultsTest, SavesAsCsvThenProposesTheSameFile)
{
    window.Keywords().AppendRow(1, "golf clubs", "1,234");
    QString folderFirst, nameFirst, folderSecond, nameSecond;
    modal::AnswerNext(SaveAs(&folderFirst, &nameFirst, "results"));
    ClickSave();
    const auto saved = folder / "results.csv";
    EXPECT_EQ(FileContents(saved), "\"No\",\"Keywords\",\"Searches\",\"Google\",\"Yahoo\",\"Msn\"\r\n"
                               "\"1\",\"golf clubs\",\"1,234\",\"\",\"\",\"\"\r\n");
    EXPECT_EQ(folderFirst.toStdString() + "/", ExecutableDirectory());
    EXPECT_EQ(nameFirst, "");

    window.Keywords().AppendRow(2, "soccer", "");
    modal::AnswerNext(SaveAs(&folderSecond, &nameSecond, ""));
    ClickSave();
    EXPECT_EQ(folderSecond.toStdString(), folder.string());
    EXPECT_EQ(nameSecond, "results.csv");
    EXPECT_NE(FileContents(saved).find("\"2\",\"soccer\""), std::string::npos) << "not overwritten";
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1);
}

// The first save proposes the main keyword as the file name (with what a file name
// cannot hold replaced), and every save says in the status bar what it wrote where.
TEST_F(SaveResultsTest, ProposesTheMainKeywordAndSaysWhatItSaved)
{
    modal::AnswerNext([](QWidget* dialog) {
        QTest::keyClicks(dialog->findChild<QLineEdit*>("edtMainKeyword"), "golf/clubs: cheap");
        QTest::mouseClick(dialog->findChild<QPushButton*>("btnOk"), Qt::LeftButton);
    });
    Click("btnMainKeyword");
    for (int row = 1; row <= 41; ++row)
        window.Keywords().AppendRow(row, "golf clubs " + std::to_string(row), "");

    QString proposedFolder, proposedName;
    modal::AnswerNext(SaveAs(&proposedFolder, &proposedName, "golf clubs"));
    ClickSave();
    EXPECT_EQ(proposedName, "golf_clubs_ cheap.csv");
    EXPECT_EQ(Panel("MainStatusPanel").toStdString(), "Saved 41 rows to " + (folder / "golf clubs.csv").string());

    // The second save keeps proposing the file last saved.
    modal::AnswerNext(SaveAs(&proposedFolder, &proposedName, ""));
    ClickSave();
    EXPECT_EQ(proposedName, "golf clubs.csv");
}

// A cancelled save writes nothing and says nothing.
TEST_F(SaveResultsTest, ACancelledSaveLeavesTheStatusAlone)
{
    window.Keywords().AppendRow(1, "golf", "");
    modal::AnswerNext(modal::PressKey(Qt::Key_Escape));
    ClickSave();
    EXPECT_EQ(Panel("MainStatusPanel"), "");
}

} // namespace
