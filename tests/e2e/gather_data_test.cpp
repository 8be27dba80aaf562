#include "core/file_system.h"
#include "core/keyword_sort.h"
#include "gui/main_window.h"
#include "support/gui/modal_answerer.h"
#include "support/net/request_head.h"
#include "support/net/scripted_server.h"
#include "support/sim/simulator_process.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

namespace {

std::string Page(const std::string& body)
{
    return "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\n\r\n" + body;
}

const std::string GooglePage = Page("<html><font size=-1>Results 1 - 10 of about <b>1,100</b> for x</html>");
const std::string YahooPage = Page("<html><p class=\"infotext\">1 - 10 of 2,200 for x</p></html>");
const std::string MsnPage = Page("<html><span id=\"count\">1-10 of 3,300</span></html>");

Script Answer(const std::string& response)
{
    return {ScriptStep::ReadUntil("\r\n\r\n"), ScriptStep::Send(response), ScriptStep::Close()};
}

// Each row asked of the three engines, in order.
std::vector<Script> AnswersForRows(int rows)
{
    std::vector<Script> scripts;
    for (int row = 0; row < rows; ++row)
        for (const std::string* page : {&GooglePage, &YahooPage, &MsnPage})
            scripts.push_back(Answer(*page));
    return scripts;
}

std::string RequestLine(const std::string& received)
{
    return received.substr(0, received.find("\r\n"));
}

// The window as a user has it: settings beside the program pointing every service at
// the given root, a fresh window, keywords typed in.
class GatherDataTest : public testing::Test {
protected:
    void TearDown() override
    {
        window.reset();
        std::filesystem::remove(Settings());
        EXPECT_EQ(modal::PendingAnswers(), 0) << "a dialog that was expected did not open";
        modal::Reset();
    }

    static std::string Settings() { return ExecutableDirectory() + "dbconfig.dat"; }

    // caFile, when given, becomes the CAFile of the settings.
    void OpenWindow(const std::string& root, const std::vector<std::string>& keywords, const std::string& caFile = {})
    {
        std::ofstream(Settings()) << "[Services]\nGoogleURL=" << root << "\nYahooURL=" << root << "\nMsnURL=" << root
                                  << "\n" << (caFile.empty() ? "" : "CAFile=" + caFile + "\n");
        window = std::make_unique<TfrmMain>();
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        for (const std::string& keyword : keywords)
            window->Keywords().AppendRow(window->Keywords().CountRows() + 1, keyword, "");
    }

    static std::string Root(const ScriptedServer& server)
    {
        return "http://127.0.0.1:" + std::to_string(server.Port());
    }

    QPushButton* Button(const char* name) { return window->findChild<QPushButton*>(name); }

    // Clicks "Gather Data", confirms the search type (unticking the precise box for a
    // broad search) and returns when the run is over.
    void GatherData(bool precise = true)
    {
        modal::AnswerNext([precise](QWidget* dialog) {
            if (!precise)
                QTest::mouseClick(dialog->findChild<QCheckBox*>("bsSkinCheckRadioBox1"), Qt::LeftButton);
            QTest::mouseClick(dialog->findChild<QPushButton*>("btnOk"), Qt::LeftButton);
        });
        QTest::mouseClick(Button("btnGatherData"), Qt::LeftButton);
    }

    // Runs `look` once, from the event loop, the first time `when` holds during the run.
    void DuringTheRun(std::function<bool()> when, std::function<void()> look)
    {
        auto* timer = new QTimer(window.get());
        timer->setInterval(2);
        QObject::connect(timer, &QTimer::timeout, [=] {
            if (!when())
                return;
            timer->stop();
            look();
        });
        timer->start();
    }

    std::vector<std::string> Counts(int row)
    {
        const KeywordList& list = window->Keywords();
        return {list.CellText(row, KeywordRow::Google), list.CellText(row, KeywordRow::Yahoo),
                list.CellText(row, KeywordRow::Msn)};
    }

    QString MainStatus() { return window->findChild<QLabel*>("MainStatusPanel")->text(); }
    bool SortingOn() { return window->findChild<QTableView*>("lvwItems")->horizontalHeader()->sectionsClickable(); }

    std::unique_ptr<TfrmMain> window;
};

TEST_F(GatherDataTest, PreciseSearchSendsQuotedPhrasesAndWritesEveryCount)
{
    ScriptedServer server(AnswersForRows(2));
    OpenWindow(Root(server), {"golf clubs", "soccer"});
    window->Keywords().SetRowTicked(1, true);
    GatherData();

    ASSERT_TRUE(server.Finish());
    EXPECT_EQ(Counts(0), (std::vector<std::string>{"1,100", "2,200", "3,300"}));
    EXPECT_EQ(Counts(1), (std::vector<std::string>{"1,100", "2,200", "3,300"}));
    const std::vector<std::string> expected = {
        "GET /search?q=%22golf+clubs%22 HTTP/1.1", "GET /search?p=%22golf+clubs%22 HTTP/1.1",
        "GET /results.aspx?q=%22golf+clubs%22 HTTP/1.1", "GET /search?q=%22soccer%22 HTTP/1.1",
        "GET /search?p=%22soccer%22 HTTP/1.1", "GET /results.aspx?q=%22soccer%22 HTTP/1.1"};
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(RequestLine(server.Received(i)), expected[i]);
    EXPECT_EQ(server.Received(0),
              ProgramRequestHead("/search?q=%22golf+clubs%22", "127.0.0.1:" + std::to_string(server.Port())));
    EXPECT_EQ(MainStatus(), "Process completed sucessfull!");
    EXPECT_EQ(Button("btnGatherData")->text(), "Gather Data");
    EXPECT_EQ(window->SearchMode(), 0);
}

TEST_F(GatherDataTest, BroadSearchSendsLooseWords)
{
    ScriptedServer server(AnswersForRows(1));
    OpenWindow(Root(server), {"golf clubs"});
    GatherData(false);
    ASSERT_TRUE(server.Finish());
    EXPECT_EQ(RequestLine(server.Received(0)), "GET /search?q=golf+clubs HTTP/1.1");
    EXPECT_EQ(RequestLine(server.Received(2)), "GET /results.aspx?q=golf+clubs HTTP/1.1");
    EXPECT_EQ(window->SearchMode(), 1);
}

TEST_F(GatherDataTest, PagesAreReadWithTheMarkerRules)
{
    ScriptedServer server({
        Answer(Page("<FONT SIZE=-1>RESULTS OF ABOUT <B>12</B>")),             // other letter case
        Answer(Page("no skip marker here, 1 - 10 of 34 for x and of 56 for y")), // first value anywhere
        Answer(Page("<html>nothing to read</html>")),                         // empties the old figure
    });
    OpenWindow(Root(server), {"golf"});
    window->Keywords().SetCellText(0, KeywordRow::Msn, "99,999");
    GatherData();
    ASSERT_TRUE(server.Finish());
    EXPECT_EQ(Counts(0), (std::vector<std::string>{"12", "34", ""}));
}

TEST_F(GatherDataTest, AKeywordWithAHashIsCutThere)
{
    ScriptedServer server(AnswersForRows(1));
    OpenWindow(Root(server), {"c# tips"});
    GatherData();
    ASSERT_TRUE(server.Finish());
    EXPECT_EQ(RequestLine(server.Received(0)), "GET /search?q=%22c HTTP/1.1");
}

TEST_F(GatherDataTest, AFailedGoogleRequestOnRowOneEndsTheRun)
{
    ScriptedServer server({Answer("HTTP/1.1 500 Internal Server Error\r\nContent-Length: 5\r\n\r\noops!")});
    OpenWindow(Root(server), {"golf", "soccer"});
    window->Keywords().SetCellText(0, KeywordRow::Google, "old");
    GatherData();
    ASSERT_TRUE(server.Finish());
    EXPECT_EQ(server.ConnectionCount(), 1u);
    EXPECT_EQ(Counts(0), (std::vector<std::string>{"old", "", ""}));
    EXPECT_EQ(Counts(1), (std::vector<std::string>{"", "", ""}));
    EXPECT_EQ(MainStatus(), "Connection error, check if you are connected and url exists.");
    EXPECT_EQ(Button("btnGatherData")->text(), "Gather Data");
    EXPECT_TRUE(SortingOn());
}

TEST_F(GatherDataTest, StopWhileYahooOfRowThreeIsAsked)
{
    std::vector<Script> scripts = AnswersForRows(2);
    scripts.push_back(Answer(GooglePage));
    scripts.push_back({ScriptStep::ReadUntil("\r\n\r\n"), ScriptStep::Hold("yahoo of row 3"), ScriptStep::Close()});
    ScriptedServer server(scripts);
    OpenWindow(Root(server), {"a", "b", "c", "d"});
    window->Keywords().SetCellText(2, KeywordRow::Yahoo, "old yahoo");
    window->Keywords().SetCellText(2, KeywordRow::Msn, "old msn");

    QString captionAfterStop;
    bool sortingAfterStop = false;
    DuringTheRun([&] { return server.IsHolding("yahoo of row 3"); },
                 [&] {
                     QTest::mouseClick(Button("btnGatherData"), Qt::LeftButton); // "Stop"
                     captionAfterStop = Button("btnGatherData")->text();
                     sortingAfterStop = SortingOn();
                 });
    GatherData();
    server.Release("yahoo of row 3");
    ASSERT_TRUE(server.Finish());

    EXPECT_EQ(captionAfterStop, "Gather Data");
    EXPECT_TRUE(sortingAfterStop);
    EXPECT_EQ(Counts(1), (std::vector<std::string>{"1,100", "2,200", "3,300"}));
    EXPECT_EQ(Counts(2), (std::vector<std::string>{"1,100", "old yahoo", "old msn"}));
    EXPECT_EQ(Counts(3), (std::vector<std::string>{"", "", ""}));
    EXPECT_EQ(server.ConnectionCount(), 8u);
    EXPECT_EQ(Button("btnGatherData")->text(), "Gather Data");
    EXPECT_TRUE(SortingOn());
}

TEST_F(GatherDataTest, CommandsThatWouldDisturbARunAreOffDuringIt)
{
    ScriptedServer server(AnswersForRows(1));
    OpenWindow(Root(server), {"golf"});
    std::map<std::string, bool> enabledDuringRun;
    QString caption;
    bool sorting = true;
    DuringTheRun([&] { return Button("btnGatherData")->text() == "Stop"; },
                 [&] {
                     caption = Button("btnGatherData")->text();
                     sorting = SortingOn();
                     for (QPushButton* button : window->findChildren<QPushButton*>())
                         enabledDuringRun[button->objectName().toStdString()] = button->isEnabled();
                 });
    GatherData();
    ASSERT_TRUE(server.Finish());

    EXPECT_EQ(caption, "Stop");
    EXPECT_FALSE(sorting);
    for (const char* off : {"btnMainKeyword", "btnGatherKeyword", "btnAddKeyword", "bsSkinButton3", "bsSkinButton4"})
        EXPECT_FALSE(enabledDuringRun[off]) << off;
    for (const char* on : {"btnGatherData", "bsSkinButton1", "bsSkinButton2", "btnSaveResults", "btnHelp", "btnMakeMoney"})
        EXPECT_TRUE(enabledDuringRun[on]) << on;
    for (QPushButton* button : window->findChildren<QPushButton*>())
        EXPECT_TRUE(button->isEnabled()) << button->objectName().toStdString() << " after the run";
    EXPECT_TRUE(SortingOn());
}

TEST_F(GatherDataTest, CountsFromTheServiceSimulator)
{
    SimulatorProcess simulator;
    OpenWindow(simulator.Root(), {"golf clubs"});
    GatherData(true);
    const std::vector<std::string> precise = Counts(0);
    GatherData(false);
    const std::vector<std::string> broad = Counts(0);

    // The simulator's documented figures for "golf clubs" at Google.
    EXPECT_EQ(precise[0], "229,000,000");
    EXPECT_EQ(broad[0], "814,000,000");
    for (int engine = 0; engine < 3; ++engine) {
        EXPECT_FALSE(precise[static_cast<size_t>(engine)].empty()) << engine;
        EXPECT_LE(NumberTextValue(precise[static_cast<size_t>(engine)]), NumberTextValue(broad[static_cast<size_t>(engine)]))
            << engine;
    }
}

// The same figures over https, the simulator's authority trusted through CAFile.
TEST_F(GatherDataTest, CountsFromTheServiceSimulatorOverHttps)
{
    SimulatorProcess simulator;
    ASSERT_FALSE(simulator.HttpsRoot().ends_with(":0"));
    OpenWindow(simulator.HttpsRoot(), {"golf clubs"}, simulator.CAFile());
    GatherData(true);
    EXPECT_EQ(Counts(0)[0], "229,000,000");
    EXPECT_EQ(MainStatus(), "Process completed sucessfull!");
}

// Without CAFile the simulator's authority is unknown: the run stops at its first
// request and the status bar says why.
TEST_F(GatherDataTest, AnUntrustedCertificateStopsTheRunSayingWhy)
{
    SimulatorProcess simulator;
    OpenWindow(simulator.HttpsRoot(), {"golf clubs"});
    GatherData(true);
    EXPECT_EQ(Counts(0), (std::vector<std::string>{"", "", ""}));
    EXPECT_EQ(MainStatus(),
              "Certificate of 127.0.0.1 refused: issued by an unknown authority (\"service-sim local CA\").");
}

} // namespace
