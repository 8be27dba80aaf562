// The window system's message queue for the anti-freeze: Qt's event loop.
#pragma once

#include "net/anti_freeze.h"

class QtMessageQueue : public MessageQueue {
public:
    bool MessageWaiting() override;
    void ProcessMessages() override;
    void HandleMessage() override;
};
