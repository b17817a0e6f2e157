#pragma once

#include <QSize>
#include <QStringList>
#include <QWidget>

class QLineEdit;
class QTreeView;
class QTreeWidget;
class QVBoxLayout;

// A window of its own around one list, as the history, downloads, site data and saved sign-ins
// windows are: the window's name and size, the search field that filters the list, the list
// and its header, the column they stand in, Esc and bringing it to the front. A window makes
// its parts in the order the keyboard reaches them: the search field, the list, the rest.
class ListWindow : public QWidget
{
    Q_OBJECT

protected:
    ListWindow(QWidget *parent, const char *name, const QString &title, QSize size);

    // A search field that filters the list as the user types; text says what it searches.
    QLineEdit *makeSearch(const char *name, const QString &text);
    // The list, named for the screen reader.
    template<typename View> View *makeList(const char *name, const QString &accessibleName)
    {
        auto *list = new View(this);
        nameList(*list, name, accessibleName);
        return list;
    }
    // The header's labels; the column stretched takes the room the others leave.
    static void setColumns(QTreeWidget &list, const QStringList &labels, int stretched);
    // A list of rows, not a tree: the focus and selection go across the whole row.
    static void showFlat(QTreeView &list);

    // The column the window's parts stand in, top down.
    QVBoxLayout &column() const { return *m_column; }
    void closeOnEscape();
    // Shows the window in front, the focus in focus.
    void bringToFront(QWidget &focus);

private:
    static void nameList(QTreeView &list, const char *name, const QString &accessibleName);

    QVBoxLayout *m_column;
};
