// The window's message loop as the run drives it between generation steps.
#pragma once

namespace quba {

class MessagePump {
public:
    virtual ~MessagePump() = default;
    // Handles the window's pending messages once; with `waitForMore` it first
    // sleeps until a message arrives or `wakeMs` pass.
    virtual void PumpMessages(bool waitForMore, int wakeMs) = 0;
};

} // namespace quba
