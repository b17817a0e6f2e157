#pragma once

#include "platform/api/pagetools.h"

#include <QPointer>

class QWebEngineProfile;
class QWebEngineView;
class SingleWindowView;

// The page's context menu, and the engine's developer tools in a window of their own.
class WebEnginePageTools final : public PageTools
{
    Q_OBJECT

public:
    WebEnginePageTools(SingleWindowView *view, QWebEngineProfile *profile);
    // The tools' window goes with them, before the page it inspects.
    ~WebEnginePageTools() override;

    void ShowInspector() override;
    void SetContextMenuActions(const QList<QAction *> &actions) override;
    void SetContextMenuKeys(const QHash<MenuItem, QString> &keys) override;
    QString SelectorAtMenuPoint() const override;

private:
    QPointer<SingleWindowView> m_view;
    QWebEngineProfile *m_profile;
    QPointer<QWebEngineView> m_inspector;
};
