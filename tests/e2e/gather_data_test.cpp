#include "core/keyword_sort.h"
#include "gather_window.h"
#include "gui/application.h"
#include "support/net/request_head.h"
#include "support/sim/simulator_process.h"

#include <map>

namespace {

using GatherDataTest = GatherWindowTest;

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
    DuringTheRun(window.get(), [&] { return server.IsHolding("yahoo of row 3"); },
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
    DuringTheRun(window.get(), [&] { return Button("btnGatherData")->text() == "Stop"; },
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
    for (const char* off :
         {"btnMainKeyword", "btnGatherKeyword", "btnAddKeyword", "btnSaveResults", "bsSkinButton3", "bsSkinButton4"})
        EXPECT_FALSE(enabledDuringRun[off]) << off;
    for (const char* on : {"btnGatherData", "bsSkinButton1", "bsSkinButton2", "btnHelp", "btnMakeMoney"})
        EXPECT_TRUE(enabledDuringRun[on]) << on;
    for (QPushButton* button : window->findChildren<QPushButton*>())
        EXPECT_TRUE(button->isEnabled()) << button->objectName().toStdString() << " after the run";
    EXPECT_TRUE(SortingOn());
}

// Settings saved by an editor that writes a byte-order mark, with the roots written with
// a trailing "/": the requests still go to those roots, with the engines' paths.
TEST_F(GatherDataTest, SettingsWithAByteOrderMarkAndTrailingSlashes)
{
    ScriptedServer server(AnswersForRows(1));
    const std::string root = Root(server) + "/";
    OpenWindowWithSettings("\xEF\xBB\xBF[Services]\r\nGoogleURL=" + root + "\r\nYahooURL=" + root +
                               "\r\nMsnURL=" + root + "/\r\nLanes=0\r\n",
                           {"golf"});
    GatherData();
    ASSERT_TRUE(server.Finish());
    EXPECT_EQ(RequestLine(server.Received(0)), "GET /search?q=%22golf%22 HTTP/1.1");
    EXPECT_EQ(RequestLine(server.Received(1)), "GET /search?p=%22golf%22 HTTP/1.1");
    EXPECT_EQ(RequestLine(server.Received(2)), "GET /results.aspx?q=%22golf%22 HTTP/1.1");
    EXPECT_EQ(Counts(0), (std::vector<std::string>{"1,100", "2,200", "3,300"}));
}

// The scratch file cannot be created (a folder has its name): the error leaves the
// handler, is caught at the handler's own edge and shown in the error box. The click's
// other receivers still run (the error never went through Qt's signal code), and the
// window is idle again.
TEST_F(GatherDataTest, AnErrorLeavingTheHandlerReachesTheErrorBox)
{
    ScriptedServer server({});
    OpenWindow(Root(server), {"golf"});
    const std::filesystem::path blocked = window->Fetcher().ScratchFileName();
    std::filesystem::remove(blocked);
    std::filesystem::create_directory(blocked);
    auto* application = static_cast<TalviraApplication*>(qApp);
    std::vector<std::string> shown;
    application->SetErrorReporter([&](const std::string& message) { shown.push_back(message); });
    bool laterReceiverRan = false;
    QObject::connect(Button("btnGatherData"), &QPushButton::clicked, [&] { laterReceiverRan = true; });

    GatherData();
    application->SetErrorReporter(nullptr);
    std::filesystem::remove_all(blocked);

    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NE(shown[0].find(blocked.string()), std::string::npos) << shown[0];
    EXPECT_TRUE(laterReceiverRan);
    EXPECT_EQ(server.ConnectionCount(), 0u);
    EXPECT_EQ(Button("btnGatherData")->text(), "Gather Data");
    EXPECT_TRUE(SortingOn());
    for (QPushButton* button : window->findChildren<QPushButton*>())
        EXPECT_TRUE(button->isEnabled()) << button->objectName().toStdString();
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
