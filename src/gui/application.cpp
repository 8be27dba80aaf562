#include "gui/application.h"

#include "gui/dialogs/top_level_errors.h"

#include <QMessageBox>

#include <exception>

TalviraApplication::TalviraApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName("Talvira");
    // Errors caught at a handler's edge reach the same box as those that escape.
    SetTopLevelErrorHandler([this](const std::string& message) { ReportError(message); });
}

TalviraApplication::~TalviraApplication()
{
    SetTopLevelErrorHandler(nullptr);
}

bool TalviraApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        ReportError(error.what());
    } catch (...) {
        ReportError("Unknown error.");
    }
    return false;
}

void TalviraApplication::ReportError(const std::string& message)
{
    if (FErrorReporter) {
        FErrorReporter(message);
        return;
    }
    QMessageBox box(QMessageBox::Critical, applicationName(), QString::fromUtf8(message), QMessageBox::Ok,
                    activeWindow());
    box.setObjectName("ErrorMessage");
    box.exec();
}
