#pragma once

#include "platform/api/keyring.h"
#include "signins/savedsignins.h"
#include "signins/signinrules.h"
#include "ui/featurecontext.h"

#include <memory>
#include <QPointer>
#include <QUrl>
#include <QWidget>

class QLabel;
class QPushButton;
class SettingsStore;

// Sign-ins the user keeps: a bar over the page offers to save (or update) the sign-in a page's
// form has just sent, and a later visit to the same site finds its fields filled. Passwords go
// to the desktop's keyring and nowhere else; without one nothing is offered, and the user is
// told once.
class SignInOffers final : public QWidget
{
    Q_OBJECT

public:
    explicit SignInOffers(const FeatureContext &context);

    bool isOffering() const { return !isHidden(); }
    QString offerText() const;

    // The answers of the bar.
    void save();
    void neverForSite();
    void notNow();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    enum class KeyringState { Unknown, Working, Unavailable };

    SavedSignIns saved() const;
    void submitted(const QVariantMap &report, const QUrl &pageUrl);
    void offer(const SignInRules::Submission &submission, SignInRules::Offer offer);
    void pageLoaded();
    void fillFrom(const QString &origin, const QStringList &userNames);
    // Every answer of the keyring passes here first: false when it has turned out unavailable.
    bool keyringWorks(const Keyring::Answer &answer);
    // Runs a keyring call whose answer comes later, guarded, while this unit still exists.
    void ask(const std::function<void(Keyring::Done)> &call,
             std::function<void(const Keyring::Answer &)> then);
    void placeOverPage();

    WebBrowserControl &m_page;
    StatusLine &m_status;
    std::shared_ptr<SettingsStore> m_settings;
    std::shared_ptr<Keyring> m_keyring;
    FeatureContext::Runner m_guarded;
    QPointer<QWidget> m_pageWidget;
    KeyringState m_keyringState = KeyringState::Unknown;
    // The sign-in the bar asks about; its password stays in memory only until the answer.
    SignInRules::Submission m_offered;
    QLabel *m_text;
    QPushButton *m_save;
    QPushButton *m_never;
    QPushButton *m_notNow;
};
