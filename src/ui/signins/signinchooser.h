#pragma once

#include <QElapsedTimer>
#include <QFrame>
#include <QStringList>

class QListWidget;

// The saved user names of a site, in a small list under the field the user clicked. Only a
// click on a name, or Enter on a name picked with the arrow keys, chooses it. The list is a
// window of the program's own over the page: the page's scripts can neither read, cover nor
// click it, and it takes no keyboard focus from the page.
class SignInChooser final : public QFrame
{
    Q_OBJECT

public:
    // A choice this soon after the list appeared was aimed at the page, which may have made
    // the list appear under the pointer on purpose.
    static constexpr qint64 SteadyMs = 500;

    explicit SignInChooser(QWidget *window);

    // Shows names under field (in screen coordinates), within bounds.
    void showUnder(const QRect &field, const QRect &bounds, const QStringList &names);
    void dismiss();
    bool isChoosing() const { return !isHidden(); }
    QStringList names() const;
    // The keys of the page's field: "Up", "Down", "Enter", "Escape".
    void key(const QString &key);

Q_SIGNALS:
    void chosen(const QString &userName);
    void dismissed();

private:
    void choose(int row);

    QListWidget *m_list;
    QElapsedTimer m_shown;
};
