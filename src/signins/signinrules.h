#pragma once

#include <optional>
#include <QString>
#include <QUrl>
#include <QVariantMap>

namespace SignInRules {

// "scheme://host:port" with the scheme's default port written out, so that an address with
// and without its default port meet; "" for anything but http and https, where nothing is
// saved or filled.
QString originOf(const QUrl &url);

// What the page's script reported when a form with a password was sent.
struct Submission
{
    QString origin;
    QString userName;
    QString password;
};

// The report checked against the page it claims to come from: nothing when the origin differs
// from the page's, when a field has the wrong type, or when there is no password.
std::optional<Submission> readSubmission(const QVariantMap &report, const QUrl &pageUrl);

enum class Offer { Nothing, Save, Update };

// The question a submission deserves. storedPassword is the keyring's secret for this user
// name, or nothing when the user name is not saved for the site.
Offer offerFor(bool neverForSite, const std::optional<QString> &storedPassword,
               const QString &submittedPassword);

// Filling is for the top frame of the saved origin only, and never on a page whose
// certificate error the user chose to pass.
bool mayFill(const QString &savedOrigin, const QUrl &pageUrl, bool topFrame,
             bool passedCertificateError);

} // namespace SignInRules
