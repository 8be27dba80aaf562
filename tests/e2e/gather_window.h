// The main window as a user has it for Gather Data: settings beside the program pointing
// the engines at a local root, a fresh window, keywords in the table, and the clicks and
// looks a test makes during a run.
#pragma once

#include "core/file_system.h"
#include "gui/main_window.h"
#include "support/gui/modal_answerer.h"
#include "support/net/scripted_server.h"
#include "window_events.h"

#include <QApplication>
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
#include <memory>
#include <string>
#include <vector>

inline std::string Page(const std::string& body)
{
    return "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\n\r\n" + body;
}

inline const std::string GooglePage = Page("<html><font size=-1>Results 1 - 10 of about <b>1,100</b> for x</html>");
inline const std::string YahooPage = Page("<html><p class=\"infotext\">1 - 10 of 2,200 for x</p></html>");
inline const std::string MsnPage = Page("<html><span id=\"count\">1-10 of 3,300</span></html>");

inline Script Answer(const std::string& response)
{
    return {ScriptStep::ReadUntil("\r\n\r\n"), ScriptStep::Send(response), ScriptStep::Close()};
}

// Each row asked of the three engines, in order.
inline std::vector<Script> AnswersForRows(int rows)
{
    std::vector<Script> scripts;
    for (int row = 0; row < rows; ++row)
        for (const std::string* page : {&GooglePage, &YahooPage, &MsnPage})
            scripts.push_back(Answer(*page));
    return scripts;
}

inline std::string RequestLine(const std::string& received)
{
    return received.substr(0, received.find("\r\n"));
}

inline std::string Root(const ScriptedServer& server)
{
    return "http://127.0.0.1:" + std::to_string(server.Port());
}

class GatherWindowTest : public testing::Test {
protected:
    void TearDown() override
    {
        dialogGuard.reset();
        window.reset();
        std::filesystem::remove(Settings());
        EXPECT_EQ(modal::PendingAnswers(), 0) << "a dialog that was expected did not open";
        modal::Reset();
    }

    static std::string Settings() { return ExecutableDirectory() + "dbconfig.dat"; }

    // caFile, when given, becomes the CAFile of the settings. The engines are asked one
    // after another ("Lanes=0"): a scripted server answers its connections in a fixed
    // order, and these tests hold the requests on the wire to that order. The engines side
    // by side have tests of their own (gather_lanes_test.cpp).
    void OpenWindow(const std::string& root, const std::vector<std::string>& keywords, const std::string& caFile = {})
    {
        OpenWindowWithSettings(EngineSettings(root) + "Lanes=0\n" + (caFile.empty() ? "" : "CAFile=" + caFile + "\n"),
                               keywords);
    }

    static std::string EngineSettings(const std::string& root)
    {
        return "[Services]\nGoogleURL=" + root + "\nYahooURL=" + root + "\nMsnURL=" + root + "\n";
    }

    void OpenWindowWithSettings(const std::string& settings, const std::vector<std::string>& keywords)
    {
        std::ofstream(Settings(), std::ios::binary) << settings;
        window = std::make_unique<TfrmMain>();
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        for (const std::string& keyword : keywords)
            window->Keywords().AppendRow(window->Keywords().CountRows() + 1, keyword, "");
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

    // From now on every modal dialog that opens is closed at once and its name recorded:
    // no dialog may open in the middle of a run.
    void RefuseDialogs()
    {
        dialogGuard = std::make_unique<QTimer>();
        dialogGuard->setInterval(1);
        QObject::connect(dialogGuard.get(), &QTimer::timeout, [this] {
            if (QWidget* dialog = QApplication::activeModalWidget()) {
                unexpectedDialogs.push_back(dialog->objectName().toStdString());
                dialog->close();
            }
        });
        dialogGuard->start();
    }
    void AllowDialogs() { dialogGuard.reset(); }

    std::vector<std::string> Counts(int row)
    {
        const KeywordList& list = window->Keywords();
        return {list.CellText(row, KeywordRow::Google), list.CellText(row, KeywordRow::Yahoo),
                list.CellText(row, KeywordRow::Msn)};
    }

    QString MainStatus() { return window->findChild<QLabel*>("MainStatusPanel")->text(); }
    bool SortingOn() { return window->findChild<QTableView*>("lvwItems")->horizontalHeader()->sectionsClickable(); }

    std::unique_ptr<TfrmMain> window;
    std::unique_ptr<QTimer> dialogGuard;
    std::vector<std::string> unexpectedDialogs;
};
