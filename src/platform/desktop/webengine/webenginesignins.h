#pragma once

#include "platform/api/pagesignins.h"

#include <QElapsedTimer>
#include <QSet>
#include <QString>
#include <QVariantMap>

class QWebChannel;
class QWebEngineNavigationRequest;
class QWebEnginePage;

// What the sign-in script of the page reports, reachable from the script's own world only.
class SignInReports final : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

public Q_SLOTS:
    void report(const QVariantMap &report) { Q_EMIT reported(report); }

Q_SIGNALS:
    void reported(const QVariantMap &report);
};

// Sign-ins through a script in a world of its own, which the page's scripts can neither see
// nor call: it finds the top frame's logins, reports what the user types and how the logins
// end, and fills them; the page's navigations tell how it is left.
class WebEngineSignIns final : public PageSignIns
{
    Q_OBJECT

public:
    explicit WebEngineSignIns(QWebEnginePage *page);
    ~WebEngineSignIns() override;

    void fill(const QString &origin, const Login &login, const SignIn &signIn,
              bool byChoice) override;
    void setChooserShown(const Login &login, bool shown) override;
    bool passedCertificateError() const override;

    // The user chose to pass a certificate error of this address's host.
    void certificatePassed(const QUrl &url);
    // The next navigation of the page is the user's (from the address box, Back, ...).
    void userNavigates() { m_userNavigates.start(); }

private:
    void reported(const QVariantMap &report);
    void navigationRequested(QWebEngineNavigationRequest &request);

    QWebEnginePage *m_page;
    QWebChannel *m_channel;
    SignInReports m_reports;
    // The engine lets a passed host through without asking again for the rest of the run.
    QSet<QString> m_passedHosts;
    QElapsedTimer m_userNavigates;
    static constexpr qint64 UserNavigationMs = 5000;
};
