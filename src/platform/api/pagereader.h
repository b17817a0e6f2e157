#pragma once

#include <QObject>
#include <QString>

// The reader view of the page: the page's article shown in its place, and the page again.
class PageReader : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // Shows the page's article, or the page again while the article is shown. A page with no
    // article stays as it is, and ReaderMessage says why.
    virtual void ToggleReaderView() = 0;
    // Goes back to the page, scrolled where it was; false when the article was not shown.
    virtual bool LeaveReaderView() = 0;
    virtual bool ReaderViewShown() const = 0;

Q_SIGNALS:
    // A line for the status bar: the page has an article, or why the article is not shown.
    void ReaderMessage(const QString &text);
};
