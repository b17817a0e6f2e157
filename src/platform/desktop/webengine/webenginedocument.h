#pragma once

#include "platform/api/documentaccess.h"

#include <QCoreApplication>

class QWebEnginePage;
class PageWaiting;

// What the window reads of the page and saves of it, each asked of the engine and waited for
// by the control in a bounded local event loop.
class WebEngineDocument final : public DocumentAccess
{
    Q_DECLARE_TR_FUNCTIONS(WebEngineDocument)

public:
    WebEngineDocument(PageWaiting &control, QWebEnginePage *page);

    QString DocumentBodyInnerHTML() override;
    QStringList DocumentLinkHrefs() override;
    void ExecWB(int command, int option, const QString &name) override;
    void SavePage(const QString &path, bool singleFile) override;

    // Whether the page's download that the engine starts now is the one SavePage asked for,
    // whose place is chosen already; asks once.
    bool takeSavingPage();

private:
    PageWaiting &m_control;
    QWebEnginePage *m_page;
    bool m_savingPage = false;
};
