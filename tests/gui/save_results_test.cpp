#include "core/file_system.h"
#include "gui/main_window.h"
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

std::string Contents(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

class SaveResultsTest : public WindowTest {
protected:
    void ClickSave() { Click("btnSaveResults"); }

    // Answers the save dialog: what it proposed, then the name typed into it (empty: keep
    // the proposal), confirmed with its Save button.
    modal::Answer SaveAs(QString* proposedFolder, QString* proposedName, const QString& typed)
    {
        return [this, proposedFolder, proposedName, typed](QWidget* dialog) {
            auto* chooser = qobject_cast<QFileDialog*>(dialog);
            ASSERT_NE(chooser, nullptr);
            EXPECT_EQ(chooser->windowTitle(), "Save file");
            EXPECT_EQ(chooser->nameFilters(), QStringList{"CSV files (*.csv)"});
            auto* name = chooser->findChild<QLineEdit*>("fileNameEdit");
            ASSERT_NE(name, nullptr);
            *proposedFolder = chooser->directory().absolutePath();
            *proposedName = name->text();
            if (!typed.isEmpty()) {
                chooser->setDirectory(QString::fromStdString(folder.string()));
                name->clear();
                QTest::keyClicks(name, typed);
            }
            QPushButton* save = chooser->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Save);
            ASSERT_TRUE(QTest::qWaitFor([save] { return save->isEnabled(); }, 10000));
            QTest::mouseClick(save, Qt::LeftButton);
        };
    }

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
    EXPECT_EQ(Contents(saved), "\"No\",\"Keywords\",\"Searches\",\"Google\",\"Yahoo\",\"Msn\"\r\n"
                               "\"1\",\"golf clubs\",\"1,234\",\"\",\"\",\"\"\r\n");
    EXPECT_EQ(folderFirst.toStdString() + "/", ExecutableDirectory());
    EXPECT_EQ(nameFirst, "");

    window.Keywords().AppendRow(2, "soccer", "");
    modal::AnswerNext(SaveAs(&folderSecond, &nameSecond, ""));
    ClickSave();
    EXPECT_EQ(folderSecond.toStdString(), folder.string());
    EXPECT_EQ(nameSecond, "results.csv");
    EXPECT_NE(Contents(saved).find("\"2\",\"soccer\""), std::string::npos) << "not overwritten";
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1);
}

} // namespace
