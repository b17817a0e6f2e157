#pragma once

#include "platform/api/keyring.h"
#include "platform/api/pagesignins.h"
#include "signins/keyringaccess.h"
#include "signins/loginwatch.h"
#include "signins/savedsignins.h"
#include "signins/signinrules.h"

#include <memory>
#include <optional>
#include <QElapsedTimer>
#include <QObject>
#include <QRect>
#include <QStringList>

class PageEvents;
class SettingsStore;

// The sign-ins of the page shown, kept: it watches the page's logins, decides what to offer to
// save and what to fill, and keeps the settings store (sites and user names) and the keyring
// (passwords) in step. What the user sees and answers is the bar's and the chooser's; they show
// what this tells them and hand back the user's answers.
class SignInKeeper final : public QObject
{
    Q_OBJECT

public:
    SignInKeeper(PageSignIns &signIns, PageEvents &events, std::shared_ptr<Keyring> keyring,
                 std::shared_ptr<SettingsStore> settings, KeyringAccess::Runner guarded,
                 KeyringAccess::Tell tell, QObject *parent = nullptr);

    // Finds out whether the keyring answers, without asking the user.
    void checkKeyring() { m_keyring.check(); }
    bool isOffering() const { return m_offered.has_value(); }

    // The user's answers to an offer.
    void save();
    void neverForSite();
    void notNow();

    // The user chose a user name in the chooser; it was closed (also after a choice).
    void choose(const QString &userName);
    void chooserClosed();

Q_SIGNALS:
    // Ask whether to save (or update) the sign-in of userName for origin; its password stays
    // here.
    void offerMade(const QString &origin, const QString &userName, SignInRules::Offer offer);
    void offerEnded();
    // Show the saved userNames under fieldArea, which is on the page's widget.
    void choiceWanted(const QRect &fieldArea, const QStringList &userNames);
    // The chooser's keys from the page, and the end of its field.
    void choiceKey(const QString &key);
    void choiceEnded();

private:
    // The login the chooser is shown for.
    struct Choosing
    {
        QString origin;
        PageSignIns::Login login;
        // Whether the page was told the chooser is shown.
        bool told = false;
    };

    void connectPage(PageEvents &events);
    SavedSignIns saved() const;
    qint64 now() const { return m_clock.elapsed(); }
    void consider(const std::optional<SignInRules::Submission> &submission);
    void offer(const SignInRules::Submission &submission, SignInRules::Offer offer);
    void loginFound(const QVariantMap &report, const QUrl &pageUrl);
    void chooserWanted(const QVariantMap &report, const QRect &fieldArea, const QUrl &pageUrl);
    void pageShown(const QString &url);

    PageSignIns &m_signIns;
    std::shared_ptr<SettingsStore> m_settings;
    KeyringAccess::Runner m_guarded;
    KeyringAccess m_keyring;
    LoginWatch m_watch;
    QElapsedTimer m_clock;
    // The sign-in offered; its password stays in memory only until the answer.
    std::optional<SignInRules::Submission> m_offered;
    std::optional<Choosing> m_choosing;
};
