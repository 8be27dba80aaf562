#include "gui/dialogs/top_level_errors.h"

#include <QCoreApplication>
#include <QMetaObject>

namespace {

TopLevelErrorHandler& Handler()
{
    static TopLevelErrorHandler handler;
    return handler;
}

} // namespace

void SetTopLevelErrorHandler(TopLevelErrorHandler handler)
{
    Handler() = std::move(handler);
}

void ReportErrorWhenIdle(const std::string& message)
{
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [message] {
            if (Handler())
                Handler()(message);
            else
                qWarning("%s", message.c_str());
        },
        Qt::QueuedConnection);
}
