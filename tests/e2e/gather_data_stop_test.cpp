// Stop clicked twice and three times in every phase of a fetch, and the window closed in
// the middle of a run: the requests on the wire, the rows and the window's state after
// the run, and a next run that works.
#include "gather_window.h"
#include "gui/gauge.h"
#include "net/http.h"
#include "net/name_lookup.h"

#include <condition_variable>
#include <mutex>
#include <thread>

#include <QAbstractEventDispatcher>
#include <QLabel>

namespace {

const std::string Head = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n";

// Where the second row's Google request stands when Stop is clicked.
enum class Trigger {
    BeforeTheRequest, // the pump that shows "Getting URL: ..." before the request
    WhileHeld,        // a pump while the server holds at "phase"
    InProgressEvent,  // inside the client's progress event, the gauge being moved
};

struct Phase {
    const char* Name;
    Trigger When;
    Script Steps; // what the server does for that request; Hold("phase") is where it stops
};

std::vector<Phase> Phases()
{
    const auto held = [](std::vector<ScriptStep> steps) {
        Script script{ScriptStep::ReadUntil("\r\n\r\n")};
        script.insert(script.end(), steps.begin(), steps.end());
        script.push_back(ScriptStep::Hold("phase"));
        script.push_back(ScriptStep::Close());
        return script;
    };
    const std::string body(600, 'x');
    return {
        {"BeforeTheRequest", Trigger::BeforeTheRequest, {}},
        {"WaitingForTheStatusLine", Trigger::WhileHeld, held({})},
        {"InTheHeaders", Trigger::WhileHeld, held({ScriptStep::Send("HTTP/1.1 200 OK\r\nContent-Type: text/")})},
        {"BodyWithALength", Trigger::WhileHeld, held({ScriptStep::Send(Head + "Content-Length: 1200\r\n\r\n" + body)})},
        {"ChunkedBody", Trigger::WhileHeld,
         held({ScriptStep::Send(Head + "Transfer-Encoding: chunked\r\n\r\n258\r\n" + body + "\r\n")})},
        {"BodyUntilTheClose", Trigger::WhileHeld, held({ScriptStep::Send(Head + "\r\n" + body)})},
        {"InsideAProgressEvent", Trigger::InProgressEvent,
         {ScriptStep::ReadUntil("\r\n\r\n"), ScriptStep::Send(Head + "Content-Length: 1200\r\n\r\n" + body),
          ScriptStep::Hold("phase"), ScriptStep::Send(body), ScriptStep::Close()}},
        // The client follows a redirect on a connection of its own when the one it came
        // on was closed: not after a Stop.
        {"InTheHeadersOfARedirect", Trigger::WhileHeld,
         held({ScriptStep::Send("HTTP/1.1 302 Found\r\nLocation: /elsewhere\r\n")})},
        {"InsideAProgressEventOfARedirect", Trigger::InProgressEvent,
         {ScriptStep::ReadUntil("\r\n\r\n"),
          ScriptStep::Send("HTTP/1.1 302 Found\r\nLocation: /elsewhere\r\nContent-Length: 1200\r\n\r\n" + body),
          ScriptStep::Hold("phase"), ScriptStep::Send(body), ScriptStep::Close()}},
    };
}

struct StopCase {
    Phase Where;
    int Clicks;
};

std::string CaseName(const testing::TestParamInfo<StopCase>& info)
{
    return std::string(info.param.Where.Name) + (info.param.Clicks == 2 ? "_DoubleClick" : "_TripleClick");
}

std::vector<StopCase> StopCases()
{
    std::vector<StopCase> cases;
    for (const Phase& phase : Phases())
        for (int clicks : {2, 3})
            cases.push_back({phase, clicks});
    return cases;
}

class StopClicksTest : public GatherWindowTest, public testing::WithParamInterface<StopCase> {};

// Row "a" is gathered; Stop is clicked several times while Google is asked for row "b".
// Nothing more goes on the wire, row "b" keeps its cells, the window is idle, and the
// next run gathers both rows.
TEST_P(StopClicksTest, StopsOnceAndTheNextRunWorks)
{
    const Phase& phase = GetParam().Where;
    const int clicks = GetParam().Clicks;
    std::vector<Script> scripts = AnswersForRows(1);
    const bool requested = !phase.Steps.empty();
    if (requested)
        scripts.push_back(phase.Steps);
    for (const Script& next : AnswersForRows(2))
        scripts.push_back(next);
    ScriptedServer server(scripts);
    OpenWindow(Root(server), {"a", "b"});
    window->Keywords().SetCellText(1, KeywordRow::Google, "old google");

    QPushButton* gatherData = Button("btnGatherData");
    bool stopped = false;
    const auto stop = [&](bool firstNow) {
        stopped = true;
        RefuseDialogs();
        if (firstNow) {
            PostClicks(gatherData, clicks - 1);
            QTest::mouseClick(gatherData, Qt::LeftButton);
        } else {
            PostClicks(gatherData, clicks);
        }
        // Let the server go on only once the clicks have been handled.
        QMetaObject::invokeMethod(qApp, [&server] { server.Release("phase"); }, Qt::QueuedConnection);
    };
    const auto askingRowB = [&] { return MainStatus().startsWith("Getting URL: ") && MainStatus().contains("q=%22b"); };
    switch (phase.When) {
    case Trigger::BeforeTheRequest:
        DuringTheRun(window.get(), [&] { return askingRowB(); }, [&] { stop(true); });
        break;
    case Trigger::WhileHeld:
        DuringTheRun(window.get(), [&] { return server.IsHolding("phase"); }, [&] { stop(false); });
        break;
    case Trigger::InProgressEvent:
        QObject::connect(window->findChild<Gauge*>("MainGauge"), &QProgressBar::valueChanged, window.get(),
                         [&](int value) {
                             if (!stopped && value > 0 && server.IsHolding("phase"))
                                 stop(true);
                         });
        break;
    }

    GatherData();
    AllowDialogs();
    ASSERT_TRUE(stopped);
    EXPECT_TRUE(unexpectedDialogs.empty()) << unexpectedDialogs.front();
    EXPECT_EQ(gatherData->text(), "Gather Data");
    EXPECT_TRUE(SortingOn());
    for (QPushButton* button : window->findChildren<QPushButton*>())
        EXPECT_TRUE(button->isEnabled()) << button->objectName().toStdString();
    EXPECT_EQ(Counts(0), (std::vector<std::string>{"1,100", "2,200", "3,300"}));
    EXPECT_EQ(Counts(1), (std::vector<std::string>{"old google", "", ""}));
    EXPECT_TRUE(MainStatus() == "Process aborted!" ||
                MainStatus() == "Connection error, check if you are connected and url exists.")
        << MainStatus().toStdString();

    GatherData();
    ASSERT_TRUE(server.Finish());
    EXPECT_TRUE(server.Failures().empty()) << server.Failures().front();
    EXPECT_EQ(server.ConnectionCount(), requested ? 10u : 9u);
    EXPECT_EQ(RequestLine(server.Received(requested ? 4 : 3)), "GET /search?q=%22a%22 HTTP/1.1");
    EXPECT_EQ(Counts(0), (std::vector<std::string>{"1,100", "2,200", "3,300"}));
    EXPECT_EQ(Counts(1), (std::vector<std::string>{"1,100", "2,200", "3,300"}));
    EXPECT_EQ(MainStatus(), "Process completed sucessfull!");
}

INSTANTIATE_TEST_SUITE_P(EveryPhase, StopClicksTest, testing::ValuesIn(StopCases()), CaseName);

// A connect that gets no answer is given up at the Stop, however often it is clicked.
TEST_F(GatherWindowTest, StopClicksWhileConnecting)
{
    UnansweredPort nowhere;
    OpenWindow("http://127.0.0.1:" + std::to_string(nowhere.Port()), {"a", "b"});
    bool connecting = false;
    // The window's client has its transport assigned (the secure one, plain for http), so
    // the connect's status comes from that transport.
    window->HttpClient().IOHandler()->OnStatus = [&](TIdComponent&, TIdStatus status, const std::string&) {
        if (status == hsConnecting)
            connecting = true;
    };
    for (int clicks : {2, 3}) {
        connecting = false;
        DuringTheRun(window.get(), [&] { return connecting; },
                     [&] {
                         RefuseDialogs();
                         PostClicks(Button("btnGatherData"), clicks);
                     });
        GatherData();
        AllowDialogs();
        EXPECT_TRUE(connecting);
        EXPECT_TRUE(unexpectedDialogs.empty());
        EXPECT_EQ(Button("btnGatherData")->text(), "Gather Data");
        EXPECT_EQ(Counts(0), (std::vector<std::string>{"", "", ""}));
        // The abandoned connect is reported as a failed one.
        EXPECT_EQ(MainStatus(), "Connection error, check if you are connected and url exists.");
    }
}

namespace {

// A name server that never answers until released.
class SilentResolver : public NameResolver {
public:
    std::vector<std::string> Resolve(const std::string&) override
    {
        std::unique_lock<std::mutex> lock(FLock);
        FReleased.wait(lock, [this] { return FRelease; });
        return {};
    }
    void Release()
    {
        std::lock_guard<std::mutex> lock(FLock);
        FRelease = true;
        FReleased.notify_all();
    }

private:
    std::mutex FLock;
    std::condition_variable FReleased;
    bool FRelease = false;
};

} // namespace

// A name lookup that never ends keeps neither the window nor Stop waiting; the lookup
// left behind ends later on its own.
TEST_F(GatherWindowTest, StopClickedWhileTheNameIsLookedUp)
{
    auto resolver = std::make_shared<SilentResolver>();
    const std::shared_ptr<NameResolver> previous = SetNameResolver(resolver);
    OpenWindow("http://silent.test:8301", {"a", "b"});
    bool resolving = false;
    window->HttpClient().IOHandler()->OnStatus = [&](TIdComponent&, TIdStatus status, const std::string&) {
        if (status == hsResolving)
            resolving = true;
    };
    DuringTheRun(window.get(), [&] { return resolving; },
                 [&] {
                     RefuseDialogs();
                     PostClicks(Button("btnGatherData"), 2);
                 });
    GatherData();
    AllowDialogs();
    EXPECT_TRUE(resolving);
    EXPECT_TRUE(unexpectedDialogs.empty());
    EXPECT_EQ(Button("btnGatherData")->text(), "Gather Data");
    EXPECT_EQ(Counts(0), (std::vector<std::string>{"", "", ""}));

    resolver->Release();
    while (AbandonedLookups() > 0)
        std::this_thread::yield();
    SetNameResolver(previous);
}

// Sends a press (or the press of a double-click) and a release to the button, with the
// window system's time of the press.
void ClickAt(QWidget* button, QEvent::Type press, quint64 time)
{
    const QPointF centre = QRectF(button->rect()).center();
    const QPointF global = button->mapToGlobal(centre);
    for (QEvent::Type type : {press, QEvent::MouseButtonRelease}) {
        QMouseEvent event(type, centre, global, Qt::LeftButton,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
        event.setTimestamp(time);
        QApplication::sendEvent(button, &event);
    }
}

// A quick server: the stopped run has returned before the second and third clicks of a
// triple click on Stop arrive. They are part of that stop and start nothing; a click
// well after them starts a run as usual.
TEST_F(GatherWindowTest, TheRestOfATripleClickOnStopStartsNothing)
{
    std::vector<Script> scripts = AnswersForRows(1);
    scripts.push_back({ScriptStep::ReadUntil("\r\n\r\n"), ScriptStep::Hold("phase"), ScriptStep::Close()});
    for (const Script& next : AnswersForRows(2))
        scripts.push_back(next);
    ScriptedServer server(scripts);
    OpenWindow(Root(server), {"a", "b"});
    QPushButton* gatherData = Button("btnGatherData");
    // Far beyond the times of the test library's own clicks.
    const quint64 first = 4000000000u;

    DuringTheRun(window.get(), [&] { return server.IsHolding("phase"); },
                 [&] {
                     ClickAt(gatherData, QEvent::MouseButtonPress, first);
                     server.Release("phase");
                 });
    GatherData();
    EXPECT_EQ(Counts(1), (std::vector<std::string>{"", "", ""}));

    RefuseDialogs();
    ClickAt(gatherData, QEvent::MouseButtonDblClick, first + 60);
    ClickAt(gatherData, QEvent::MouseButtonPress, first + 120);
    QCoreApplication::processEvents();
    AllowDialogs();
    EXPECT_TRUE(unexpectedDialogs.empty()) << unexpectedDialogs.front();
    EXPECT_EQ(server.ConnectionCount(), 4u);

    QString asked;
    modal::AnswerNext([&](QWidget* dialog) {
        asked = dialog->objectName();
        QTest::mouseClick(dialog->findChild<QPushButton*>("btnCancel"), Qt::LeftButton);
    });
    ClickAt(gatherData, QEvent::MouseButtonPress, first + 5000);
    EXPECT_EQ(asked, "frmSelSearch");

    GatherData();
    ASSERT_TRUE(server.Finish());
    EXPECT_EQ(server.ConnectionCount(), 10u);
    EXPECT_EQ(Counts(1), (std::vector<std::string>{"1,100", "2,200", "3,300"}));
}

// Closing the window (its rows discarded) stops the run where it stands: the request
// under way is cut, no other request starts, and the window closes as soon as the run
// has returned.
TEST_F(GatherWindowTest, CloseDuringARun)
{
    std::vector<Script> scripts = AnswersForRows(1);
    scripts.push_back({ScriptStep::ReadUntil("\r\n\r\n"), ScriptStep::Send(Head + "Content-Length: 100\r\n\r\nx"),
                       ScriptStep::Hold("phase"), ScriptStep::Close()});
    for (const Script& spare : AnswersForRows(2))
        scripts.push_back(spare);
    ScriptedServer server(scripts);
    OpenWindow(Root(server), {"a", "b", "c"});

    bool closeRefused = true;
    DuringTheRun(window.get(), [&] { return server.IsHolding("phase"); },
                 [&] {
                     modal::AnswerNext(modal::ClickButton("Discard")); // rows never saved
                     closeRefused = !window->close();
                     QMetaObject::invokeMethod(qApp, [&server] { server.Release("phase"); }, Qt::QueuedConnection);
                 });
    GatherData();
    // The window closes from the event loop once the run has unwound.
    QCoreApplication::processEvents();

    EXPECT_TRUE(closeRefused) << "the window went while the run was still on the stack";
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(server.ConnectionCount(), 4u);
    EXPECT_EQ(Counts(1), (std::vector<std::string>{"", "", ""}));
    EXPECT_EQ(Counts(2), (std::vector<std::string>{"", "", ""}));
}

// As the program runs it: the click that starts the run comes from the application's
// event loop, and closing the window during the run ends that loop once the run has
// returned.
TEST_F(GatherWindowTest, CloseDuringARunEndsTheEventLoop)
{
    std::vector<Script> scripts = AnswersForRows(1);
    scripts.push_back({ScriptStep::ReadUntil("\r\n\r\n"), ScriptStep::Hold("phase"), ScriptStep::Close()});
    for (const Script& spare : AnswersForRows(2))
        scripts.push_back(spare);
    ScriptedServer server(scripts);
    OpenWindow(Root(server), {"a", "b", "c"});

    DuringTheRun(window.get(), [&] { return server.IsHolding("phase"); },
                 [&] {
                     modal::AnswerNext(modal::ClickButton("Discard")); // rows never saved
                     window->close();
                     QMetaObject::invokeMethod(qApp, [&server] { server.Release("phase"); }, Qt::QueuedConnection);
                 });
    QMetaObject::invokeMethod(qApp, [this] { GatherData(); }, Qt::QueuedConnection);
    // Only a guard against a loop that never ends; the test does not wait for it.
    bool gaveUp = false;
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [&] {
        gaveUp = true;
        QCoreApplication::exit(1);
    });
    guard.start(20000);
    const bool quitOnClose = QApplication::quitOnLastWindowClosed();
    QApplication::setQuitOnLastWindowClosed(true);
    const int code = QApplication::exec();
    QApplication::setQuitOnLastWindowClosed(quitOnClose);

    EXPECT_FALSE(gaveUp);
    EXPECT_EQ(code, 0);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(server.ConnectionCount(), 4u);
}

} // namespace
