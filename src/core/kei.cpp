#include "core/kei.h"

#include "core/list_columns.h"

#include <algorithm>
#include <numeric>
#include <vector>

std::optional<uint64_t> CountValue(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return std::nullopt;
    text = text.substr(first, text.find_last_not_of(" \t") - first + 1);
    uint64_t value = 0;
    std::size_t digits = 0;
    for (char c : text) {
        if (c == ',')
            continue;
        if (c < '0' || c > '9' || ++digits > MaxCountDigits)
            return std::nullopt;
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    if (digits == 0)
        return std::nullopt;
    return value;
}

namespace {

__extension__ typedef unsigned __int128 Wide;

std::string WideText(Wide value)
{
    std::string text;
    do {
        text += static_cast<char>('0' + static_cast<int>(value % 10));
        value /= 10;
    } while (value != 0);
    std::reverse(text.begin(), text.end());
    return text;
}

} // namespace

std::string KeiText(std::string_view searches, std::string_view results)
{
    const std::optional<uint64_t> s = CountValue(searches);
    const std::optional<uint64_t> r = CountValue(results);
    if (!s || !r || *r == 0)
        return {};
    // Hundredths, rounded half up: floor((200·s² + r) / 2r), exact in 128 bits.
    const Wide square = Wide{*s} * *s;
    const Wide hundredths = (square * 200 + *r) / (Wide{*r} * 2);
    const std::string cents = std::to_string(static_cast<unsigned>(hundredths % 100));
    return WideText(hundredths / 100) + "." + (cents.size() == 1 ? "0" : "") + cents;
}

void SortByKei(KeywordList& list, int engine, bool ascending)
{
    const int cell = ListColumns::EngineCell(list, engine);
    const std::size_t rows = static_cast<std::size_t>(list.CountRows());
    std::vector<double> keys(rows);
    for (std::size_t row = 0; row < rows; ++row) {
        const int r = static_cast<int>(row);
        const std::optional<uint64_t> s = CountValue(list.CellText(r, KeywordRow::Searches));
        const std::optional<uint64_t> n = CountValue(list.CellText(r, cell));
        keys[row] = s && n && *n != 0 ? static_cast<double>(*s) * static_cast<double>(*s) / static_cast<double>(*n) : -1.0;
    }
    std::vector<std::size_t> order(rows);
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return ascending ? keys[a] < keys[b] : keys[a] > keys[b];
    });
    list.ReorderRows(order);
}
