// The application object: Qt's, plus the one top-level handler for errors that escape
// a command, so that no error ever unwinds through Qt's event loop.
#pragma once

#include <QApplication>

#include <functional>
#include <string>

class TalviraApplication : public QApplication {
public:
    TalviraApplication(int& argc, char** argv);
    ~TalviraApplication() override;

    bool notify(QObject* receiver, QEvent* event) override;

    // How an escaped error reaches the user; by default a modal error box with the
    // error's message. Tests replace it to record what would have been shown.
    using ErrorReporter = std::function<void(const std::string& message)>;
    void SetErrorReporter(ErrorReporter reporter) { FErrorReporter = std::move(reporter); }

private:
    void ReportError(const std::string& message);

    ErrorReporter FErrorReporter;
};
