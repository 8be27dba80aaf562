// Whether a page carries the features the program reads. The --no-markers option takes
// them out, to show what the program does with a page it cannot read.
#pragma once

enum class PageFeatures { Present, Absent };
