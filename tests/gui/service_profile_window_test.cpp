// The window with a service profile: the settings (or the program's choice) name the
// file, the table gets one column per engine, and what cannot be used is reported in
// the top-level error box.
#include "core/results_export.h"
#include "gui/application.h"
#include "gui/main_window.h"
#include "support/core/branding_fakes.h"
#include "support/core/temp_dir.h"

#include <QApplication>
#include <QHeaderView>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

namespace {

TalviraApplication& Application()
{
    return *static_cast<TalviraApplication*>(QCoreApplication::instance());
}

const std::string FourEngines = "[Engine1]\nName=Alpha\nPrecise=http://a/{keyword}\nStart=x\nEnd=y\n"
                                "[Engine2]\nName=<b>Beta</b>\nPrecise=http://b/{keyword}\nStart=x\nEnd=y\n"
                                "[Engine5]\nName=Gamma\nPrecise=http://c/{keyword}\nStart=x\nEnd=y\n"
                                "[Engine8]\nName=Delta\nPrecise=http://d/{keyword}\nFormat=json\nCount=/n\n";

class ProfileWindowTest : public testing::Test {
protected:
    void SetUp() override
    {
        Application().SetErrorReporter([this](const std::string& message) { errors.push_back(message); });
    }
    void TearDown() override
    {
        window.reset();
        Application().SetErrorReporter({});
    }

    std::string Folder() const { return folder.Path().string() + "/"; }

    void Open(const std::string& settings, const std::string& chosen = {})
    {
        folder.WriteFile("dbconfig.dat", settings);
        window = std::make_unique<TfrmMain>(BrandingSources{Folder(), &draws, &opener});
        if (!chosen.empty())
            window->UseProfileFile(chosen);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        QCoreApplication::processEvents();
    }

    std::vector<std::string> HeaderCaptions()
    {
        QAbstractItemModel* model = window->findChild<QTableView*>("lvwItems")->model();
        std::vector<std::string> captions;
        for (int column = 0; column < model->columnCount(); ++column) {
            const QString shown = model->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
            EXPECT_EQ(model->headerData(column, Qt::Horizontal, Qt::AccessibleTextRole).toString(), shown);
            captions.push_back(shown.toStdString());
        }
        return captions;
    }

    TempDir folder;
    ScriptedDraw draws;
    RecordingOpener opener;
    std::unique_ptr<TfrmMain> window;
    std::vector<std::string> errors;
};

TEST_F(ProfileWindowTest, WithoutAProfileTheTableAndWindowAreAsEver)
{
    Open("[Services]\n");
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(HeaderCaptions(), (std::vector<std::string>{"No", "Keywords", "Searches", "Google", "Yahoo", "Msn"}));
    QHeaderView* header = window->findChild<QTableView*>("lvwItems")->horizontalHeader();
    const int widths[] = {49, 132, 132, 104, 104, 104};
    for (int column = 0; column < 6; ++column)
        EXPECT_EQ(header->sectionSize(column), widths[column]) << column;
    EXPECT_EQ(window->size(), QSize(747, 455));
}

TEST_F(ProfileWindowTest, ABareNameBesideTheSettingsGivesOneColumnPerEngine)
{
    folder.WriteFile("four.ini", FourEngines);
    Open("[Services]\nProfile=four.ini\n");
    EXPECT_TRUE(errors.empty()) << errors.front();
    // A caption from the file is text, never markup.
    EXPECT_EQ(HeaderCaptions(),
              (std::vector<std::string>{"No", "Keywords", "Searches", "Alpha", "<b>Beta</b>", "Gamma", "Delta"}));
    QHeaderView* header = window->findChild<QTableView*>("lvwItems")->horizontalHeader();
    for (int column = 3; column < 7; ++column)
        EXPECT_EQ(header->sectionSize(column), 104) << column;
    EXPECT_EQ(window->size(), QSize(747, 455));

    window->Keywords().AppendRow(1, "golf", "");
    window->Keywords().SetCellText(0, 5, "7");
    EXPECT_EQ(window->findChild<QTableView*>("lvwItems")->model()->index(0, 6).data().toString(), "7");
    EXPECT_EQ(ResultsCsvText(window->Keywords()),
              "\"No\",\"Keywords\",\"Searches\",\"Alpha\",\"<b>Beta</b>\",\"Gamma\",\"Delta\"\r\n"
              "\"1\",\"golf\",\"\",\"\",\"\",\"\",\"7\"\r\n");
}

TEST_F(ProfileWindowTest, TheProgramsChoiceWinsOverTheSettingsKey)
{
    folder.WriteFile("four.ini", FourEngines);
    const std::string chosen = folder.WriteFile("one.ini", "[Engine1]\nName=Only\nPrecise=http://o/\nStart=x\nEnd=y\n");
    Open("[Services]\nProfile=four.ini\n", chosen);
    EXPECT_EQ(HeaderCaptions(), (std::vector<std::string>{"No", "Keywords", "Searches", "Only"}));
    EXPECT_EQ(window->Profile().Engines.size(), 1u);
    EXPECT_FALSE(window->Profile().Suggest);
}

TEST_F(ProfileWindowTest, AMissingProfileIsNamedInTheErrorBoxAndTheBuiltInOneUsed)
{
    Open("[Services]\nProfile=gone.ini\n");
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "The service profile \"" + Folder() + "gone.ini\" cannot be read; the built-in profile is used.");
    EXPECT_EQ(HeaderCaptions(), (std::vector<std::string>{"No", "Keywords", "Searches", "Google", "Yahoo", "Msn"}));
}

TEST_F(ProfileWindowTest, RefusedSectionsAreAllNamedInOneErrorBox)
{
    folder.WriteFile("bad.ini", "[Engine1]\nName=Ok\nPrecise=http://o/\nStart=x\nEnd=y\n"
                                "[Engine2]\nPrecise=http://p/\n"
                                "[Suggest]\nURL=http://s/{nope}\n");
    Open("[Services]\nProfile=bad.ini\n");
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find("section [Engine2]: Name is missing"), std::string::npos) << errors[0];
    EXPECT_NE(errors[0].find("\nService profile \"" + Folder() + "bad.ini\", section [Suggest]: URL holds the unknown "
                             "placeholder {nope}"),
              std::string::npos)
        << errors[0];
    EXPECT_EQ(HeaderCaptions(), (std::vector<std::string>{"No", "Keywords", "Searches", "Ok"}));
}

} // namespace
