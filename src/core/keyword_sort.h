// How the keyword table sorts: numbers compared as numbers (thousands separators
// ignored), keywords compared by the user's locale without regard to case.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Locale-aware, case-insensitive ordering of texts. The window supplies one based on
// the user's locale; the list only needs each text's rank.
class TextCollator {
public:
    virtual ~TextCollator() = default;
    // For each text, its rank in collation order; texts that collate equal share a rank.
    virtual std::vector<uint32_t> RankTexts(const std::vector<const std::string*>& texts) const = 0;
};

// The text as a 32-bit signed number after every "," is removed: leading blanks and a
// sign allowed, "$" or "0x" for hexadecimal; anything that does not convert is 0.
int32_t NumberTextValue(std::string_view text);

// 1 when a > b, -1 when a < b, 0 when equal, comparing NumberTextValue.
int CompareNumberText(std::string_view a, std::string_view b);

// Sort keys of two rows in one column (the numeric value, or the keyword's rank), with
// the direction applied: negative puts the first row first.
int CompareRows(int64_t key1, int64_t key2, bool ascending);

// The state of column-click sorting. The first click on any column sorts ascending;
// a click on the same column inverts the direction; a click on another column keeps it.
struct SortState {
    int SortColumn = -1;
    bool SortAscending = true;

    void ColumnClicked(int column);
};
