#pragma once

#include <QString>

class WebBrowserHost;

// The one line of the frame's status bar panel while the browser window is open: the
// message of the moment (a pointed link, a download, why a fetch failed) followed by what
// the window's features say of the page shown (its zoom, ...), separated by "; ".
class StatusLine
{
public:
    // Each part has its place in the line, in this order. The message goes with the page;
    // the others stay until their feature says otherwise (SignIns: a keyring that cannot be
    // used).
    enum Part { Message, Zoom, Blocking, SignIns, PartCount };

    explicit StatusLine(WebBrowserHost &host)
        : m_host(host)
    {
    }

    void set(Part part, const QString &text);
    QString text(Part part) const { return m_parts[part]; }

private:
    WebBrowserHost &m_host;
    QString m_parts[PartCount];
};
