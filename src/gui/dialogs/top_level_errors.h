// The road from code that catches an error at its own edge to the program's one
// top-level error handling. The application object installs the handler; dialogs and
// the window only report.
#pragma once

#include <functional>
#include <string>

using TopLevelErrorHandler = std::function<void(const std::string& message)>;

// Replaces the handler; an empty one sends reports to Qt's warning output.
void SetTopLevelErrorHandler(TopLevelErrorHandler handler);

// Hands the message to the handler from the event loop, once the code that caught the
// error has finished (a dialog that is being shown, for instance).
void ReportErrorWhenIdle(const std::string& message);
