// A close during Gather Data with rows never saved, answered each way; Escape as Stop;
// where the run is, in the status bar.
#include "gather_window.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>

namespace {

// The second row's Yahoo request waits at "held" until the test releases it.
std::vector<Script> HeldAtRowTwo()
{
    std::vector<Script> scripts = AnswersForRows(1);
    scripts.push_back(Answer(GooglePage));
    scripts.push_back({ScriptStep::ReadUntil("\r\n\r\n"), ScriptStep::Hold("held"), ScriptStep::Send(YahooPage),
                       ScriptStep::Close()});
    scripts.push_back(Answer(MsnPage));
    for (const Script& rest : AnswersForRows(1))
        scripts.push_back(rest);
    return scripts;
}

class CloseDuringRunTest : public GatherWindowTest {
protected:
    // At the held request: answers the close question with `answer` (and the dialog that
    // follows with `then`), closes, then lets the server go on.
    void CloseWhenHeld(ScriptedServer& server, const QString& answer, modal::Answer then = nullptr)
    {
        DuringTheRun(window.get(), [&server] { return server.IsHolding("held"); },
                     [this, &server, answer, then] {
                         modal::AnswerNext(modal::Record(&question, modal::ClickButton(answer)));
                         if (then)
                             modal::AnswerNext(then);
                         closeAccepted = window->close();
                         QMetaObject::invokeMethod(qApp, [&server] { server.Release("held"); },
                                                   Qt::QueuedConnection);
                     });
    }

    // Answers the save dialog with a file in the test's folder, or cancels it.
    modal::Answer SaveDialog(bool confirm)
    {
        return [this, confirm](QWidget* dialog) {
            auto* chooser = qobject_cast<QFileDialog*>(dialog);
            ASSERT_NE(chooser, nullptr);
            saveDialogShown = true;
            rowsWhenSaving = window->Keywords().CountRows();
            if (!confirm) {
                chooser->reject();
                return;
            }
            chooser->setDirectory(QString::fromStdString(folder.string()));
            auto* name = chooser->findChild<QLineEdit*>("fileNameEdit");
            name->clear();
            QTest::keyClicks(name, "run");
            QPushButton* save = chooser->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Save);
            ASSERT_TRUE(QTest::qWaitFor([save] { return save->isEnabled(); }, 10000));
            QTest::mouseClick(save, Qt::LeftButton);
        };
    }

    void SetUp() override { std::filesystem::create_directories(folder); }
    void TearDown() override
    {
        GatherWindowTest::TearDown();
        std::filesystem::remove_all(folder);
    }

    QString question;
    bool closeAccepted = true;
    bool saveDialogShown = false;
    int rowsWhenSaving = -1;
    std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("talvira-close-" + std::to_string(::getpid()));
};

TEST_F(CloseDuringRunTest, CancelKeepsTheWindowAndTheRunGoesOn)
{
    ScriptedServer server(HeldAtRowTwo());
    OpenWindow(Root(server), {"a", "b", "c"});
    CloseWhenHeld(server, "Cancel");
    GatherData();
    ASSERT_TRUE(server.Finish());
    EXPECT_EQ(question, "Save the results before closing?");
    EXPECT_FALSE(closeAccepted);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(server.ConnectionCount(), 9u);
    EXPECT_EQ(Counts(2), (std::vector<std::string>{"1,100", "2,200", "3,300"}));
}

TEST_F(CloseDuringRunTest, DiscardStopsTheRunAndClosesWithNoRequestAfter)
{
    ScriptedServer server(HeldAtRowTwo());
    OpenWindow(Root(server), {"a", "b", "c"});
    CloseWhenHeld(server, "Discard");
    GatherData();
    QCoreApplication::processEvents(); // the close waiting for the run to return
    EXPECT_FALSE(closeAccepted);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(server.ConnectionCount(), 5u);
    EXPECT_EQ(Counts(1), (std::vector<std::string>{"1,100", "", ""}));
    EXPECT_EQ(Counts(2), (std::vector<std::string>{"", "", ""}));
}

TEST_F(CloseDuringRunTest, SaveStopsTheRunThenSavesWhatItGatheredAndCloses)
{
    ScriptedServer server(HeldAtRowTwo());
    OpenWindow(Root(server), {"a", "b", "c"});
    CloseWhenHeld(server, "Save", SaveDialog(true));
    GatherData();
    QCoreApplication::processEvents();
    EXPECT_TRUE(saveDialogShown);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(server.ConnectionCount(), 5u);
    std::ifstream saved(folder / "run.csv", std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(saved)), {});
    EXPECT_NE(text.find("\"2\",\"b\",\"\",\"1,100\",\"\",\"\"\r\n"), std::string::npos) << text;
}

TEST_F(CloseDuringRunTest, ASaveCancelledKeepsTheWindowWithItsCommandsBack)
{
    ScriptedServer server(HeldAtRowTwo());
    OpenWindow(Root(server), {"a", "b", "c"});
    CloseWhenHeld(server, "Save", SaveDialog(false));
    GatherData();
    QCoreApplication::processEvents();
    EXPECT_TRUE(saveDialogShown);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(server.ConnectionCount(), 5u);
    for (QPushButton* button : window->findChildren<QPushButton*>())
        EXPECT_TRUE(button->isEnabled()) << button->objectName().toStdString();
    EXPECT_EQ(Button("btnGatherData")->text(), "Gather Data");
}

TEST_F(CloseDuringRunTest, EscapeStopsTheRun)
{
    ScriptedServer server(HeldAtRowTwo());
    OpenWindow(Root(server), {"a", "b", "c"});
    DuringTheRun(window.get(), [&server] { return server.IsHolding("held"); },
                 [this, &server] {
                     // The window is active again after the search type dialog, as a user has it.
                     window->activateWindow();
                     EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
                     QWidget* focus = QApplication::focusWidget();
                     QTest::keyClick(focus ? focus : window.get(), Qt::Key_Escape);
                     QMetaObject::invokeMethod(qApp, [&server] { server.Release("held"); }, Qt::QueuedConnection);
                 });
    GatherData();
    EXPECT_EQ(server.ConnectionCount(), 5u);
    EXPECT_EQ(Counts(2), (std::vector<std::string>{"", "", ""}));
    EXPECT_EQ(Button("btnGatherData")->text(), "Gather Data");
}

TEST_F(CloseDuringRunTest, TheStatusBarSaysWhichRowIsAsked)
{
    ScriptedServer server(HeldAtRowTwo());
    OpenWindow(Root(server), {"a", "b", "c"});
    auto* position = window->findChild<QLabel*>("RunRowPanel");
    ASSERT_NE(position, nullptr);
    EXPECT_FALSE(position->isVisible());
    QString during, fetching;
    bool shown = false;
    DuringTheRun(window.get(), [&server] { return server.IsHolding("held"); },
                 [&] {
                     during = position->text();
                     shown = position->isVisible();
                     fetching = MainStatus();
                     QMetaObject::invokeMethod(qApp, [&server] { server.Release("held"); }, Qt::QueuedConnection);
                 });
    GatherData();
    ASSERT_TRUE(server.Finish());
    EXPECT_EQ(during, "Row 2 of 3");
    EXPECT_TRUE(shown);
    EXPECT_TRUE(fetching.startsWith("Getting URL: ")) << fetching.toStdString();
    EXPECT_FALSE(position->isVisible());
}

} // namespace
