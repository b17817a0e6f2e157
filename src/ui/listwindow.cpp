#include "ui/listwindow.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QShortcut>
#include <QTreeWidget>
#include <QVBoxLayout>

ListWindow::ListWindow(QWidget *parent, const char *name, const QString &title, QSize size)
    : QWidget(parent, Qt::Window)
    , m_column(new QVBoxLayout(this))
{
    setObjectName(QString::fromLatin1(name));
    setWindowTitle(title);
    resize(size);
}

QLineEdit *ListWindow::makeSearch(const char *name, const QString &text)
{
    auto *search = new QLineEdit(this);
    search->setObjectName(QString::fromLatin1(name));
    search->setPlaceholderText(text);
    search->setAccessibleName(text);
    search->setClearButtonEnabled(true);
    return search;
}

void ListWindow::nameList(QTreeView &list, const char *name, const QString &accessibleName)
{
    list.setObjectName(QString::fromLatin1(name));
    list.setAccessibleName(accessibleName);
}

void ListWindow::setColumns(QTreeWidget &list, const QStringList &labels, int stretched)
{
    list.setHeaderLabels(labels);
    list.header()->setSectionResizeMode(stretched, QHeaderView::Stretch);
}

void ListWindow::showFlat(QTreeView &list)
{
    list.setRootIsDecorated(false);
    list.setAllColumnsShowFocus(true);
}

void ListWindow::closeOnEscape()
{
    auto *close = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(close, &QShortcut::activated, this, &QWidget::close);
}

void ListWindow::bringToFront(QWidget &focus)
{
    show();
    raise();
    activateWindow();
    focus.setFocus();
}
