#pragma once

class Downloads;

// The downloads of this run, whichever window started them.
class DownloadControl
{
public:
    virtual ~DownloadControl() = default;

    // Those that have not ended yet.
    virtual int DownloadsInProgress() const = 0;
    // Stops them; a stopped download leaves no file behind.
    virtual void CancelDownloads() = 0;
    // The same downloads, one by one; they outlive the control while any of them runs.
    virtual Downloads &downloads() = 0;
};
