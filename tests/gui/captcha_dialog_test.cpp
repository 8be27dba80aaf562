// The security image dialog on its own: the values read when it is shown, the picture
// fetched in the background from the service simulator, refused and failed addresses,
// Refresh, and the buttons.
#include "gui/application.h"
#include "gui/dialogs/captcha_dialog.h"
#include "gui/dialogs/security_image_view.h"
#include "net/ssl_session.h"
#include "support/core/recording_ui.h"
#include "support/gui/modal_answerer.h"
#include "support/net/scripted_server.h"
#include "support/sim/simulator_process.h"

#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>
#include <openssl/ssl.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace {

std::string ChallengePage(const std::string& imageAddress)
{
    return "<p><b>Please enter the characters in the image</b> below.</p>\r\n"
           "<input type=\"hidden\" name=\"random\" value=\"0123abcd\">\r\n"
           "<input type=\"hidden\" name=\"seed\" value=\"golf+clubs\">\r\n"
           "<p><img src=\"" + imageAddress + "\" width=\"200\" height=\"70\"></p>\r\n";
}

class CaptchaDialogTest : public testing::Test {
protected:
    void SetUp() override
    {
        Application()->SetErrorReporter([this](const std::string& message) { errors.push_back(message); });
    }

    void TearDown() override
    {
        QCoreApplication::processEvents();
        Application()->SetErrorReporter(nullptr);
        EXPECT_EQ(modal::PendingAnswers(), 0) << "a dialog that was expected did not open";
        modal::Reset();
        std::filesystem::remove(log);
    }

    static TalviraApplication* Application() { return static_cast<TalviraApplication*>(QCoreApplication::instance()); }

    // Shows the dialog for the page the way the window does, without waiting in it.
    void Show(const std::string& page)
    {
        dialog.SetPageText(page);
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        QCoreApplication::processEvents(); // errors are reported from the event loop
    }

    SecurityImageView* View() { return dialog.findChild<SecurityImageView*>("EmbeddedWB1"); }

    bool PictureSettled()
    {
        return QTest::qWaitFor([this] { return !View()->Loading(); }, 20000);
    }

    // The request lines of the simulator's log that ask for the picture, with their heads.
    std::vector<std::string> PictureRequests()
    {
        std::ifstream file(log);
        std::stringstream text;
        text << file.rdbuf();
        std::vector<std::string> heads;
        const std::string all = text.str();
        for (size_t at = all.find("GET /captcha.png"); at != std::string::npos; at = all.find("GET /captcha.png", at + 1))
            heads.push_back(all.substr(at, all.find("\r\n\r\n", at) - at));
        return heads;
    }

    std::string log = (std::filesystem::temp_directory_path() / ("talvira-captcha-" + std::to_string(::getpid()))).string();
    ScriptedPrompter prompter;
    TfrmCaptcha dialog{nullptr, prompter};
    std::vector<std::string> errors;
};

TEST_F(CaptchaDialogTest, ShowingReadsTheChallengeAndThePictureArrivesFromItsOwnClient)
{
    SimulatorProcess simulator({"--log", log, "--characters", "KX7MA"});
    ASSERT_NE(simulator.Port(), 0);
    Show(ChallengePage(simulator.Root() + "/captcha.png?random=0123abcd&amp;type=security"));

    EXPECT_EQ(dialog.Random(), "0123abcd");
    EXPECT_EQ(dialog.Seed(), "golf+clubs");
    EXPECT_EQ(dialog.ImageURL(), simulator.Root() + "/captcha.png?random=0123abcd&type=security");
    ASSERT_TRUE(PictureSettled());
    ASSERT_TRUE(View()->HasPicture());
    EXPECT_EQ(View()->pixmap().size(), QSize(200, 70));
    EXPECT_TRUE(errors.empty());

    const std::vector<std::string> requests = PictureRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_TRUE(requests[0].starts_with("GET /captcha.png?random=0123abcd&type=security HTTP/1.1")) << requests[0];
    EXPECT_EQ(requests[0].find("Talvira"), std::string::npos) << "not the program's HTTP client: " << requests[0];
}

// The picture of a service whose certificate comes from the settings' CAFile shows over
// https when the dialog trusts that authority, and not otherwise.
TEST_F(CaptchaDialogTest, AnHttpsPictureNeedsTheTrustedAuthority)
{
    SimulatorProcess simulator;
    ASSERT_FALSE(simulator.HttpsRoot().ends_with(":0"));
    const std::string page = ChallengePage(simulator.HttpsRoot() + "/captcha.png?random=0123abcd");
    Show(page);
    ASSERT_TRUE(PictureSettled());
    EXPECT_FALSE(View()->HasPicture()) << "an unknown authority is not trusted";

    TfrmCaptcha trusting(nullptr, prompter);
    trusting.TrustAuthorities(simulator.CAFile());
    trusting.SetPageText(page);
    trusting.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&trusting));
    auto* view = trusting.findChild<SecurityImageView*>("EmbeddedWB1");
    ASSERT_TRUE(QTest::qWaitFor([view] { return !view->Loading(); }, 20000));
    EXPECT_TRUE(view->HasPicture());
    EXPECT_TRUE(errors.empty());
}

// A CA file the program's client cannot use is reported in the client's own words when
// an https picture is to be shown; an http picture needs no authority and shows.
TEST_F(CaptchaDialogTest, AnUnusableCAFileIsReportedAsTheClientReportsIt)
{
    SimulatorProcess simulator;
    ASSERT_NE(simulator.Port(), 0);
    const std::filesystem::path noCertificate =
        std::filesystem::temp_directory_path() / ("talvira-no-ca-" + std::to_string(::getpid()) + ".pem");
    std::ofstream(noCertificate) << "not a certificate\n";
    for (const std::string& caFile : {std::string("/no/such/folder/ca.pem"), noCertificate.string()}) {
        std::string clientSays;
        try {
            SSL_CTX_free(NewClientContext(caFile));
        } catch (const std::exception& refused) {
            clientSays = refused.what();
        }
        ASSERT_NE(clientSays, "") << caFile;

        errors.clear();
        ScriptedPrompter quiet;
        TfrmCaptcha secure(nullptr, quiet);
        secure.TrustAuthorities(caFile);
        secure.SetPageText(ChallengePage(simulator.HttpsRoot() + "/captcha.png?random=0123abcd"));
        secure.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&secure));
        QCoreApplication::processEvents();
        auto* view = secure.findChild<SecurityImageView*>("EmbeddedWB1");
        EXPECT_FALSE(view->Loading()) << caFile;
        EXPECT_EQ(errors, (std::vector<std::string>{clientSays}));
        EXPECT_EQ(secure.Random(), "0123abcd");

        errors.clear();
        TfrmCaptcha plain(nullptr, quiet);
        plain.TrustAuthorities(caFile);
        plain.SetPageText(ChallengePage(simulator.Root() + "/captcha.png?random=0123abcd"));
        plain.show();
        auto* plainView = plain.findChild<SecurityImageView*>("EmbeddedWB1");
        ASSERT_TRUE(QTest::qWaitFor([plainView] { return !plainView->Loading(); }, 20000));
        EXPECT_TRUE(plainView->HasPicture()) << caFile;
        EXPECT_TRUE(errors.empty()) << caFile;
    }
    std::filesystem::remove(noCertificate);
}

TEST_F(CaptchaDialogTest, RefreshLoadsThePictureAgain)
{
    SimulatorProcess simulator({"--log", log});
    ASSERT_NE(simulator.Port(), 0);
    Show(ChallengePage(simulator.Root() + "/captcha.png?random=0123abcd"));
    ASSERT_TRUE(PictureSettled());
    QTest::mouseClick(dialog.findChild<QPushButton*>("bsSkinButton1"), Qt::LeftButton);
    ASSERT_TRUE(PictureSettled());
    EXPECT_TRUE(View()->HasPicture());
    EXPECT_EQ(PictureRequests().size(), 2u);
    EXPECT_TRUE(errors.empty());
}

TEST_F(CaptchaDialogTest, RefusedAddressesAreReportedWhileTheDialogOpensWithItsValues)
{
    for (const char* address : {"javascript:alert(1)", "file:///etc/passwd", "data:image/png;base64,iVBORw0KGgo=",
                                "ftp://127.0.0.1/x.png", "about:blank"}) {
        errors.clear();
        ScriptedPrompter quiet;
        TfrmCaptcha refused(nullptr, quiet);
        refused.SetPageText(ChallengePage(address));
        refused.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&refused));
        QCoreApplication::processEvents();

        EXPECT_TRUE(refused.isVisible()) << address;
        EXPECT_EQ(refused.Random(), "0123abcd") << address;
        EXPECT_EQ(refused.Seed(), "golf+clubs") << address;
        ASSERT_EQ(errors.size(), 1u) << address;
        EXPECT_NE(errors[0].find(address), std::string::npos) << errors[0];
        EXPECT_FALSE(refused.findChild<SecurityImageView*>("EmbeddedWB1")->HasPicture()) << address;

        QTest::mouseClick(refused.findChild<QPushButton*>("bsSkinButton1"), Qt::LeftButton);
        QCoreApplication::processEvents();
        EXPECT_EQ(errors.size(), 1u) << "Refresh says nothing: " << address;
    }
}

TEST_F(CaptchaDialogTest, NoAddressShowsNoPictureAndNoMessage)
{
    Show("<input type=\"hidden\" name=\"random\" value=\"1\"><input type=\"hidden\" name=\"seed\" value=\"s\">");
    EXPECT_EQ(dialog.ImageURL(), "");
    EXPECT_FALSE(View()->Loading());
    EXPECT_FALSE(View()->HasPicture());
    QTest::mouseClick(dialog.findChild<QPushButton*>("bsSkinButton1"), Qt::LeftButton);
    QCoreApplication::processEvents();
    EXPECT_FALSE(View()->Loading());
    EXPECT_TRUE(errors.empty());
}

TEST_F(CaptchaDialogTest, AFailedLoadLeavesTheAreaEmptyWithoutAMessage)
{
    SimulatorProcess simulator;
    ASSERT_NE(simulator.Port(), 0);
    const std::string failing[] = {
        simulator.Root() + "/captcha.png?random=XYZ",             // 404
        simulator.Root() + "/search?q=golf",                      // a page, not a picture
        "http://127.0.0.1:" + std::to_string(RefusingPort()) + "/captcha.png", // nobody listens
        "http://no-such-host.invalid/captcha.png",
    };
    for (const std::string& address : failing) {
        ScriptedPrompter quiet;
        TfrmCaptcha failed(nullptr, quiet);
        failed.SetPageText(ChallengePage(address));
        failed.show();
        auto* view = failed.findChild<SecurityImageView*>("EmbeddedWB1");
        ASSERT_TRUE(QTest::qWaitFor([view] { return !view->Loading(); }, 20000)) << address;
        EXPECT_FALSE(view->HasPicture()) << address;
        QTest::mouseClick(failed.findChild<QPushButton*>("bsSkinButton1"), Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitFor([view] { return !view->Loading(); }, 20000)) << address;
        EXPECT_FALSE(view->HasPicture()) << address;
    }
    EXPECT_TRUE(errors.empty());
}

TEST_F(CaptchaDialogTest, RedirectsAreFollowedOnlyToWebAddresses)
{
    SimulatorProcess simulator;
    ASSERT_NE(simulator.Port(), 0);
    const std::string picture = simulator.Root() + "/captcha.png?random=0123abcd";
    const std::filesystem::path file = std::filesystem::temp_directory_path() / ("talvira-local-" + std::to_string(::getpid()) + ".png");
    QImage local(50, 20, QImage::Format_RGB32);
    local.fill(Qt::red);
    ASSERT_TRUE(local.save(QString::fromStdString(file.string()), "PNG"));
    auto redirect = [](const std::string& location) {
        return Script{ScriptStep::ReadUntil("\r\n\r\n"),
                      ScriptStep::Send("HTTP/1.1 302 Found\r\nLocation: " + location + "\r\nContent-Length: 0\r\n\r\n"),
                      ScriptStep::Close()};
    };
    // A server each: one waits for its connection to be closed before it takes the next.
    ScriptedServer toSimulator({redirect(picture)});
    ScriptedServer toFile({redirect("file://" + file.string())});

    Show(ChallengePage("http://127.0.0.1:" + std::to_string(toSimulator.Port()) + "/moved.png"));
    ASSERT_TRUE(PictureSettled());
    EXPECT_TRUE(View()->HasPicture()) << "to the simulator's picture";

    ScriptedPrompter quiet;
    TfrmCaptcha local2(nullptr, quiet);
    local2.SetPageText(ChallengePage("http://127.0.0.1:" + std::to_string(toFile.Port()) + "/to-a-file.png"));
    local2.show();
    auto* view = local2.findChild<SecurityImageView*>("EmbeddedWB1");
    ASSERT_TRUE(QTest::qWaitFor([view] { return !view->Loading(); }, 20000));
    EXPECT_FALSE(view->HasPicture()) << "a local file must never be shown";
    EXPECT_TRUE(errors.empty());
    std::filesystem::remove(file);
}

TEST_F(CaptchaDialogTest, APictureStillOnItsWayNeverHoldsTheDialog)
{
    ScriptedServer server({{ScriptStep::ReadUntil("\r\n\r\n"), ScriptStep::Hold("picture"), ScriptStep::Close()}});
    modal::AnswerNext([](QWidget* shown) {
        auto* box = shown->findChild<QLineEdit*>("edtPassword");
        QTest::keyClicks(box, "kx7ma");
        QTest::mouseClick(shown->findChild<QPushButton*>("btnOk"), Qt::LeftButton);
    });
    dialog.SetPageText(ChallengePage("http://127.0.0.1:" + std::to_string(server.Port()) + "/slow.png"));
    EXPECT_EQ(dialog.exec(), mrOk);
    EXPECT_TRUE(View()->Loading()) << "the server has not answered yet";
    EXPECT_EQ(dialog.PasswordText(), "kx7ma");
    server.Release("picture");
}

TEST_F(CaptchaDialogTest, OkNeedsSomeTextAndCancelKeepsWhatWasTyped)
{
    struct Case {
        const char* Typed;
        const char* Button;
        int Result;
        size_t Refusals;
    };
    const Case cases[] = {
        {"", "Ok", mrCancel, 1}, // refused, then closed with the caption bar's close
        {" ", "Ok", mrOk, 0},
        {"ab cd", "Ok", mrOk, 0},
        {"", "Cancel", mrCancel, 0},
        {"typed", "Cancel", mrCancel, 0},
    };
    for (const Case& c : cases) {
        ScriptedPrompter asked;
        TfrmCaptcha shown(nullptr, asked);
        shown.SetPageText(ChallengePage(""));
        modal::AnswerNext([c](QWidget* open) {
            QTest::keyClicks(open->findChild<QLineEdit*>("edtPassword"), c.Typed);
            QTest::mouseClick(open->findChild<QPushButton*>(c.Button == std::string("Ok") ? "btnOk" : "btnCancel"),
                              Qt::LeftButton);
            if (open->isVisible())
                open->close();
        });
        EXPECT_EQ(shown.exec(), c.Result) << c.Typed << " " << c.Button;
        EXPECT_EQ(shown.PasswordText(), c.Typed);
        ASSERT_EQ(asked.Asked.size(), c.Refusals) << c.Typed << " " << c.Button;
        if (c.Refusals > 0) {
            EXPECT_EQ(asked.Asked[0].Text, "Please enter a password.");
            EXPECT_EQ(asked.Asked[0].Buttons, MessageButtons::Ok);
        }
    }
}

TEST_F(CaptchaDialogTest, EnterInTheBoxIsOkAndTheBoxHasTheFocus)
{
    dialog.SetPageText(ChallengePage(""));
    modal::AnswerNext([](QWidget* open) {
        EXPECT_EQ(open->focusWidget(), open->findChild<QLineEdit*>("edtPassword"));
        QTest::keyClicks(open->focusWidget(), "KX7MA");
        QTest::keyClick(open->focusWidget(), Qt::Key_Return);
    });
    EXPECT_EQ(dialog.exec(), mrOk);
    EXPECT_EQ(dialog.PasswordText(), "KX7MA");
}

} // namespace
