#include "core/column_widths.h"

#include <algorithm>

namespace {

constexpr int NumberColumn = 0;
constexpr int KeywordsColumn = 1;

} // namespace

int DesignColumnWidth(int column)
{
    switch (column) {
    case NumberColumn:
        return 49;
    case KeywordsColumn:
    case 2:
        return 132;
    default:
        return 104;
    }
}

std::vector<int> FitColumnWidths(const std::vector<int>& widths, int numberWidth, int gained)
{
    std::vector<int> fitted = widths;
    for (int column = 0; column < static_cast<int>(fitted.size()); ++column)
        fitted[column] = std::max(fitted[column], DesignColumnWidth(column));
    if (fitted.size() <= KeywordsColumn)
        return fitted;
    fitted[NumberColumn] = std::max(DesignColumnWidth(NumberColumn), numberWidth);
    fitted[KeywordsColumn] = DesignColumnWidth(KeywordsColumn) + std::max(0, gained);
    return fitted;
}
