#pragma once

#include "signins/signinrules.h"

#include <optional>
#include <QUrl>
#include <QVariantMap>

// Tells from the reports of the page's script when a sign-in has happened on the page shown:
// what the user typed into a login's fields, how the login ended, and a user name the user
// sent on an earlier page of the same site. It keeps all of it in memory only.
class LoginWatch
{
public:
    // The user typed into a login's fields: "document", "origin", "userName" and "password" as
    // the page's script claims them (the password may be empty on a page that asks for a user
    // name only).
    void typed(const QVariantMap &report, const QUrl &pageUrl);
    // A login's form was sent ("how" is "submit") or its password field left the page ("how"
    // is "left"), with the fields and "typedByUser", "requestSinceTyping". The sign-in to
    // offer, if that was one.
    std::optional<SignInRules::Submission> ended(const QVariantMap &report, const QUrl &pageUrl,
                                                 qint64 nowMs);
    // The top frame leaves pageUrl (end: PageNavigated, FormSentByScript or UserNavigated);
    // what the user typed there may have been a sign-in.
    std::optional<SignInRules::Submission> leaving(SignInRules::LoginEnd end, const QUrl &pageUrl,
                                                   qint64 nowMs);

private:
    // What the page reported, and the document of the page that reported it.
    struct Login
    {
        SignInRules::Submission fields;
        QString document;
    };

    std::optional<SignInRules::Submission> conclude(const Login &login, qint64 nowMs);

    // What the user typed on the page shown, until its login ends.
    std::optional<Login> m_typed;
    std::optional<SignInRules::EarlierUserName> m_earlier;
    // The last sign-in found, its password as a digest only: the same one, reported again by
    // another route (the submit event and the navigation it starts), is offered once.
    struct Found
    {
        QString document;
        QString origin;
        QByteArray passwordDigest;
    };
    std::optional<Found> m_last;
};
