// The edge of a handler connected to a Qt signal. Qt does not allow an exception to
// travel through its signal code, so an error that escapes the handler is caught here
// and handed to the application object, whose one error box shows it; the signal's other
// receivers and the event loop go on as after any handler. (Kept with the dialogs, the
// lowest Qt layer, so that their handlers and the main window's use the same edge.)
#pragma once

#include <QEvent>

#include <exception>
#include <utility>

// Carries a caught error to the application object.
class EscapedErrorEvent : public QEvent {
public:
    explicit EscapedErrorEvent(std::exception_ptr error);
    static QEvent::Type EventType();
    const std::exception_ptr& Error() const { return FError; }

private:
    std::exception_ptr FError;
};

// Sends the error to the application object; when nothing takes it (an application
// object that is not Talvira's), its message goes to the standard error stream.
void HandOverEscapedError(const std::exception_ptr& error) noexcept;

// Connect AtHandlerEdge([this] { btnOkClick(); }) instead of the bare lambda; Args are
// the parameters the handler takes from the signal (AtHandlerEdge<int>(...) for a
// column index).
template <typename... Args, typename Handler>
auto AtHandlerEdge(Handler handler)
{
    return [handler = std::move(handler)](Args... arguments) {
        try {
            handler(arguments...);
        } catch (...) {
            HandOverEscapedError(std::current_exception());
        }
    };
}
