#include "gui/application.h"

#include "gui/dialogs/handler_edge.h"
#include "gui/text_bytes.h"

#include <QMessageBox>

#include <cstdio>

TalviraApplication::TalviraApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName("Talvira");
}

bool TalviraApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        ReportError(std::current_exception());
    }
    return false;
}

bool TalviraApplication::event(QEvent* event)
{
    if (event->type() != EscapedErrorEvent::EventType())
        return QApplication::event(event);
    ReportError(static_cast<EscapedErrorEvent*>(event)->Error());
    return true;
}

void TalviraApplication::ReportError(const std::exception_ptr& error) noexcept
{
    std::string message = "Unknown error.";
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& escaped) {
        message = escaped.what();
    } catch (...) {
    }
    try {
        if (FErrorReporter) {
            FErrorReporter(message);
            return;
        }
        QMessageBox box(QMessageBox::Critical, applicationName(), TextFromBytes(message), QMessageBox::Ok,
                        activeWindow());
        box.setObjectName("ErrorMessage");
        // The message often carries a server's or a file's words: never read as markup,
        // so no link in it can be clicked and no tag changes how it looks.
        box.setTextFormat(Qt::PlainText);
        box.setTextInteractionFlags(Qt::TextSelectableByMouse);
        box.exec();
    } catch (...) {
        std::fprintf(stderr, "%s\n", message.c_str());
    }
}
