#pragma once

#include <QObject>
#include <QString>

// Finding text in the page shown.
class PageFind : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // The next match, or the previous one when backward, wrapping around; every match is
    // highlighted and FindResult tells how many there are. "" ends the search and clears the
    // highlights.
    virtual void FindText(const QString &text, bool matchCase, bool backward) = 0;

Q_SIGNALS:
    // The answer to FindText: the match shown (from 1) and the number of matches.
    void FindResult(int activeMatch, int numberOfMatches);
};
