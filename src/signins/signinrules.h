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

// Whether nobody on the way can read what the page sends: https, or this machine's own
// loopback addresses.
bool isSecureOrigin(const QUrl &url);

// What the page's script reported of a sign-in: the password the user sent or typed, and the
// user name beside it.
struct Submission
{
    QString origin;
    QString userName;
    QString password;
};

// The report checked against the page it claims to come from: nothing when the origin differs
// from the page's, when a field has the wrong type, or when there is no password.
std::optional<Submission> readSubmission(const QVariantMap &report, const QUrl &pageUrl);
// The same check, where a user name alone (the first step of a login) is enough.
std::optional<Submission> readTyped(const QVariantMap &report, const QUrl &pageUrl);

enum class Offer { Nothing, Save, Update };

// The question a submission deserves. storedPassword is the keyring's secret for this user
// name, or nothing when the user name is not saved for the site.
Offer offerFor(bool neverForSite, const std::optional<QString> &storedPassword,
               const QString &submittedPassword);

// What the page's script measured of a login's fields, in the top frame, at one moment.
struct LoginFields
{
    bool topFrame = false;
    // The password field is shown: not hidden by style, of a usable size, not covered, and
    // within reach of the page's scrolling.
    bool visible = false;
    // Neither disabled nor read-only.
    bool enabled = false;
    // Where the form sends its fields; empty for fields outside any form.
    QUrl formAction;
};

// The login's fields from the page's report, as claimed; a report that is not one gives
// fields that are filled nowhere.
LoginFields readLoginFields(const QVariantMap &report);

enum class Fill {
    Never,
    // Only with a sign-in the user picks, after a click or focus in the field.
    OnChoice,
    // At once, as the page loads.
    OnLoad,
};

// Where a sign-in saved for savedOrigin may go: only into the top frame of that origin, never
// on a page whose certificate error the user passed, and never into a field the user cannot
// see or use. On load only on a secure origin whose form sends to that same origin; elsewhere
// the user chooses.
Fill fillFor(const QString &savedOrigin, const QUrl &pageUrl, bool passedCertificateError,
             const LoginFields &fields);

// How a login whose fields the page's script watched came to an end.
enum class LoginEnd {
    // Its form's submit event.
    Submitted,
    // A form sent without a submit event (the page called form.submit()).
    FormSentByScript,
    // The page went to another address, by a link or by itself.
    PageNavigated,
    // The user left the page from the address box, Back, Refresh or the like.
    UserNavigated,
    // The password field was removed or hidden.
    FieldLeft,
};

// Whether a login that ended so was a sign-in to offer. A submit event always counts; the
// other ends count only for a password the user typed, and a field that left the page only
// after the page sent a request since the typing.
bool countsAsSignIn(LoginEnd end, bool typedByUser, bool requestSinceTyping);

// A user name the user sent on one page of a site before its password page.
struct EarlierUserName
{
    QString origin;
    QString userName;
    qint64 atMs = 0;
};

// How long a user name typed on one page waits for the password page of the same site.
constexpr qint64 EarlierUserNameMs = 5 * 60 * 1000;

// The user name a sign-in is saved under: the one sent with the password, else one sent
// earlier on the same origin within EarlierUserNameMs.
QString userNameFor(const Submission &submission, const std::optional<EarlierUserName> &earlier,
                    qint64 nowMs);

} // namespace SignInRules
