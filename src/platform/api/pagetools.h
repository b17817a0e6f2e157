#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>

class QAction;
class QWidget;

// The page's context menu and the engine's developer tools.
class PageTools : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // Shows the engine's developer tools for the page, in one window of their own.
    virtual void ShowInspector() = 0;
    // Offered after the engine's own items in the page's context menu.
    virtual void SetContextMenuActions(const QList<QAction *> &actions) = 0;

    // The engine's own items of the page's context menu that the window also reaches by keys.
    enum class MenuItem { Back, Forward, Reload, SavePage, ViewSource };
    // The keys the menu shows beside those items (portable text, as QKeySequence reads it).
    virtual void SetContextMenuKeys(const QHash<MenuItem, QString> &keys) = 0;
    // A CSS selector for the page's element under the pointer where the context menu last
    // opened, found as it opened (the page may change since); "" when there was none.
    virtual QString SelectorAtMenuPoint() const = 0;

Q_SIGNALS:
    // The user asks to see the page's source (the engine's own "View page source"), which is
    // shown elsewhere: the page and its history stay as they are.
    void ViewSourceRequested(const QString &url);
    // The control made a window of its own (the page's tools): the host gives it its keys.
    void WindowOpened(QWidget *window);
};
