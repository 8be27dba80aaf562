// A million keywords through the main window: import, the two kinds of sort, saving the
// table, Delete Selected of half the rows, memory, how long the window takes to paint
// afterwards, and a repaint of the table while it holds an 8 MB cell. Prints the figures.
#include "core/keyword_commands.h"
#include "core/keyword_import.h"
#include "core/results_export.h"
#include "gui/application.h"
#include "gui/locale_collator.h"
#include "gui/main_window.h"
#include "gui/skin.h"

#include "measure.h"

#include <QApplication>
#include <QCoreApplication>
#include <QPushButton>
#include <QTableView>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <thread>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <unistd.h>

namespace {

std::string WriteKeywordFile(int lines)
{
    const std::string name = "/tmp/talvira-bench-keywords-" + std::to_string(::getpid()) + ".txt";
    std::ofstream out(name, std::ios::binary);
    std::mt19937 random(7);
    const char* words[] = {"golf", "clubs", "soccer", "Tennis", "balls", "cheap", "best", "used", "Shoes", "bags"};
    for (int i = 0; i < lines; ++i)
        out << words[random() % 10] << ' ' << words[random() % 10] << ' ' << i << "\r\n"; // all different
    return name;
}

// Counts the paints of one widget.
struct PaintCounter : QObject {
    int Paints = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        Paints += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
};

// Median time of a synchronous repaint of the table, each after a pause longer than the
// window's repaint interval so that none is coalesced; -1 when a repaint did not paint.
double MedianRepaintSeconds(QTableView& table, int repaints)
{
    PaintCounter counter;
    table.viewport()->installEventFilter(&counter);
    std::vector<double> times;
    for (int i = 0; i < repaints; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(40));
        QCoreApplication::processEvents();
        const int before = counter.Paints;
        times.push_back(Seconds([&] { table.viewport()->repaint(); }));
        if (counter.Paints == before)
            return -1;
    }
    table.viewport()->removeEventFilter(&counter);
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void TableLine(const char* measure, double seconds, const char* target)
{
    std::printf("TABLE|%s (s)|%.3f|||%s\n", measure, seconds, target);
}

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

    const std::string file = WriteKeywordFile(rows);
    const long before = ResidentKilobytes();

    const double import = Seconds([&] { ImportKeywordFile(window.Keywords(), window, file); });
    const double firstPaint = Seconds([&] { QCoreApplication::processEvents(); });
    const long afterImport = ResidentKilobytes();

    std::mt19937 random(11);
    for (int row = 0; row < window.Keywords().CountRows(); ++row) {
        const unsigned value = random() % 5000000;
        window.Keywords().SetCellText(row, KeywordRow::Searches,
                                      value >= 1000 ? std::to_string(value / 1000) + "," + std::to_string(1000 + value % 1000).substr(1)
                                                    : std::to_string(value));
    }
    QCoreApplication::processEvents();

    const LocaleCollator collator;
    SortState sort;
    const double sortKeywords = Seconds([&] { ColumnClick(window.Keywords(), sort, 1, collator); });
    const double paintAfterSort = Seconds([&] { QCoreApplication::processEvents(); });
    const double sortSearches = Seconds([&] { ColumnClick(window.Keywords(), sort, 2, collator); });
    const long afterSorts = ResidentKilobytes();

    const std::string saved = "/tmp/talvira-bench-results-" + std::to_string(::getpid()) + ".csv";
    const double save = Seconds([&] { WriteFileReplacing(saved, ResultsCsvText(window.Keywords())); });
    std::remove(saved.c_str());

    // Every other row ticked, then Delete Selected clicked and its question answered OK.
    for (int row = 0; row < window.Keywords().CountRows(); row += 2)
        window.Keywords().SetRowTicked(row, true);
    QCoreApplication::processEvents();
    const int rowsBeforeDelete = window.Keywords().CountRows();
    QTimer::singleShot(0, [] {
        if (QWidget* question = QApplication::activeModalWidget())
            for (QPushButton* button : question->findChildren<QPushButton*>())
                if (button->text() == "OK")
                    button->click();
    });
    const double deleteSelected = Seconds([&] { window.findChild<QPushButton*>("bsSkinButton3")->click(); });
    const double paintAfterDelete = Seconds([&] { QCoreApplication::processEvents(); });
    const int rowsAfterDelete = window.Keywords().CountRows();

    // One keyword line of 8 MB in the first row, in view.
    std::string huge;
    while (huge.size() < 8u * 1024 * 1024)
        huge += "golf clubs cheap best used " + std::to_string(huge.size()) + " ";
    window.Keywords().SetCellText(0, KeywordRow::Keywords, huge);
    QCoreApplication::processEvents();
    const double hugeCellRepaint = MedianRepaintSeconds(*window.findChild<QTableView*>("lvwItems"), 11);

    std::printf("rows                      %d\n", window.Keywords().CountRows());
    std::printf("ImportKeywordFile         %.3f s   (target < 2 s)\n", import);
    std::printf("first paint after import  %.3f s\n", firstPaint);
    std::printf("sort Keywords (locale)    %.3f s   (target < 1.5 s)\n", sortKeywords);
    std::printf("paint after sort          %.3f s\n", paintAfterSort);
    std::printf("sort Searches (numbers)   %.3f s   (target < 1.5 s)\n", sortSearches);
    std::printf("SaveResults file writing  %.3f s   (target < 2 s)\n", save);
    std::printf("Delete Selected, %d of %d  %.3f s   (target < 1 s)\n", rowsBeforeDelete - rowsAfterDelete,
                rowsBeforeDelete, deleteSelected);
    std::printf("paint after delete        %.3f s\n", paintAfterDelete);
    std::printf("repaint, 8 MB cell        %.1f ms  (target < 20 ms)\n", hugeCellRepaint * 1000);
    std::printf("memory growth, import     %.1f MB  (target < 300 MB)\n", (afterImport - before) / 1024.0);
    std::printf("memory growth, all        %.1f MB\n", (afterSorts - before) / 1024.0);
    TableLine("Import of 1,000,000 keyword lines", import, "< 2");
    TableLine("Sort by Keywords (locale)", sortKeywords, "< 1.5");
    TableLine("Sort by Searches (numbers)", sortSearches, "< 1.5");
    TableLine("Save Results (CSV writing)", save, "< 2");
    TableLine("Delete Selected, half of 1,000,000 rows ticked", deleteSelected, "< 1");
    std::printf("TABLE|Repaint of the table holding an 8 MB cell (ms)|%.1f|||< 20\n", hugeCellRepaint * 1000);
    std::printf("TABLE|Memory growth of the import (MB)|%.0f|||< 300\n", (afterImport - before) / 1024.0);
    std::remove(file.c_str());
    return 0;
}
