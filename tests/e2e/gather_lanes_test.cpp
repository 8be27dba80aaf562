// Gather Data with the engines side by side, through the window against the service
// simulator misbehaving as a real service does: throttled, blocked, cut connections; the
// refusal question, Skip, Stop and Continue, and what reached the wire.
#include "gather_window.h"
#include "support/sim/simulator_process.h"

#include <QAbstractItemModel>
#include <QLabel>
#include <QRegularExpression>
#include <QTimer>

#include <map>
#include <set>
#include <sstream>

namespace {

// The request lines of the simulator's log, counted.
std::map<std::string, int> LoggedRequests(const std::string& log)
{
    std::ifstream in(log);
    std::map<std::string, int> requests;
    std::string line;
    while (std::getline(in, line))
        if (line.starts_with("GET "))
            ++requests[line.substr(0, line.find(" HTTP/"))];
    return requests;
}

std::string Target(const char* path, const std::string& keyword)
{
    return std::string("GET ") + path + "%22" + keyword + "%22";
}

const char* const Paths[] = {"/search?q=", "/search?p=", "/results.aspx?q="};

class GatherLanesTest : public GatherWindowTest {
protected:
    void TearDown() override
    {
        GatherWindowTest::TearDown();
        std::filesystem::remove(log);
    }

    // Answers every refusal question with the button whose caption starts with `caption`,
    // noting the question.
    void AnswerRefusals(int count, const QString& caption)
    {
        for (int i = 0; i < count; ++i)
            modal::AnswerNext([this, caption](QWidget* dialog) {
                questions.push_back(dialog->findChild<QLabel*>("MessageText")->text().toStdString());
                for (QPushButton* button : dialog->findChildren<QPushButton*>())
                    if (button->text().startsWith(caption)) {
                        QTest::mouseClick(button, Qt::LeftButton);
                        return;
                    }
                ADD_FAILURE() << "no button " << caption.toStdString();
            });
    }

    // Queues the answer to the search type dialog, as GatherData does, without clicking.
    static void AnswerSearchType(bool precise)
    {
        modal::AnswerNext([precise](QWidget* dialog) {
            if (!precise)
                QTest::mouseClick(dialog->findChild<QCheckBox*>("bsSkinCheckRadioBox1"), Qt::LeftButton);
            QTest::mouseClick(dialog->findChild<QPushButton*>("btnOk"), Qt::LeftButton);
        });
    }
    // The engines side by side: the settings say nothing of lanes.
    void OpenLanesWindow(const std::string& root, const std::vector<std::string>& keywords)
    {
        OpenWindowWithSettings(EngineSettings(root), keywords);
    }
    void ClickGatherData() { QTest::mouseClick(Button("btnGatherData"), Qt::LeftButton); }

    // What the cell's state says to a screen reader (and, as rich text, in its tooltip).
    QString Note(int row, int cell)
    {
        const QAbstractItemModel* model = window->findChild<QTableView*>("lvwItems")->model();
        return model->data(model->index(row, cell + 1), Qt::AccessibleDescriptionRole).toString();
    }

    const std::string log = ExecutableDirectory() + "lanes-sim.log";
    std::vector<std::string> questions;
};

TEST_F(GatherLanesTest, SideBySideWritesTheSameCellsAsOneAfterAnother)
{
    SimulatorProcess simulator({"--throttle", "4", "--drop", "5"});
    const std::vector<std::string> keywords = {"golf clubs", "tennis", "chess sets"};
    OpenWindow(simulator.Root(), keywords);
    GatherData(true);
    std::vector<std::vector<std::string>> inTurn;
    for (int row = 0; row < 3; ++row)
        inTurn.push_back(Counts(row));
    // Throttled and cut requests end the one-after-another run, as they always did; the
    // lanes wait them out and ask again.
    OpenLanesWindow(simulator.Root(), keywords);
    GatherData(true);
    EXPECT_EQ(MainStatus(), "Process completed sucessfull!");
    for (int row = 0; row < 3; ++row)
        for (int engine = 0; engine < 3; ++engine) {
            EXPECT_FALSE(Counts(row)[engine].empty()) << row << " " << engine;
            if (!inTurn[row][engine].empty())
                EXPECT_EQ(Counts(row)[engine], inTurn[row][engine]) << row << " " << engine;
        }
}

TEST_F(GatherLanesTest, SkipGoesOnWithoutTheEngineAndContinueAsksOnlyWhatWasSkipped)
{
    SimulatorProcess simulator({"--block-after", "2", "--log", log});
    OpenLanesWindow(simulator.Root(), {"a", "b", "c"});
    // Each engine answers twice, then refuses: one question per engine.
    AnswerSearchType(true);
    AnswerRefusals(3, "Skip");
    ClickGatherData();
    ASSERT_EQ(questions.size(), 3u);
    for (const char* name : {"Google", "Yahoo", "Msn"})
        EXPECT_NE(std::find(questions.begin(), questions.end(),
                            std::string(name) + " refused the request (HTTP 403 Forbidden)."),
                  questions.end())
            << name;
    for (int engine = 0; engine < 3; ++engine) {
        EXPECT_FALSE(Counts(1)[engine].empty());
        EXPECT_EQ(Counts(2)[engine], "");
        EXPECT_EQ(Note(2, KeywordRow::Google + engine), "Skipped");
        EXPECT_EQ(Note(1, KeywordRow::Google + engine), "");
    }

    // Continue: no search type dialog, only the skipped cells are asked (and refused
    // again: Stop this time).
    questions.clear();
    modal::AnswerNext(modal::ClickButton("Continue"));
    AnswerRefusals(1, "Stop");
    ClickGatherData();
    EXPECT_EQ(questions.size(), 1u);
    const std::map<std::string, int> requests = LoggedRequests(log);
    for (const char* path : Paths) {
        EXPECT_EQ(requests.at(Target(path, "a")), 1) << path;
        EXPECT_EQ(requests.at(Target(path, "b")), 1) << path;
        EXPECT_LE(requests.count(Target(path, "c")) ? requests.at(Target(path, "c")) : 0, 2) << path;
    }
    EXPECT_EQ(MainStatus(), "Process aborted!");
}

TEST_F(GatherLanesTest, ContinueAfterStopAsksEveryCellOnceWithTheModeOfTheStoppedRun)
{
    SimulatorProcess simulator({"--latency", "30", "--log", log});
    std::vector<std::string> keywords;
    for (int i = 0; i < 12; ++i)
        keywords.push_back("k" + std::to_string(i));
    OpenLanesWindow(simulator.Root(), keywords);
    // Stop once the first counts are in.
    QTimer stopper;
    QObject::connect(&stopper, &QTimer::timeout, [&] {
        if (!window->Keywords().CellText(1, KeywordRow::Google).empty() &&
            Button("btnGatherData")->text() == "Stop")
            QTest::mouseClick(Button("btnGatherData"), Qt::LeftButton);
    });
    stopper.start(1);
    GatherData(true);
    stopper.stop();
    EXPECT_EQ(MainStatus(), "Process aborted!");
    ASSERT_TRUE(window->Keywords().CellText(11, KeywordRow::Google).empty());

    modal::AnswerNext(modal::ClickButton("Continue"));
    ClickGatherData();
    EXPECT_EQ(MainStatus(), "Process completed sucessfull!");
    const std::map<std::string, int> requests = LoggedRequests(log);
    for (const std::string& keyword : keywords)
        for (const char* path : Paths)
            EXPECT_EQ(requests.count(Target(path, keyword)) ? requests.at(Target(path, keyword)) : 0, 1)
                << path << keyword;
    for (int row = 0; row < 12; ++row)
        for (const std::string& count : Counts(row))
            EXPECT_FALSE(count.empty()) << row;

    // Nothing left to continue: the next click goes straight to the search type dialog.
    GatherData(false);
    EXPECT_EQ(window->SearchMode(), 1);
}

TEST_F(GatherLanesTest, StartAgainAsksEveryRowInTheModeChosenAnew)
{
    SimulatorProcess simulator({"--block-after", "1", "--log", log});
    OpenLanesWindow(simulator.Root(), {"a", "b"});
    AnswerSearchType(true);
    AnswerRefusals(1, "Stop");
    ClickGatherData();
    EXPECT_EQ(questions.size(), 1u);

    modal::AnswerNext(modal::ClickButton("Start Again"));
    AnswerSearchType(false);
    AnswerRefusals(1, "Stop");
    ClickGatherData();
    EXPECT_EQ(window->SearchMode(), 1);
    EXPECT_EQ(questions.size(), 2u);
    // The refused request was a broad one.
    const std::map<std::string, int> requests = LoggedRequests(log);
    EXPECT_TRUE(requests.count("GET /search?q=a") || requests.count("GET /search?p=a") ||
                requests.count("GET /results.aspx?q=a"));
}

TEST_F(GatherLanesTest, CancelAtTheQuestionStartsNothing)
{
    SimulatorProcess simulator({"--block-after", "1", "--log", log});
    OpenLanesWindow(simulator.Root(), {"a", "b"});
    AnswerSearchType(true);
    AnswerRefusals(1, "Stop");
    ClickGatherData();
    const size_t before = LoggedRequests(log).size();
    modal::AnswerNext(modal::ClickButton("Cancel"));
    ClickGatherData();
    EXPECT_EQ(LoggedRequests(log).size(), before);
}

// Every request throttled: the status bar counts down each Retry-After, and the third
// throttled answer in a row puts the refusal to the user, naming the status.
TEST_F(GatherLanesTest, ThrottledAnswersCountDownThenAsk)
{
    SimulatorProcess simulator({"--throttle", "1", "--log", log});
    OpenLanesWindow(simulator.Root(), {"golf"});
    std::set<std::string> statuses;
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] { statuses.insert(MainStatus().toStdString()); });
    watcher.start(1);
    AnswerSearchType(true);
    AnswerRefusals(1, "Stop");
    ClickGatherData();
    watcher.stop();

    ASSERT_EQ(questions.size(), 1u);
    EXPECT_TRUE(questions[0].ends_with(" refused the request (HTTP 429 Too Many Requests).")) << questions[0];
    const bool countedDown = statuses.count("Google: next request in 1 s") || statuses.count("Yahoo: next request in 1 s") ||
                             statuses.count("Msn: next request in 1 s");
    EXPECT_TRUE(countedDown);
    // The engine that was refused had been asked three times; none was asked more.
    for (const char* path : Paths) {
        const std::map<std::string, int> requests = LoggedRequests(log);
        const auto found = requests.find(Target(path, "golf"));
        ASSERT_NE(found, requests.end()) << path;
        EXPECT_LE(found->second, 3) << path;
    }
    EXPECT_EQ(MainStatus(), "Process aborted!");
}

// Stop clicked while every lane waits out a Retry-After: the run ends in that wait, and
// nothing more is asked.
TEST_F(GatherLanesTest, StopEndsARetryAfterWait)
{
    SimulatorProcess simulator({"--throttle", "1", "--log", log});
    OpenLanesWindow(simulator.Root(), {"golf", "tennis"});
    QTimer stopper;
    QObject::connect(&stopper, &QTimer::timeout, [&] {
        if (MainStatus().endsWith(": next request in 1 s") && Button("btnGatherData")->text() == "Stop")
            QTest::mouseClick(Button("btnGatherData"), Qt::LeftButton);
    });
    stopper.start(1);
    AnswerSearchType(true);
    ClickGatherData();
    stopper.stop();
    EXPECT_EQ(MainStatus(), "Process aborted!");
    EXPECT_TRUE(questions.empty());
    const std::map<std::string, int> requests = LoggedRequests(log);
    for (const char* path : Paths) {
        EXPECT_EQ(requests.count(Target(path, "tennis")), 0u) << path;
        // One throttled request, perhaps a second before the Stop: never the third that asks.
        EXPECT_LE(requests.count(Target(path, "golf")) ? requests.at(Target(path, "golf")) : 0, 2) << path;
    }
}

} // namespace

// Side by side the status bar says where the run stands: the row of its slowest lane.
TEST_F(GatherLanesTest, TheStatusBarSaysWhichRowTheLanesHaveReached)
{
    SimulatorProcess simulator({"--latency", "30"});
    OpenLanesWindow(simulator.Root(), {"golf", "tennis", "chess", "darts"});
    auto* position = window->findChild<QLabel*>("RunRowPanel");
    ASSERT_NE(position, nullptr);
    QStringList seen;
    auto* watch = new QTimer(window.get());
    watch->setInterval(0);
    QObject::connect(watch, &QTimer::timeout, [&] {
        if (position->isVisible() && (seen.isEmpty() || seen.back() != position->text()))
            seen << position->text();
    });
    watch->start();
    GatherData(true);
    watch->stop();
    ASSERT_FALSE(seen.isEmpty()) << "the row panel never showed during the run";
    for (const QString& text : seen)
        EXPECT_TRUE(QRegularExpression("^Row [1-4] of 4$").match(text).hasMatch()) << text.toStdString();
    EXPECT_EQ(seen.back(), "Row 4 of 4");
    EXPECT_FALSE(position->isVisible());
}
