#include "gui/qt_message_queue.h"

#include <QCoreApplication>

// Qt tells neither whether an event is waiting nor how to handle exactly one; one pass of
// the event loop handles what is waiting and returns at once when nothing is.
bool QtMessageQueue::MessageWaiting()
{
    return true;
}

void QtMessageQueue::ProcessMessages()
{
    QCoreApplication::processEvents();
}

void QtMessageQueue::HandleMessage()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
}
