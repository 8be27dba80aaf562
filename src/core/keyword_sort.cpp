#include "core/keyword_sort.h"

#include "net/text_case.h"

#include <cctype>
#include <limits>

namespace {

int DigitValue(char c, int base)
{
    const int value = HexDigitValue(c);
    return value < base ? value : -1;
}

// Strict conversion of what is left after the commas are gone; false when the text is
// not a whole 32-bit number.
bool ConvertNumber(std::string_view text, int32_t& result)
{
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    int base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i == text.size())
        return false;
    int64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        const int digit = DigitValue(text[i], base);
        if (digit < 0)
            return false;
        magnitude = magnitude * base + digit;
        if (magnitude > int64_t{std::numeric_limits<int32_t>::max()} + 1)
            return false;
    }
    const int64_t value = negative ? -magnitude : magnitude;
    if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max())
        return false;
    result = static_cast<int32_t>(value);
    return true;
}

} // namespace

int32_t NumberTextValue(std::string_view text)
{
    std::string withoutCommas;
    withoutCommas.reserve(text.size());
    for (char c : text)
        if (c != ',')
            withoutCommas.push_back(c);
    int32_t value = 0;
    return ConvertNumber(withoutCommas, value) ? value : 0;
}

int CompareNumberText(std::string_view a, std::string_view b)
{
    const int32_t x = NumberTextValue(a);
    const int32_t y = NumberTextValue(b);
    return x > y ? 1 : (x < y ? -1 : 0);
}

int CompareRows(int64_t key1, int64_t key2, bool ascending)
{
    const int result = key1 > key2 ? 1 : (key1 < key2 ? -1 : 0);
    return ascending ? result : -result;
}

void SortState::ColumnClicked(int column)
{
    if (column == SortColumn)
        SortAscending = !SortAscending;
    else
        SortColumn = column;
}
