// Answers modal dialogs in GUI tests: each queued answer waits for the next modal
// widget to become active and then acts on it as a user would (a click, a key).
#pragma once

#include <QString>
#include <QWidget>

#include <functional>

namespace modal {

using Answer = std::function<void(QWidget* dialog)>;

// Queues an answer for the next modal widget that opens; answers run in queue order.
void AnswerNext(Answer answer);
// Answers still waiting for a dialog (a test that expects every dialog to have been
// answered checks this is 0).
int PendingAnswers();
// Drops the answers still queued.
void Reset();

// Answers for AnswerNext.
Answer ClickButton(const QString& caption);
Answer PressKey(int key);
// Records the message text of a message dialog, then runs the next answer.
Answer Record(QString* text, Answer then);

} // namespace modal
