// The question a close puts when the table holds rows that were never saved.
#pragma once

#include "core/close_question.h"

class QWidget;

// "Save the results before closing?" in the message dialog, with Save (the default),
// Discard and Cancel; Escape cancels the close.
CloseAnswer AskSaveBeforeClosing(QWidget* parent);
