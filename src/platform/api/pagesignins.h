#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>
#include <QVariantMap>

// The sign-in forms of the page shown: what the top frame sends, and filling its fields.
class PageSignIns : public QObject
{
    Q_OBJECT

public:
    struct SignIn
    {
        QString userName;
        QString secret;
    };

    using QObject::QObject;

    // Fills the top frame's user-name and password fields with the first sign-in; with more
    // than one, the user-name field offers every user name. Nothing happens unless the page
    // shown still belongs to origin.
    virtual void fill(const QString &origin, const QList<SignIn> &signIns) = 0;
    // Whether the user chose to pass a certificate error of the page shown.
    virtual bool passedCertificateError() const = 0;

Q_SIGNALS:
    // The top frame sent a form with a password: report holds "origin", "userName" and
    // "password" as the page's script claims them; pageUrl is the page's real address.
    void formSubmitted(const QVariantMap &report, const QUrl &pageUrl);
};
