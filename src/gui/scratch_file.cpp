#include "gui/scratch_file.h"

#include "core/file_system.h"

#include <QDir>
#include <QStandardPaths>

#include <unistd.h>

std::string ScratchFileName()
{
    const std::string programFolder = ExecutableDirectory();
    if (::access(programFolder.c_str(), W_OK) == 0)
        return programFolder + "test.html";
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    QDir().mkpath(cache);
    return QDir(cache).filePath("test.html").toStdString();
}
