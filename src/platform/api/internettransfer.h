#pragma once

#include <QString>

// The internet transfer control (ctlInet).
class InternetTransfer
{
public:
    virtual ~InternetTransfer() = default;

    // Fetches the resource synchronously and returns its content as text; fails with
    // PlatformError on a bad address, an unreachable host or a time-out.
    virtual QString OpenURL(const QString &url) = 0;
    // Cancels a transfer in progress; does nothing when none is.
    virtual void Cancel() = 0;
};
