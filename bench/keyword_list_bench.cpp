// A million keywords through the main window: import, the two kinds of sort, saving the
// table, memory, and how long the window takes to paint afterwards. Prints the figures.
#include "core/keyword_commands.h"
#include "core/keyword_import.h"
#include "core/results_export.h"
#include "gui/application.h"
#include "gui/locale_collator.h"
#include "gui/main_window.h"
#include "gui/skin.h"

#include <QCoreApplication>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <unistd.h>

namespace {

long ResidentKilobytes()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return -1;
}

template <typename Work>
double Seconds(Work work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

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

    std::printf("rows                      %d\n", window.Keywords().CountRows());
    std::printf("ImportKeywordFile         %.3f s   (target < 2 s)\n", import);
    std::printf("first paint after import  %.3f s\n", firstPaint);
    std::printf("sort Keywords (locale)    %.3f s   (target < 1.5 s)\n", sortKeywords);
    std::printf("paint after sort          %.3f s\n", paintAfterSort);
    std::printf("sort Searches (numbers)   %.3f s   (target < 1.5 s)\n", sortSearches);
    std::printf("SaveResults file writing  %.3f s   (target < 2 s)\n", save);
    std::printf("memory growth, import     %.1f MB  (target < 300 MB)\n", (afterImport - before) / 1024.0);
    std::printf("memory growth, all        %.1f MB\n", (afterSorts - before) / 1024.0);
    std::remove(file.c_str());
    return 0;
}
