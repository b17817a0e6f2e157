#pragma once

#include <QObject>
#include <QString>

// What the page tells as it loads: a feature that follows the page takes this part alone,
// not the whole control. Events arrive on the user-interface thread.
class PageEvents : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

Q_SIGNALS:
    // Whenever a load ends, also when it is stopped or fails.
    void DownloadComplete();
    // When a top-level navigation has committed.
    void NavigateComplete2(const QString &url);
    // The one line the control has for the status bar, "" when it has none.
    void StatusTextChange(const QString &text);
    // The page's title arrived or changed, after its navigation committed.
    void TitleChange(const QString &title);
};
