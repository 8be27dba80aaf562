// "Gather Keywords" through the window as a user runs it: against the service simulator,
// which challenges first, and against scripted servers for the exact bytes and the
// failures. Dialogs are answered by the modal answerer as a user would.
#include "core/file_system.h"
#include "core/keyword_sort.h"
#include "gui/application.h"
#include "gui/dialogs/captcha_dialog.h"
#include "gui/dialogs/security_image_view.h"
#include "gui/main_window.h"
#include "support/gui/modal_answerer.h"
#include "support/net/request_head.h"
#include "support/net/scripted_server.h"
#include "support/sim/simulator_process.h"
#include "window_events.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <unistd.h>

namespace {

const char* const WrongPassword = "Wrong password. Do you want try again?";
const char* const ConnectionError = "Connection error, check if you are connected and url exists.";

std::string Page(const std::string& body, const std::string& headers = "")
{
    return "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n" + headers +
           "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

Script Answer(const std::string& response)
{
    return {ScriptStep::ReadUntil("\r\n\r\n"), ScriptStep::Send(response), ScriptStep::Close()};
}

std::string ChallengeBody(const std::string& random, const std::string& image = "http://127.0.0.1:1/i.png")
{
    return "<html><p>Please enter the characters in the image</p>\r\n"
           "<input type=\"hidden\" name=\"random\" value=\"" + random + "\">\r\n"
           "<input type=\"hidden\" name=\"seed\" value=\"golf+clubs\">\r\n"
           "<img src=\"" + image + "\"></html>";
}

const std::string ResultBody = "<table><tfoot><tr><td>2 suggestions</td></tr></tfoot>\r\n<tbody>\r\n"
                               "<tr><td>1,200</td><td class=kw><a href=\"/?seed=a\">golf clubs</a></td></tr>\r\n"
                               "<tr><td>340</td><td class=kw><a href=\"/?seed=b\">golf <b>bags</b></a></td></tr>\r\n"
                               "</tbody></table>";

std::string RequestLine(const std::string& head)
{
    return head.substr(0, head.find("\r\n"));
}

// What a user does in the security image dialog.
modal::Answer TypeInCaptcha(const QString& text, const char* button, std::string* random = nullptr,
                            bool* pictureShown = nullptr)
{
    return [=](QWidget* dialog) {
        auto* captcha = dynamic_cast<TfrmCaptcha*>(dialog);
        ASSERT_NE(captcha, nullptr) << "not the security image dialog: " << dialog->objectName().toStdString();
        if (random)
            *random = captcha->Random();
        if (pictureShown) {
            auto* view = captcha->findChild<SecurityImageView*>("EmbeddedWB1");
            *pictureShown = QTest::qWaitFor([view] { return view->HasPicture(); }, 20000);
        }
        QTest::keyClicks(captcha->findChild<QLineEdit*>("edtPassword"), text);
        QTest::mouseClick(captcha->findChild<QPushButton*>(button), Qt::LeftButton);
    };
}

class GatherKeywordsTest : public testing::Test {
protected:
    void SetUp() override
    {
        Application()->SetErrorReporter([this](const std::string& message) { errors.push_back(message); });
    }

    void TearDown() override
    {
        window.reset();
        std::filesystem::remove(Settings());
        std::filesystem::remove(log);
        Application()->SetErrorReporter(nullptr);
        EXPECT_EQ(modal::PendingAnswers(), 0) << "a dialog that was expected did not open";
        modal::Reset();
    }

    static TalviraApplication* Application() { return static_cast<TalviraApplication*>(QCoreApplication::instance()); }
    static std::string Settings() { return ExecutableDirectory() + "dbconfig.dat"; }
    static std::string Root(const ScriptedServer& server) { return "http://127.0.0.1:" + std::to_string(server.Port()); }

    void OpenWindow(const std::string& suggestRoot, const std::string& mainKeyword)
    {
        std::ofstream(Settings()) << "[Services]\nSuggestURL=" << suggestRoot << "\nGoogleURL=" << suggestRoot
                                  << "\nYahooURL=" << suggestRoot << "\nMsnURL=" << suggestRoot << "\n";
        window = std::make_unique<TfrmMain>();
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        if (mainKeyword.empty())
            return;
        modal::AnswerNext([mainKeyword](QWidget* dialog) {
            QTest::keyClicks(dialog->findChild<QLineEdit*>("edtMainKeyword"), QString::fromUtf8(mainKeyword));
            QTest::mouseClick(dialog->findChild<QPushButton*>("btnOk"), Qt::LeftButton);
        });
        Click("btnMainKeyword");
        ASSERT_EQ(window->MainKeywordText(), mainKeyword);
    }

    QPushButton* Button(const char* name) { return window->findChild<QPushButton*>(name); }
    void Click(const char* name) { QTest::mouseClick(Button(name), Qt::LeftButton); }
    QString Panel(const char* name) { return window->findChild<QLabel*>(name)->text(); }
    QTableView* Table() { return window->findChild<QTableView*>("lvwItems"); }

    QString Shown(int row, int column) { return Table()->model()->index(row, column).data().toString(); }

    // The heads the simulator logged, in order, split into those of the service's
    // pages and those of the picture.
    void ReadLog(std::vector<std::string>& pages, std::vector<std::string>& pictures)
    {
        std::ifstream file(log);
        std::stringstream text;
        text << file.rdbuf();
        const std::string all = text.str();
        for (size_t at = 0; at < all.size();) {
            const size_t end = all.find("\r\n\r\n", at);
            if (end == std::string::npos)
                break;
            const std::string head = all.substr(at, end + 4 - at);
            (head.starts_with("GET /captcha.png") ? pictures : pages).push_back(head);
            at = end + 4;
        }
    }

    std::string log = (std::filesystem::temp_directory_path() / ("talvira-gk-" + std::to_string(::getpid()))).string();
    std::unique_ptr<TfrmMain> window;
    std::vector<std::string> errors;
};

TEST_F(GatherKeywordsTest, AgainstTheSimulatorAWrongAnswerThenTheRetryAppendsSortableRows)
{
    SimulatorProcess simulator({"--characters", "KX7MA", "--log", log});
    ASSERT_NE(simulator.Port(), 0);
    OpenWindow(simulator.Root(), "golf clubs");

    std::string firstRandom;
    std::string secondRandom;
    bool firstPicture = false;
    bool secondPicture = false;
    QString question;
    modal::AnswerNext(TypeInCaptcha("WRONG", "btnOk", &firstRandom, &firstPicture));
    modal::AnswerNext(modal::Record(&question, modal::ClickButton("OK")));
    modal::AnswerNext(TypeInCaptcha("kx7ma", "btnOk", &secondRandom, &secondPicture));
    Click("btnGatherKeyword");

    EXPECT_TRUE(firstPicture) << "the security image was not shown";
    EXPECT_TRUE(secondPicture);
    EXPECT_EQ(question, WrongPassword);
    EXPECT_NE(firstRandom, secondRandom);
    EXPECT_TRUE(errors.empty());

    // The requests, byte for byte where the program writes them.
    std::vector<std::string> pages;
    std::vector<std::string> pictures;
    ReadLog(pages, pictures);
    ASSERT_EQ(pages.size(), 3u);
    const std::string host = "127.0.0.1:" + std::to_string(simulator.Port());
    EXPECT_EQ(pages[0], ProgramRequestHead("/?seed=golf+clubs&adult_filter=remove_offensive&suggest=Hit+Me", host));
    std::smatch cookie;
    ASSERT_TRUE(std::regex_search(pages[1], cookie, std::regex("\r\nCookie: (wtsession=[0-9a-f]{16})\r\n"))) << pages[1];
    const std::string cookieLine = "Cookie: " + cookie[1].str() + "\r\n";
    EXPECT_EQ(pages[1], ProgramRequestHead("/keyword-suggestion-tool.html?password=WRONG&random=" + firstRandom +
                                               "&seed=golf+clubs",
                                           host, cookieLine));
    EXPECT_EQ(pages[2], ProgramRequestHead("/keyword-suggestion-tool.html?password=kx7ma&random=" + secondRandom +
                                               "&seed=golf+clubs",
                                           host, cookieLine));
    // The picture was fetched by the dialog's own client: with the "&amp;" read once, no
    // cookie of the program's, not the program's agent.
    ASSERT_EQ(pictures.size(), 2u);
    EXPECT_EQ(RequestLine(pictures[0]), "GET /captcha.png?random=" + firstRandom + "&type=security HTTP/1.1");
    EXPECT_EQ(RequestLine(pictures[1]), "GET /captcha.png?random=" + secondRandom + "&type=security HTTP/1.1");
    for (const std::string& picture : pictures) {
        EXPECT_EQ(picture.find("wtsession"), std::string::npos);
        EXPECT_EQ(picture.find("Talvira"), std::string::npos);
    }

    // The rows: numbered from 1, the seed first with the most searches, counts as the
    // page writes them, every phrase cleaned of markup and entities.
    const KeywordList& list = window->Keywords();
    ASSERT_GE(list.CountRows(), 30);
    EXPECT_EQ(list.CellText(0, KeywordRow::Keywords), "golf clubs");
    for (int row = 0; row < list.CountRows(); ++row) {
        EXPECT_EQ(list.RowCaption(row), std::to_string(row + 1));
        const std::string& keywords = list.CellText(row, KeywordRow::Keywords);
        EXPECT_NE(keywords.find("golf clubs"), std::string::npos) << keywords;
        EXPECT_EQ(keywords.find_first_of("<>;\t"), std::string::npos) << keywords;
        EXPECT_TRUE(std::regex_match(list.CellText(row, KeywordRow::Searches), std::regex("[0-9]{1,3}(,[0-9]{3})*")))
            << list.CellText(row, KeywordRow::Searches);
        if (row > 0) {
            EXPECT_LE(NumberTextValue(list.CellText(row, KeywordRow::Searches)),
                      NumberTextValue(list.CellText(row - 1, KeywordRow::Searches)));
        }
    }
    EXPECT_EQ(Panel("SecondStatusPanel"), QString::number(list.CountRows()) + " items listed");
    EXPECT_EQ(Panel("MainStatusPanel"), "Process completed sucessfull!");
    EXPECT_EQ(Shown(0, 1), "golf clubs");

    // Sortable: a click on "Searches" puts the fewest searches first.
    const int rows = list.CountRows();
    QHeaderView* header = Table()->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(2) + 5, header->height() / 2));
    EXPECT_EQ(list.CellText(rows - 1, KeywordRow::Keywords), "golf clubs");
    for (int row = 1; row < rows; ++row)
        EXPECT_GE(NumberTextValue(list.CellText(row, KeywordRow::Searches)),
                  NumberTextValue(list.CellText(row - 1, KeywordRow::Searches)));
    EXPECT_EQ(Shown(rows - 1, 1), "golf clubs");
}

TEST_F(GatherKeywordsTest, ASessionThatPassedIsNotAskedAgainAndTheRowsAreAppendedTwice)
{
    SimulatorProcess simulator({"--characters", "KX7MA"});
    ASSERT_NE(simulator.Port(), 0);
    OpenWindow(simulator.Root(), "soccer");
    modal::AnswerNext(TypeInCaptcha("KX7MA", "btnOk"));
    Click("btnGatherKeyword");
    const int first = window->Keywords().CountRows();
    ASSERT_GT(first, 0);

    Click("btnGatherKeyword"); // the cookie the client kept: no dialog this time
    ASSERT_EQ(window->Keywords().CountRows(), 2 * first);
    EXPECT_EQ(window->Keywords().RowCaption(first), std::to_string(first + 1));
    EXPECT_EQ(window->Keywords().CellText(first, KeywordRow::Keywords), "soccer");
}

struct TargetCase {
    const char* MainKeyword;
    const char* Target;
};

class GatherKeywordsTargetTest : public GatherKeywordsTest, public testing::WithParamInterface<TargetCase> {};

TEST_P(GatherKeywordsTargetTest, TheSeedIsSentAsTypedWithSpacesAsPlus)
{
    ScriptedServer server({Answer(Page(ResultBody))});
    OpenWindow(Root(server), GetParam().MainKeyword);
    Click("btnGatherKeyword");
    ASSERT_TRUE(server.Finish());
    EXPECT_EQ(server.Received(0), ProgramRequestHead(GetParam().Target, "127.0.0.1:" + std::to_string(server.Port())));
    EXPECT_EQ(window->Keywords().CountRows(), 2);
}

INSTANTIATE_TEST_SUITE_P(
    Keywords, GatherKeywordsTargetTest,
    testing::Values(TargetCase{"golf clubs", "/?seed=golf+clubs&adult_filter=remove_offensive&suggest=Hit+Me"},
                    TargetCase{"c++ & b", "/?seed=c+++&+b&adult_filter=remove_offensive&suggest=Hit+Me"},
                    TargetCase{"%22x%22", "/?seed=%22x%22&adult_filter=remove_offensive&suggest=Hit+Me"},
                    // The client cuts a fragment: the fixed parameters go with it.
                    TargetCase{"c# tips", "/?seed=c"}));

TEST_F(GatherKeywordsTest, TheAnswerCarriesTheTypedTextAsTypedEvenAfterCancel)
{
    ScriptedServer server({Answer(Page(ChallengeBody("r1"))), Answer(Page(ChallengeBody("r2"))),
                           Answer(Page(ChallengeBody("r3"))), Answer(Page(ResultBody))});
    OpenWindow(Root(server), "golf clubs");
    modal::AnswerNext(TypeInCaptcha("ab cd+&", "btnCancel"));
    modal::AnswerNext(modal::ClickButton("OK"));
    modal::AnswerNext(TypeInCaptcha("", "btnCancel"));
    modal::AnswerNext(modal::ClickButton("OK"));
    modal::AnswerNext(TypeInCaptcha("k#z", "btnOk"));
    Click("btnGatherKeyword");
    ASSERT_TRUE(server.Finish());
    // The answer goes into the address as typed; the client then sends its blank escaped,
    // since a raw blank would end the request line early.
    EXPECT_EQ(RequestLine(server.Received(1)),
              "GET /keyword-suggestion-tool.html?password=ab%20cd+&&random=r1&seed=golf+clubs HTTP/1.1");
    EXPECT_EQ(RequestLine(server.Received(2)),
              "GET /keyword-suggestion-tool.html?password=&random=r2&seed=golf+clubs HTTP/1.1");
    // The client cuts a fragment: the random value and the seed go with it.
    EXPECT_EQ(RequestLine(server.Received(3)), "GET /keyword-suggestion-tool.html?password=k HTTP/1.1");
    EXPECT_EQ(window->Keywords().CountRows(), 2);
}

TEST_F(GatherKeywordsTest, CancelOnTheWrongPasswordQuestionEndsWithoutReading)
{
    ScriptedServer server({Answer(Page(ChallengeBody("r1"))), Answer(Page(ChallengeBody("r2") + ResultBody))});
    OpenWindow(Root(server), "golf clubs");
    QString question;
    modal::AnswerNext(TypeInCaptcha("x", "btnOk"));
    modal::AnswerNext(modal::Record(&question, modal::ClickButton("Cancel")));
    Click("btnGatherKeyword");
    ASSERT_TRUE(server.Finish());
    EXPECT_EQ(question, WrongPassword);
    EXPECT_EQ(server.ConnectionCount(), 2u);
    EXPECT_EQ(window->Keywords().CountRows(), 0);
    EXPECT_EQ(Panel("SecondStatusPanel"), "0 item listed");
}

// The page before a dialog was read in full; while the dialog waits for the user the
// gauge must not read as if the command were done.
TEST_F(GatherKeywordsTest, TheGaugeDoesNotReadDoneWhileADialogWaits)
{
    ScriptedServer server({Answer(Page(ChallengeBody("r1"))), Answer(Page(ChallengeBody("r2") + ResultBody))});
    OpenWindow(Root(server), "golf clubs");
    auto* gauge = window->findChild<QProgressBar*>("MainGauge");
    std::vector<QString> shown;
    const auto record = [&] { shown.push_back(gauge->text()); };
    modal::AnswerNext([&](QWidget* dialog) {
        record();
        TypeInCaptcha("x", "btnOk")(dialog);
    });
    modal::AnswerNext([&](QWidget* dialog) {
        record();
        modal::ClickButton("Cancel")(dialog);
    });
    Click("btnGatherKeyword");
    ASSERT_TRUE(server.Finish());
    EXPECT_EQ(shown, (std::vector<QString>{"0%", "0%"}));
}

TEST_F(GatherKeywordsTest, AFailedAnswerFetchEndsWithTheStatusSayingWhy)
{
    ScriptedServer server({Answer(Page(ChallengeBody("r1"))),
                           Answer("HTTP/1.1 500 Internal Server Error\r\nContent-Length: 5\r\n\r\noops!")});
    OpenWindow(Root(server), "golf clubs");
    modal::AnswerNext(TypeInCaptcha("x", "btnOk"));
    Click("btnGatherKeyword");
    ASSERT_TRUE(server.Finish());
    EXPECT_EQ(window->Keywords().CountRows(), 0);
    EXPECT_EQ(Panel("MainStatusPanel"), ConnectionError);

    // The next command clears the flag the failure set.
    ScriptedServer again({Answer(Page(ResultBody))});
    window.reset();
    OpenWindow(Root(again), "golf clubs");
    Click("btnGatherKeyword");
    EXPECT_EQ(window->Keywords().CountRows(), 2);
}

TEST_F(GatherKeywordsTest, NumbersGoOnFromTheTenRowsListed)
{
    ScriptedServer server({Answer(Page(ResultBody))});
    OpenWindow(Root(server), "golf clubs");
    for (int i = 1; i <= 10; ++i)
        window->Keywords().AppendRow(i, "kept", "");
    Click("btnGatherKeyword");
    ASSERT_EQ(window->Keywords().CountRows(), 12);
    EXPECT_EQ(window->Keywords().RowCaption(10), "11");
    EXPECT_EQ(window->Keywords().CellText(10, KeywordRow::Keywords), "golf clubs");
    EXPECT_EQ(window->Keywords().CellText(11, KeywordRow::Keywords), "golf bags");
    EXPECT_EQ(window->Keywords().CellText(11, KeywordRow::Searches), "340");
    EXPECT_EQ(Panel("SecondStatusPanel"), "12 items listed");
    EXPECT_EQ(Shown(10, 0), "11");
}

TEST_F(GatherKeywordsTest, WithoutAMainKeywordNothingIsFetched)
{
    ScriptedServer server({});
    OpenWindow(Root(server), "");
    QString message;
    modal::AnswerNext(modal::Record(&message, modal::ClickButton("OK")));
    Click("btnGatherKeyword");
    EXPECT_EQ(message, "Please enter a main keyword before gather keywords.");
    EXPECT_EQ(server.ConnectionCount(), 0u);
}

TEST_F(GatherKeywordsTest, ARefusedPictureAddressIsReportedWhileTheDialogOpens)
{
    ScriptedServer server({Answer(Page(ChallengeBody("r1", "javascript:alert(1)"))), Answer(Page(ResultBody))});
    OpenWindow(Root(server), "golf clubs");
    std::string random;
    std::vector<std::string> errorsWhileOpen;
    modal::AnswerNext([&](QWidget* dialog) {
        errorsWhileOpen = errors;
        TypeInCaptcha("x", "btnOk", &random)(dialog);
    });
    Click("btnGatherKeyword");
    ASSERT_TRUE(server.Finish());
    ASSERT_EQ(errorsWhileOpen.size(), 1u);
    EXPECT_NE(errorsWhileOpen[0].find("javascript:alert(1)"), std::string::npos);
    EXPECT_EQ(random, "r1");
    EXPECT_EQ(RequestLine(server.Received(1)),
              "GET /keyword-suggestion-tool.html?password=x&random=r1&seed=golf+clubs HTTP/1.1");
    EXPECT_EQ(window->Keywords().CountRows(), 2);
}

// A relative picture address is read from the address of the page that held it, the
// redirect that led there included, and asked for on the wire as the page wrote it.
TEST_F(GatherKeywordsTest, ARelativePictureAddressIsReadFromThePagesAddress)
{
    ScriptedServer server({
        Answer("HTTP/1.1 302 Found\r\nLocation: /tool/challenge.html?from=seed\r\nContent-Length: 0\r\n\r\n"),
        Answer(Page(ChallengeBody("r1", "../pics/caf\xE9.png?r=r1&amp;t=s"))),
        Answer("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n"),
        Answer(Page(ResultBody)),
    });
    OpenWindow(Root(server), "golf clubs");
    std::string shownAddress;
    modal::AnswerNext([&](QWidget* dialog) {
        auto* captcha = dynamic_cast<TfrmCaptcha*>(dialog);
        ASSERT_NE(captcha, nullptr);
        shownAddress = captcha->ImageURL();
        // The answer goes out once the picture's request has been made and answered.
        auto* view = captcha->findChild<SecurityImageView*>("EmbeddedWB1");
        EXPECT_TRUE(QTest::qWaitFor([view] { return !view->Loading(); }, 20000));
        TypeInCaptcha("x", "btnOk")(dialog);
    });
    Click("btnGatherKeyword");
    ASSERT_TRUE(server.Finish());
    EXPECT_EQ(shownAddress, Root(server) + "/pics/caf\xE9.png?r=r1&t=s");
    EXPECT_EQ(RequestLine(server.Received(2)), "GET /pics/caf%E9.png?r=r1&t=s HTTP/1.1");
    EXPECT_EQ(RequestLine(server.Received(3)),
              "GET /keyword-suggestion-tool.html?password=x&random=r1&seed=golf+clubs HTTP/1.1");
    EXPECT_EQ(window->Keywords().CountRows(), 2);
    EXPECT_TRUE(errors.empty());
}

TEST_F(GatherKeywordsTest, OtherCommandsWaitWhileItRuns)
{
    ScriptedServer server({{ScriptStep::ReadUntil("\r\n\r\n"), ScriptStep::Hold("suggestions"),
                            ScriptStep::Send(Page(ResultBody)), ScriptStep::Close()}});
    OpenWindow(Root(server), "golf clubs");
    window->Keywords().AppendRow(1, "kept", "");
    window->Keywords().SetRowTicked(0, true);
    std::map<std::string, bool> enabled;
    std::vector<std::string> dialogsOpened;
    DuringTheRun(window.get(), [&] { return server.IsHolding("suggestions"); },
                 [&] {
                     for (QPushButton* button : window->findChildren<QPushButton*>())
                         enabled[button->objectName().toStdString()] = button->isEnabled();
                     // Clicks that slipped through before the buttons went off: each is
                     // refused, nothing opens and no row goes. A dialog that opens anyway is
                     // closed at once and noted.
                     QTimer guard;
                     QObject::connect(&guard, &QTimer::timeout, [&] {
                         if (QWidget* dialog = QApplication::activeModalWidget()) {
                             dialogsOpened.push_back(dialog->objectName().toStdString());
                             dialog->close();
                         }
                     });
                     guard.start(1);
                     for (const char* name : {"btnGatherKeyword", "btnGatherData", "btnMainKeyword", "btnAddKeyword",
                                              "btnSaveResults", "bsSkinButton3", "bsSkinButton4"})
                         emit Button(name)->clicked();
                     emit Table()->horizontalHeader()->sectionClicked(1);
                     server.Release("suggestions");
                 });
    Click("btnGatherKeyword");
    ASSERT_TRUE(server.Finish());
    EXPECT_EQ(server.ConnectionCount(), 1u);
    EXPECT_TRUE(dialogsOpened.empty()) << dialogsOpened.front();
    for (const char* off : {"btnMainKeyword", "btnGatherKeyword", "btnAddKeyword", "btnGatherData", "btnSaveResults",
                            "bsSkinButton3", "bsSkinButton4"})
        EXPECT_FALSE(enabled[off]) << off;
    ASSERT_EQ(window->Keywords().CountRows(), 3);
    EXPECT_EQ(window->Keywords().CellText(0, KeywordRow::Keywords), "kept");
    EXPECT_EQ(window->Keywords().CellText(1, KeywordRow::Keywords), "golf clubs");
    for (QPushButton* button : window->findChildren<QPushButton*>())
        EXPECT_TRUE(button->isEnabled()) << button->objectName().toStdString() << " after the run";
}

// A close stops the command where it stands; the window goes once it has returned.
TEST_F(GatherKeywordsTest, CloseWhileTheSuggestionsAreFetched)
{
    ScriptedServer server({{ScriptStep::ReadUntil("\r\n\r\n"), ScriptStep::Hold("suggestions"), ScriptStep::Close()},
                           Answer(Page(ResultBody))});
    OpenWindow(Root(server), "golf clubs");
    bool closeRefused = false;
    DuringTheRun(window.get(), [&] { return server.IsHolding("suggestions"); },
                 [&] {
                     closeRefused = !window->close();
                     server.Release("suggestions");
                 });
    Click("btnGatherKeyword");
    QCoreApplication::processEvents();
    EXPECT_TRUE(closeRefused) << "the window went while the command was on the stack";
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(server.ConnectionCount(), 1u);
    EXPECT_EQ(window->Keywords().CountRows(), 0);
}

TEST_F(GatherKeywordsTest, CloseWhileTheSecurityImageIsAskedForSendsNoAnswer)
{
    ScriptedServer server({Answer(Page(ChallengeBody("r1"))), Answer(Page(ResultBody))});
    OpenWindow(Root(server), "golf clubs");
    modal::AnswerNext([this](QWidget* dialog) {
        window->close();
        TypeInCaptcha("KX7MA", "btnOk")(dialog);
    });
    Click("btnGatherKeyword");
    QCoreApplication::processEvents();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(server.ConnectionCount(), 1u);
    EXPECT_EQ(window->Keywords().CountRows(), 0);
}

} // namespace
