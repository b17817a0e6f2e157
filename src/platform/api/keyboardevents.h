#pragma once

// Key-event injection (keybd_event) and the event yield (DoEvents).
class KeyboardEvents
{
public:
    virtual ~KeyboardEvents() = default;
    virtual void keybd_event(int virtualKey, int scanCode, int flags, int extraInfo) = 0;
    virtual void DoEvents() = 0;
};
