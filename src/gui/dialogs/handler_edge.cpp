#include "gui/dialogs/handler_edge.h"

#include <QCoreApplication>

#include <cstdio>

EscapedErrorEvent::EscapedErrorEvent(std::exception_ptr error) : QEvent(EventType()), FError(std::move(error)) {}

QEvent::Type EscapedErrorEvent::EventType()
{
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

void HandOverEscapedError(const std::exception_ptr& error) noexcept
{
    try {
        EscapedErrorEvent event(error);
        if (QCoreApplication::instance() && QCoreApplication::sendEvent(QCoreApplication::instance(), &event))
            return;
        std::rethrow_exception(error);
    } catch (const std::exception& escaped) {
        std::fprintf(stderr, "%s\n", escaped.what());
    } catch (...) {
        std::fprintf(stderr, "Unknown error.\n");
    }
}
