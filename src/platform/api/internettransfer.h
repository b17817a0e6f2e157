#pragma once

#include <QString>

// The internet transfer control (ctlInet).
class InternetTransfer
{
public:
    virtual ~InternetTransfer() = default;

    // Fetches the resource synchronously and returns its content as text, the body of an
    // HTTP error answer (404, 500, ...) included; fails with PlatformError on a bad address,
    // an unreachable host or a time-out, with a description that says why in one sentence.
    virtual QString OpenURL(const QString &url) = 0;
    // Cancels a transfer in progress; does nothing when none is.
    virtual void Cancel() = 0;
};
