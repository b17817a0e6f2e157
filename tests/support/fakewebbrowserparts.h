#pragma once

#include "fakedownloads.h"
#include "platform/api/documentaccess.h"
#include "platform/api/downloadcontrol.h"
#include "platform/api/pagefind.h"
#include "platform/api/pageprinting.h"
#include "platform/api/pagereader.h"
#include "platform/api/pagesignins.h"
#include "platform/api/pagetools.h"
#include "platform/api/zoomcontrol.h"

#include <functional>
#include <memory>
#include <QStringList>

class FakeWebBrowserControl;

// The parts of the web control's double. Each records its calls in the control's one list,
// so a test sees them in the order they came, whichever part took them.

// Reads the page that the control's double shows.
class FakeDocumentAccess final : public DocumentAccess
{
public:
    explicit FakeDocumentAccess(FakeWebBrowserControl &control)
        : m_control(control)
    {
    }

    QString DocumentBodyInnerHTML() override;
    QStringList DocumentLinkHrefs() override;
    void ExecWB(int command, int option, const QString &name) override;
    void SavePage(const QString &path, bool singleFile) override;

private:
    FakeWebBrowserControl &m_control;
};

class FakePageFind final : public PageFind
{
    Q_OBJECT

public:
    explicit FakePageFind(QStringList &calls)
        : m_calls(calls)
    {
    }

    void FindText(const QString &text, bool matchCase, bool backward) override;

private:
    QStringList &m_calls;
};

class FakeZoomControl final : public ZoomControl
{
    Q_OBJECT

public:
    explicit FakeZoomControl(QStringList &calls)
        : m_calls(calls)
    {
    }

    qreal ZoomFactor() const override { return zoom; }
    void SetZoomFactor(qreal factor) override;
    void SetZoomForAddress(std::function<qreal(const QString &)> zoomFor) override
    {
        zoomForAddress = std::move(zoomFor);
    }

    qreal zoom = 1.0;
    std::function<qreal(const QString &)> zoomForAddress;

private:
    QStringList &m_calls;
};

// Prints the body of the page that the control's double shows, as rich text.
class FakePagePrinting final : public PagePrinting
{
    Q_OBJECT

public:
    explicit FakePagePrinting(FakeWebBrowserControl &control)
        : m_control(control)
    {
    }

    void PrintPage(QPrinter &printer) override;
    void SetPrintPreviewOpen(bool open) override;

private:
    FakeWebBrowserControl &m_control;
};

class FakeDownloadControl final : public DownloadControl
{
public:
    explicit FakeDownloadControl(QStringList &calls)
        : m_calls(calls)
    {
    }

    int DownloadsInProgress() const override { return downloadsInProgress; }
    void CancelDownloads() override;
    Downloads &downloads() override { return *downloadList; }

    int downloadsInProgress = 0;
    std::shared_ptr<FakeDownloads> downloadList = std::make_shared<FakeDownloads>();

private:
    QStringList &m_calls;
};

class FakePageTools final : public PageTools
{
    Q_OBJECT

public:
    explicit FakePageTools(QStringList &calls)
        : m_calls(calls)
    {
    }

    void ShowInspector() override;
    void SetContextMenuActions(const QList<QAction *> &actions) override { menuActions = actions; }
    void SetContextMenuKeys(const QHash<MenuItem, QString> &keys) override { menuKeys = keys; }
    QString SelectorAtMenuPoint() const override { return menuSelector; }

    QList<QAction *> menuActions;
    QHash<MenuItem, QString> menuKeys;
    QString menuSelector; // the element under the pointer as the page's menu opened

private:
    QStringList &m_calls;
};

// Records what it was asked to fill; a test sends a form through formSubmitted.
class FakePageSignIns final : public PageSignIns
{
public:
    struct Fill
    {
        QString origin;
        Login login;
        SignIn signIn;
        bool byChoice = false;
    };

    void fill(const QString &origin, const Login &login, const SignIn &signIn,
              bool byChoice) override
    {
        fills.append({ origin, login, signIn, byChoice });
    }
    void setChooserShown(const Login &login, bool shown) override
    {
        chooserShownFor = shown ? login.login : 0;
    }
    bool passedCertificateError() const override { return certificatePassed; }

    QList<Fill> fills;
    bool certificatePassed = false;
    // The login the chooser is shown for; 0 when it is not shown.
    int chooserShownFor = 0;
};

// The reader view: the test says whether the article is shown.
class FakePageReader final : public PageReader
{
    Q_OBJECT

public:
    explicit FakePageReader(QStringList &calls)
        : m_calls(calls)
    {
    }

    void ToggleReaderView() override;
    bool LeaveReaderView() override;
    bool ReaderViewShown() const override { return shown; }

    bool shown = false;

private:
    QStringList &m_calls;
};
