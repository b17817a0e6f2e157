#pragma once

#include "ui/commandtable.h"

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class RichTextArea;
class WebBrowserControl;

// The bar at the foot of a window that finds text in what the window shows: the page, or
// the text shown in its place. It owns the search: as the user types, the next and previous
// match, the count ("n of m", "Not found") and clearing the highlights when it closes.
class FindBar final : public QWidget
{
    Q_OBJECT

public:
    // The commands of the unit, reached by their keys, as rows of the window's table.
    static CommandTable commands();

    // text, when given, is searched while the page is not shown.
    FindBar(QWidget *parent, WebBrowserControl &page, RichTextArea *text = nullptr);

    // Which view the bar searches.
    void setPageShown(bool pageShown);
    bool isOpen() const { return !isHidden(); }

    // Shows the bar with the field ready for typing, its text selected, and searches for it.
    void open();
    // The next or previous match, wrapping around; a closed bar opens instead.
    void findNext();
    void findPrevious();
    // Hides the bar and the highlights; the page takes the keyboard back.
    void close();

    QString text() const;

Q_SIGNALS:
    // Shown or hidden: the window lays its main area out again.
    void openChanged();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setIcons();
    // A new page has come: an open bar searches it.
    void pageLoaded();
    // Searches the view shown; again moves on from the match shown.
    void search(bool backward, bool again);
    void showResult(int activeMatch, int numberOfMatches);
    void placeAtFoot();

    WebBrowserControl &m_page;
    RichTextArea *m_text;
    bool m_pageShown = true;
    qsizetype m_textMatch = -1; // where the match shown in the text starts
    QLineEdit *m_field;
    QCheckBox *m_matchCase;
    QLabel *m_result;
};
