// The application object: Qt's, plus the one top-level handler for errors that escape
// a command, so that no error ever unwinds through Qt's event loop.
#pragma once

#include <QApplication>

#include <exception>
#include <functional>
#include <string>

class TalviraApplication : public QApplication {
public:
    TalviraApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;
    // Takes the errors that handlers caught at their edges (EscapedErrorEvent).
    bool event(QEvent* event) override;

    // How an escaped error reaches the user; by default a modal error box with the
    // error's message. Tests replace it to record what would have been shown.
    using ErrorReporter = std::function<void(const std::string& message)>;
    void SetErrorReporter(ErrorReporter reporter) { FErrorReporter = std::move(reporter); }

private:
    // Shows the error's message in the one error box. Never throws.
    void ReportError(const std::exception_ptr& error) noexcept;

    ErrorReporter FErrorReporter;
};
