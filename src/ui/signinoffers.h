#pragma once

#include "platform/api/keyring.h"
#include "platform/api/pagesignins.h"
#include "signins/keyringaccess.h"
#include "signins/loginwatch.h"
#include "signins/savedsignins.h"
#include "signins/signinrules.h"
#include "ui/feature.h"

#include <memory>
#include <QElapsedTimer>
#include <QPointer>
#include <QUrl>
#include <QWidget>

class PageEvents;
class QLabel;
class QPushButton;
class SettingsStore;
class SignInChooser;
class StatusLine;

// Sign-ins the user keeps: a bar over the page offers to save (or update) the sign-in a page
// has just sent, whichever way it sent it, and a later visit to the same site finds its login
// filled where that is safe, else offers the saved user names under the field the user
// clicked. Passwords go to the desktop's keyring and nowhere else; a keyring that is missing,
// or that the user keeps locked, is said on the status line for as long as it lasts.
class SignInOffers final : public QWidget
{
    Q_OBJECT

public:
    static std::unique_ptr<SignInOffers> make(WindowParts &parts);

    // The bar stands over the page's widget, in window; the chooser opens under the page's
    // fields.
    SignInOffers(QWidget &window, QWidget &pageWidget, PageSignIns &signIns, PageEvents &events,
                 std::shared_ptr<Keyring> keyring, std::shared_ptr<SettingsStore> settings,
                 StatusLine &status, WindowParts::Runner guarded);

    bool isOffering() const { return !isHidden(); }
    QString offerText() const;
    // What the bar says of a page that is not secure; "" on a secure one.
    QString warningText() const;
    SignInChooser &chooser() const { return *m_chooser; }

    // The answers of the bar.
    void save();
    void neverForSite();
    void notNow();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The login the chooser is shown for.
    struct Choosing
    {
        QString origin;
        PageSignIns::Login login;
    };

    void connectPage();
    SavedSignIns saved() const;
    qint64 now() const { return m_clock.elapsed(); }
    void consider(const std::optional<SignInRules::Submission> &submission);
    void offer(const SignInRules::Submission &submission, SignInRules::Offer offer);
    void loginFound(const QVariantMap &report, const QUrl &pageUrl);
    void chooserWanted(const QVariantMap &report, const QRect &fieldArea, const QUrl &pageUrl);
    void chosen(const QString &userName);
    void placeOverPage();

    PageSignIns &m_signIns;
    PageEvents &m_events;
    StatusLine &m_status;
    std::shared_ptr<SettingsStore> m_settings;
    WindowParts::Runner m_guarded;
    QPointer<QWidget> m_pageWidget;
    KeyringAccess m_keyring;
    LoginWatch m_watch;
    QElapsedTimer m_clock;
    // The sign-in the bar asks about; its password stays in memory only until the answer.
    SignInRules::Submission m_offered;
    std::optional<Choosing> m_choosing;
    QLabel *m_text;
    QLabel *m_warning;
    QPushButton *m_save;
    QPushButton *m_never;
    QPushButton *m_notNow;
    SignInChooser *m_chooser;
};
