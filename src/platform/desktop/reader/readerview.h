#pragma once

#include "platform/api/pagereader.h"
#include "reader/readerrules.h"

#include <QObject>
#include <QPoint>
#include <QTimer>
#include <QUrl>

class QWebEnginePage;
class WebBrowserControl;

// The reader view of one browser control: the page's article, found by Mozilla's Readability in
// a script world of its own on a copy of the page's document, shown from the reader's scheme
// with no scripts. Leaving it goes back to the page, scrolled where it was.
class ReaderView final : public PageReader
{
    Q_OBJECT

public:
    // The page is the control's; both outlive the reader view.
    ReaderView(WebBrowserControl &control, QWebEnginePage &page, QObject *parent = nullptr);

    void ToggleReaderView() override;
    bool LeaveReaderView() override;
    bool ReaderViewShown() const override;

    // The version of Readability built into the program.
    static QString libraryVersion();

Q_SIGNALS:
    // The command has ended (for its tests).
    void finished(Reader::Outcome outcome);
    // A loaded page is probably an article, or not (for its tests).
    void readerableChecked(const QUrl &page, bool readerable);

private:
    void show();
    void articleArrived(quint64 run, const QUrl &page, const QVariant &answer);
    void end(Reader::Outcome outcome);
    void loadFinished(bool ok);
    void checkReaderable(const QUrl &page);

    WebBrowserControl &m_control;
    QWebEnginePage &m_page;
    quint64 m_run = 0; // the command whose answer is awaited; older answers are dropped
    bool m_working = false;
    QTimer m_timeout;
    // The page the reader view was opened from, and where it was scrolled to.
    QUrl m_returnTo;
    QPointF m_scroll;
    bool m_restoreScroll = false;
};
