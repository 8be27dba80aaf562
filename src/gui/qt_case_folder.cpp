#include "gui/qt_case_folder.h"

#include <QString>

std::string QtCaseFolder::FoldCase(std::string_view utf8) const
{
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())).toCaseFolded().toStdString();
}
