// The list tools on a million keywords in the main window: Remove Duplicates, a word
// filter of 1,000 words, Open Results of a saved 1,000,000-row file, Copy, the KEI
// columns shown, and the memory each adds. Prints the figures.
#include "core/results_export.h"
#include "core/results_import.h"
#include "gui/application.h"
#include "gui/dialogs/read_progress.h"
#include "gui/main_window.h"
#include "gui/skin.h"

#include "measure.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <unistd.h>

namespace {

void Report(const char* measure, double seconds, const char* target)
{
    std::printf("%-58s %8.3f s   (target %s)\n", measure, seconds, target);
    std::printf("TABLE|%s (s)|%.3f|||%s\n", measure, seconds, target);
}

// Answers the next modal dialog: fills its word box when it has one, then presses OK.
void AnswerNextDialog(const QString& words = {})
{
    QTimer::singleShot(0, [words] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog)
            return AnswerNextDialog(words);
        if (auto* box = dialog->findChild<QPlainTextEdit*>("edtWords"))
            box->setPlainText(words);
        for (QPushButton* button : dialog->findChildren<QPushButton*>())
            if (button->text() == "OK")
                button->click();
    });
}

void Trigger(TfrmMain& window, const char* action)
{
    window.findChild<QAction*>(action)->trigger();
}

struct FixedChooser : OpenFileChooser {
    std::string File;
    std::optional<std::string> ChooseOpenFile() override { return File; }
};

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const int rows = argc > 1 ? std::atoi(argv[1]) : 1000000;
    TalviraApplication application(argc, argv);
    ApplyDefaultSkin(application);
    TfrmMain window;
    window.show();
    QCoreApplication::processEvents();
    KeywordList& list = window.Keywords();

    // Keywords of three words, one row in ten a respelling of an earlier one (other
    // letter case, other blanks), with counts in every column.
    std::mt19937 random(5);
    const char* words[] = {"golf", "clubs", "soccer", "tennis", "balls", "cheap", "best", "used", "shoes", "bags"};
    {
        KeywordList::AppendBatch batch(list, static_cast<std::size_t>(rows));
        for (int row = 0; row < rows; ++row) {
            std::string keyword;
            if (row % 10 == 9) {
                keyword = "  " + list.CellText(static_cast<int>(random() % row), KeywordRow::Keywords) + " ";
                keyword[2] = static_cast<char>(std::toupper(static_cast<unsigned char>(keyword[2])));
            } else {
                keyword = std::string(words[random() % 10]) + " " + words[random() % 10] + " " + std::to_string(row);
            }
            list.AppendRow(row + 1, keyword, std::to_string(random() % 90000) + ",000");
            for (int cell = KeywordRow::Google; cell <= KeywordRow::Msn; ++cell)
                list.SetCellText(row, cell, std::to_string(1 + random() % 900) + "," + std::to_string(100 + random() % 900));
        }
    }
    QCoreApplication::processEvents();
    const long start = ResidentKilobytes();

    AnswerNextDialog();
    const double duplicates = Seconds([&] { Trigger(window, "actRemoveDuplicates"); });
    const int afterDuplicates = list.CountRows();
    const long afterDuplicatesMemory = ResidentKilobytes();

    // 1,000 words, none of them common, so every row is looked at whole.
    QString filterWords;
    for (int word = 0; word < 1000; ++word)
        filterWords += "word" + QString::number(word * 997) + "\n";
    filterWords += "shoes bags\n";
    AnswerNextDialog(filterWords);
    const double filter = Seconds([&] { Trigger(window, "actRemoveRowsContaining"); });
    const int afterFilter = list.CountRows();

    window.findChild<QTableView*>("lvwItems")->clearSelection();
    const double copy = Seconds([&] { Trigger(window, "actCopy"); });
    const qsizetype copied = QApplication::clipboard()->text().size();

    const double kei = Seconds([&] {
        Trigger(window, "actShowKei");
        QCoreApplication::processEvents();
    });

    const std::string file = "/tmp/talvira-bench-open-" + std::to_string(::getpid()) + ".csv";
    {
        KeywordList saved;
        for (int row = 0; row < rows; ++row) {
            saved.AppendRow(row + 1, std::string(words[row % 10]) + " golf clubs " + std::to_string(row), "12,000");
            saved.SetCellText(row, KeywordRow::Google, "1,234,000");
        }
        WriteFileReplacing(file, ResultsCsvText(saved, {{';', true, false}, true}));
    }
    const long beforeOpen = ResidentKilobytes();
    const int beforeOpenRows = list.CountRows();
    FixedChooser chooser;
    chooser.File = file;
    const double open = Seconds([&] {
        ReadProgress progress(&window, "Reading");
        OpenResults(list, window, window, chooser, std::ref(progress));
        QCoreApplication::processEvents();
    });
    const long afterOpen = ResidentKilobytes();
    std::remove(file.c_str());

    std::printf("%d rows; %d after Remove Duplicates, %d after the filter, %d opened; %lld characters copied\n", rows,
                afterDuplicates, afterFilter, list.CountRows() - beforeOpenRows, static_cast<long long>(copied));
    Report("Remove Duplicates of 1,000,000 rows", duplicates, "< 1");
    Report("Remove Rows Containing 1,000 words", filter, "< 2");
    Report("Copy of every row", copy, "< 1");
    Report("Show KEI", kei, "< 1");
    Report("Open Results of a 1,000,000-row file", open, "< 3");
    std::printf("TABLE|Memory growth of Remove Duplicates (MB)|%.0f|||< 300\n", (afterDuplicatesMemory - start) / 1024.0);
    std::printf("TABLE|Memory growth of Open Results, rows kept included (MB)|%.0f|||< 300\n",
                (afterOpen - beforeOpen) / 1024.0);
    std::printf("Memory: %ld MB before the tools, %ld MB after Remove Duplicates, %ld MB after Open Results\n",
                start / 1024, afterDuplicatesMemory / 1024, afterOpen / 1024);
    return 0;
}
