#pragma once

#include "platform/api/pagesignins.h"

#include <QSet>
#include <QString>
#include <QVariantMap>

class QWebChannel;
class QWebEnginePage;

// What the sign-in script of the page reports, reachable from the script's own world only.
class SignInReports final : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

public Q_SLOTS:
    void submitted(const QVariantMap &report) { Q_EMIT reported(report); }

Q_SIGNALS:
    void reported(const QVariantMap &report);
};

// Sign-in forms through a script in a world of its own, which the page's scripts can neither
// see nor call: it reports forms sent in the top frame and fills their fields.
class WebEngineSignIns final : public PageSignIns
{
    Q_OBJECT

public:
    explicit WebEngineSignIns(QWebEnginePage *page);
    ~WebEngineSignIns() override;

    void fill(const QString &origin, const QList<SignIn> &signIns) override;
    bool passedCertificateError() const override;

    // The user chose to pass a certificate error of this address's host.
    void certificatePassed(const QUrl &url);

private:
    QWebEnginePage *m_page;
    QWebChannel *m_channel;
    SignInReports m_reports;
    // The engine lets a passed host through without asking again for the rest of the run.
    QSet<QString> m_passedHosts;
};
