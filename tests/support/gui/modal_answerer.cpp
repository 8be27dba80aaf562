#include "support/gui/modal_answerer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QSet>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <deque>

namespace modal {
namespace {

struct Pending {
    Answer Run;
    QPointer<QWidget> OpenBefore; // the modal widget already open when it was queued
};

std::deque<Pending>& Queue()
{
    static std::deque<Pending> queue;
    return queue;
}

bool& AnswerInFlight()
{
    static bool inFlight = false;
    return inFlight;
}

// Dialogs whose answer is still running (it may be waiting inside them); the next
// answer is for another dialog.
QSet<QWidget*>& BeingAnswered()
{
    static QSet<QWidget*> dialogs;
    return dialogs;
}

// The answer runs from a posted call, not inside the poller's own timeout: Qt does not
// fire a timer again while its handler runs, and an answer may open a nested dialog
// (a message over an entry dialog) that the poller must still see.
QTimer& Poller()
{
    static QTimer* timer = [] {
        auto* created = new QTimer(qApp);
        created->setInterval(5);
        QObject::connect(created, &QTimer::timeout, [] {
            if (Queue().empty()) {
                Poller().stop();
                return;
            }
            QWidget* dialog = QApplication::activeModalWidget();
            if (AnswerInFlight() || !dialog || dialog == Queue().front().OpenBefore || !dialog->isVisible() ||
                BeingAnswered().contains(dialog))
                return;
            Answer run = std::move(Queue().front().Run);
            Queue().pop_front();
            AnswerInFlight() = true;
            QMetaObject::invokeMethod(
                qApp,
                [run, target = QPointer<QWidget>(dialog)] {
                    AnswerInFlight() = false;
                    if (!target)
                        return;
                    QWidget* answered = target;
                    BeingAnswered().insert(answered);
                    run(answered);
                    BeingAnswered().remove(answered);
                },
                Qt::QueuedConnection);
        });
        return created;
    }();
    return *timer;
}

} // namespace

void AnswerNext(Answer answer)
{
    Queue().push_back({std::move(answer), QApplication::activeModalWidget()});
    Poller().start();
}

int PendingAnswers()
{
    return static_cast<int>(Queue().size());
}

void Reset()
{
    Queue().clear();
    AnswerInFlight() = false;
}

Answer ClickButton(const QString& caption)
{
    return [caption](QWidget* dialog) {
        for (QAbstractButton* button : dialog->findChildren<QAbstractButton*>()) {
            if (button->text() == caption && button->isVisible()) {
                QTest::mouseClick(button, Qt::LeftButton);
                return;
            }
        }
        ADD_FAILURE() << "no button " << caption.toStdString() << " on " << dialog->objectName().toStdString();
    };
}

Answer PressKey(int key)
{
    return [key](QWidget* dialog) {
        QWidget* target = dialog->focusWidget() ? dialog->focusWidget() : dialog;
        QTest::keyClick(target, static_cast<Qt::Key>(key));
    };
}

Answer Record(QString* text, Answer then)
{
    return [text, then](QWidget* dialog) {
        if (auto* label = dialog->findChild<QLabel*>("MessageText"))
            *text = label->text();
        then(dialog);
    };
}

} // namespace modal
