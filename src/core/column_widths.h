// The widths of the keyword table's columns as the window grows: the design widths are
// the least each column gets, the Keywords column takes what the window gains over its
// design width, and the No column is as wide as its widest number needs.
#pragma once

#include <vector>

// The design width of a column: No 49, Keywords 132, Searches 132, every engine 104.
int DesignColumnWidth(int column);

// The widths in a window `gained` pixels wider than its design width: Keywords its
// design width plus the gain, the No column at least numberWidth, every other column as
// it is (a user may have widened it). No column goes below its design width.
std::vector<int> FitColumnWidths(const std::vector<int>& widths, int numberWidth, int gained);
