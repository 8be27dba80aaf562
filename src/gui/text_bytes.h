// The program's 8-bit texts at the Qt boundary: valid UTF-8 read as UTF-8, anything else
// as Windows-1252 (see core/cell_text.h). The bytes themselves never change.
#pragma once

#include <QString>

#include <string_view>

QString TextFromBytes(std::string_view bytes);

// What the table shows of a cell: the whole text, or a bounded beginning of it followed
// by an ellipsis.
QString CellDisplayText(std::string_view bytes);
