// Service profiles through the real window: the exact requests and header lines each
// engine sends, the column captions, the cells and the CSV; and the simulator's JSON
// services read with the example profile, suggestions expanded without repeats.
#include "core/listed_phrases.h"
#include "core/results_export.h"
#include "gather_window.h"
#include "gui/application.h"
#include "support/core/temp_dir.h"
#include "support/net/request_head.h"
#include "support/sim/simulator_process.h"

#include <QLineEdit>

#include <regex>
#include <set>

namespace {

class ServiceProfileTest : public GatherWindowTest {
protected:
    void SetUp() override
    {
        Application()->SetErrorReporter([this](const std::string& message) { errors.push_back(message); });
    }
    void TearDown() override
    {
        GatherWindowTest::TearDown();
        Application()->SetErrorReporter(nullptr);
    }
    static TalviraApplication* Application() { return static_cast<TalviraApplication*>(QCoreApplication::instance()); }

    std::vector<std::string> Captions()
    {
        const KeywordList& list = window->Keywords();
        std::vector<std::string> captions;
        QAbstractItemModel* model = window->findChild<QTableView*>("lvwItems")->model();
        for (int column = 0; column < model->columnCount(); ++column)
            captions.push_back(model->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString().toStdString());
        EXPECT_EQ(static_cast<int>(captions.size()), list.ColumnCount());
        return captions;
    }

    void SetMainKeyword(const std::string& keyword)
    {
        modal::AnswerNext([keyword](QWidget* dialog) {
            QTest::keyClicks(dialog->findChild<QLineEdit*>("edtMainKeyword"), QString::fromUtf8(keyword));
            QTest::mouseClick(dialog->findChild<QPushButton*>("btnOk"), Qt::LeftButton);
        });
        QTest::mouseClick(Button("btnMainKeyword"), Qt::LeftButton);
    }

    TempDir folder;
    std::vector<std::string> errors;
};

TEST_F(ServiceProfileTest, FourEnginesOfFourKindsSendTheirOwnRequestsAndFillTheirOwnColumns)
{
    ScriptedServer server({
        Answer(Page("<html><p>Results: of <b>11</b></p></html>")),
        Answer(Page("{\"searchInformation\":{\"totalResults\":\"22,000\"}}")),
        Answer(GooglePage),
        Answer(Page("<count>4400</count>")),
    });
    const std::string root = Root(server);
    const std::string profile = folder.WriteFile(
        "four.ini", "[Engine1]\nName=Markers\nPrecise=" + root + "/m?q={keyword}\nSkip=<p>\nStart=of <b>\nEnd=</b>\n"
                    "[Engine2]\nName=JSON API\nPrecise=" + root + "/api?q=%22{keyword:url}%22\nFormat=json\n"
                    "Count=/searchInformation/totalResults\nKey=secret-1\nHeader1=X-Api-Key: {key}\n"
                    "Header2=Accept-Language: de\nHeader3=accept: application/json\n"
                    "[Engine3]\nName=Google\nPrecise={root:GoogleURL}/search?q=%22{keyword}%22\n"
                    "Broad={root:GoogleURL}/search?q={keyword}\nSkip=<font size=-1>Results\nStart=of about <b>\nEnd=</b>\n"
                    "[Engine4]\nName=Url\nPrecise=" + root + "/u/{keyword:url}\nStart=<count>\nEnd=</count>\n");
    // One engine after another: the scripted server answers in the order it is asked.
    OpenWindowWithSettings("[Services]\nGoogleURL=" + root + "\nProfile=" + profile + "\nLanes=0\n",
                           {"caf\xc3\xa9 golf"});
    QCoreApplication::processEvents();
    ASSERT_TRUE(errors.empty()) << errors.front();
    EXPECT_EQ(Captions(), (std::vector<std::string>{"No", "Keywords", "Searches", "Markers", "JSON API", "Google", "Url"}));
    EXPECT_EQ(window->size(), QSize(747, 455));

    GatherData();
    ASSERT_TRUE(server.Finish());
    const std::string host = "127.0.0.1:" + std::to_string(server.Port());
    EXPECT_EQ(server.Received(0), ProgramRequestHead("/m?q=caf\xc3\xa9+golf", host));
    EXPECT_EQ(server.Received(1), "GET /api?q=%22caf%C3%A9%20golf%22 HTTP/1.1\r\nContent-Type: text/html\r\n"
                                  "X-Api-Key: secret-1\r\nHost: " + host +
                                      "\r\nAccept: application/json\r\nAccept-Language: de\r\n"
                                      "User-Agent: Mozilla/3.0 (compatible; Talvira)\r\n\r\n");
    EXPECT_EQ(server.Received(2), ProgramRequestHead("/search?q=%22caf\xc3\xa9+golf%22", host));
    EXPECT_EQ(server.Received(3), ProgramRequestHead("/u/caf%C3%A9%20golf", host));

    const KeywordList& list = window->Keywords();
    EXPECT_EQ((std::vector<std::string>{list.CellText(0, 2), list.CellText(0, 3), list.CellText(0, 4),
                                        list.CellText(0, 5)}),
              (std::vector<std::string>{"11", "22,000", "1,100", "4400"}));
    EXPECT_EQ(ResultsCsvText(list), "\"No\",\"Keywords\",\"Searches\",\"Markers\",\"JSON API\",\"Google\",\"Url\"\r\n"
                                    "\"1\",\"caf\xc3\xa9 golf\",\"\",\"11\",\"22,000\",\"1,100\",\"4400\"\r\n");
}

TEST_F(ServiceProfileTest, HeaderLinesDoNotFollowARedirectToAnotherHost)
{
    ScriptedServer other({Answer(Page("{\"n\":\"5\"}"))});
    ScriptedServer server({Answer("HTTP/1.1 302 Found\r\nLocation: " + Root(other) +
                                  "/elsewhere\r\nContent-Length: 0\r\n\r\n")});
    const std::string profile = folder.WriteFile(
        "one.ini", "[Engine1]\nName=API\nPrecise=" + Root(server) + "/api?q={keyword}\nFormat=json\nCount=/n\n"
                   "Key=secret-2\nHeader1=X-Api-Key: {key}\n");
    OpenWindowWithSettings("[Services]\nProfile=" + profile + "\n", {"golf"});
    QCoreApplication::processEvents();
    GatherData();
    ASSERT_TRUE(server.Finish());
    ASSERT_TRUE(other.Finish());
    EXPECT_NE(server.Received(0).find("X-Api-Key: secret-2\r\n"), std::string::npos);
    EXPECT_EQ(RequestLine(other.Received(0)), "GET /elsewhere HTTP/1.1");
    EXPECT_EQ(other.Received(0).find("secret-2"), std::string::npos) << other.Received(0);
    EXPECT_EQ(window->Keywords().CellText(0, 2), "5");
}

TEST_F(ServiceProfileTest, TheSimulatorsJsonServicesWithTheExampleProfile)
{
    SimulatorProcess simulator;
    ASSERT_NE(simulator.Port(), 0);
    OpenWindowWithSettings("[Services]\nGoogleURL=" + simulator.Root() + "\nSuggestURL=" + simulator.Root() +
                               "\nProfile=" TALVIRA_EXAMPLE_PROFILES "/simulator-json.ini\n",
                           {"golf clubs"});
    QCoreApplication::processEvents();
    ASSERT_TRUE(errors.empty()) << errors.front();
    EXPECT_EQ(Captions(), (std::vector<std::string>{"No", "Keywords", "Searches", "Google", "JSON API"}));

    GatherData();
    const KeywordList& list = window->Keywords();
    // The JSON API reports the simulated Google's figure, and sends it as JSON.
    EXPECT_TRUE(std::regex_match(list.CellText(0, 2), std::regex("[0-9]{1,3}(,[0-9]{3})*"))) << list.CellText(0, 2);
    EXPECT_EQ(list.CellText(0, 3), list.CellText(0, 2));

    SetMainKeyword("golf");
    window->Keywords().ClearRows();
    QTest::mouseClick(Button("btnGatherKeyword"), Qt::LeftButton);
    ASSERT_GT(list.CountRows(), 1);
    EXPECT_EQ(list.CellText(0, KeywordRow::Keywords), "golf");
    std::set<std::string> keys;
    for (int row = 0; row < list.CountRows(); ++row) {
        EXPECT_TRUE(keys.insert(PhraseKey(list.CellText(row, KeywordRow::Keywords))).second)
            << "listed twice: " << list.CellText(row, KeywordRow::Keywords);
        EXPECT_EQ(list.CellText(row, KeywordRow::Searches), "");
        EXPECT_EQ(list.RowCaption(row), std::to_string(row + 1));
    }
    EXPECT_TRUE(errors.empty());
}

TEST_F(ServiceProfileTest, AWrongKeyGetsAnAnswerThatIsNotJsonAndAnEmptyCell)
{
    SimulatorProcess simulator;
    const std::string profile = folder.WriteFile(
        "badkey.ini", "[Engine1]\nName=JSON API\nPrecise={root:GoogleURL}/api/count?q={keyword:url}\nFormat=json\n"
                      "Count=/searchInformation/totalResults\nKey=wrong\nHeader1=X-Api-Key: {key}\n");
    OpenWindowWithSettings("[Services]\nGoogleURL=" + simulator.Root() + "\nProfile=" + profile + "\n", {"golf"});
    QCoreApplication::processEvents();
    window->Keywords().SetCellText(0, 2, "old");
    GatherData();
    EXPECT_EQ(window->Keywords().CellText(0, 2), "");
    EXPECT_EQ(MainStatus(), "Process completed sucessfull!");
}

TEST_F(ServiceProfileTest, AProfileWithoutSuggestionsSaysSoWhenGatheringKeywords)
{
    const std::string profile =
        folder.WriteFile("nosuggest.ini", "[Engine1]\nName=Only\nPrecise=http://127.0.0.1:1/\nStart=x\nEnd=y\n");
    OpenWindowWithSettings("[Services]\nProfile=" + profile + "\n", {});
    QCoreApplication::processEvents();
    SetMainKeyword("golf");
    QString shown;
    modal::AnswerNext(modal::Record(&shown, modal::ClickButton("OK")));
    QTest::mouseClick(Button("btnGatherKeyword"), Qt::LeftButton);
    EXPECT_EQ(shown, "The service profile has no suggestion source.");
}

} // namespace
