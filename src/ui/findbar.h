#pragma once

#include "ui/commandtable.h"
#include "ui/feature.h"

#include <functional>
#include <memory>
#include <QWidget>

class PageEvents;
class PageFind;
class QCheckBox;
class QLabel;
class QLineEdit;
class RichTextArea;

// The bar at the foot of a window that finds text in what the window shows: the page, or
// the text shown in its place. It owns the search: as the user types, the next and previous
// match, the count ("n of m", "Not found") and clearing the highlights when it closes.
class FindBar final : public QWidget, public WindowFeature
{
    Q_OBJECT

public:
    // The commands of the unit, reached by their keys, as rows of the window's table.
    static Commands::Rows<FindBar> commands();

    // The bar of the browser window, at its foot; its keys and layout reach the window.
    static std::unique_ptr<FindBar> make(WindowParts &parts);

    // find and pageLoaded are the page's; focusPage gives the page the keyboard. text, when
    // given, is searched while the page is not shown.
    FindBar(QWidget *parent, PageFind &find, PageEvents &events, std::function<void()> focusPage,
            RichTextArea *text = nullptr);

    // Which view the bar searches.
    void setPageShown(bool pageShown) override;
    bool isOpen() const { return !isHidden(); }
    bool closesOnEscape() const override { return isOpen(); }
    void closeOnEscape() override { close(); }
    int footHeight() const override { return isOpen() ? height() : 0; }

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

    PageFind &m_find;
    std::function<void()> m_focusPage;
    RichTextArea *m_text;
    bool m_pageShown = true;
    qsizetype m_textMatch = -1; // where the match shown in the text starts
    QLineEdit *m_field;
    QCheckBox *m_matchCase;
    QLabel *m_result;
};
