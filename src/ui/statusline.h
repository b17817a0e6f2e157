#pragma once

#include <QList>
#include <QPair>
#include <QString>

class WebBrowserHost;

// The one line of the frame's status bar panel while the browser window is open: the
// message of the moment (a pointed link, a download, why a fetch failed), what a store could
// not keep while the trouble lasts (a full disk), then what the window's features say of the
// page shown (its zoom, ...), separated by "; ".
class StatusLine
{
public:
    // Each part has its place in the line, in this order. The message goes with the page;
    // the others stay until their owner says otherwise (SignIns: a keyring that cannot be
    // used).
    enum Part { Message, Trouble, Zoom, Blocking, SignIns, PartCount };

    explicit StatusLine(WebBrowserHost &host)
        : m_host(host)
    {
    }

    void set(Part part, const QString &text);
    QString text(Part part) const { return m_parts[part]; }

    // A store's trouble stays in the line until the store says it is over (an empty text);
    // with several, the latest is shown.
    void setTrouble(const QString &source, const QString &text);

private:
    WebBrowserHost &m_host;
    QString m_parts[PartCount];
    QList<QPair<QString, QString>> m_troubles; // source, text; the latest last
};
