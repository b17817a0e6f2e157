#include "signins/signinkeeper.h"

#include "platform/api/pageevents.h"
#include "platform/api/startupphase.h"

namespace {

PageSignIns::Login loginOf(const QVariantMap &report)
{
    return { report.value(QStringLiteral("document")).toString(),
             report.value(QStringLiteral("login")).toInt() };
}

} // namespace

SignInKeeper::SignInKeeper(PageSignIns &signIns, PageEvents &events,
                           std::shared_ptr<Keyring> keyring,
                           std::shared_ptr<SettingsStore> settings, KeyringAccess::Runner guarded,
                           KeyringAccess::Tell tell, QObject *parent)
    : QObject(parent)
    , m_signIns(signIns)
    , m_settings(std::move(settings))
    , m_guarded(guarded)
    , m_keyring(std::move(keyring), guarded, std::move(tell))
{
    m_clock.start();
    connectPage(events);
    // Whether the keyring answers is known before the first form is sent, but start-up does not
    // wait for it.
    afterStartPage(this, [this] { m_keyring.check(); });
}

void SignInKeeper::connectPage(PageEvents &events)
{
    PageSignIns &signIns = m_signIns;
    connect(&signIns, &PageSignIns::formSubmitted, this,
            [this](const QVariantMap &report, const QUrl &pageUrl) {
                m_guarded("signIns_Submitted",
                          [&] { consider(m_watch.ended(report, pageUrl, now())); });
            });
    connect(
        &signIns, &PageSignIns::loginTyped, this,
        [this](const QVariantMap &report, const QUrl &pageUrl) { m_watch.typed(report, pageUrl); });
    connect(&signIns, &PageSignIns::pageLeaving, this,
            [this](PageSignIns::Leaving how, const QUrl &pageUrl) {
                m_guarded("signIns_PageLeaving", [&] {
                    using SignInRules::LoginEnd;
                    const LoginEnd end = how == PageSignIns::Leaving::ByUser
                        ? LoginEnd::UserNavigated
                        : how == PageSignIns::Leaving::FormSent ? LoginEnd::FormSentByScript
                                                                : LoginEnd::PageNavigated;
                    consider(m_watch.leaving(end, pageUrl, now()));
                });
            });
    connect(&signIns, &PageSignIns::loginFound, this,
            [this](const QVariantMap &report, const QUrl &pageUrl) {
                m_guarded("signIns_LoginFound", [&] { loginFound(report, pageUrl); });
            });
    connect(&signIns, &PageSignIns::chooserWanted, this,
            [this](const QVariantMap &report, const QRect &fieldArea, const QUrl &pageUrl) {
                m_guarded("signIns_ChooserWanted",
                          [&] { chooserWanted(report, fieldArea, pageUrl); });
            });
    connect(&signIns, &PageSignIns::chooserKey, this, &SignInKeeper::choiceKey);
    connect(&signIns, &PageSignIns::chooserDone, this, &SignInKeeper::choiceEnded);
    connect(&events, &PageEvents::NavigateComplete2, this, &SignInKeeper::pageShown);
}

SavedSignIns SignInKeeper::saved() const
{
    return SavedSignIns(*m_settings);
}

void SignInKeeper::consider(const std::optional<SignInRules::Submission> &submission)
{
    if (!submission || saved().neverFor(submission->origin))
        return;
    const SavedSignIns::Entry entry { submission->origin, submission->userName };
    const bool known = saved().contains(entry);
    // A locked keyring is opened (the desktop asks) before anything is offered, so that Save
    // cannot fail for it afterwards.
    m_keyring.whenOpen(false, [this, entry, known, submission = *submission] {
        m_keyring.read(SavedSignIns::keyringKey(entry),
                       [this, known, submission](const Keyring::Answer &answer) {
                           const auto stored
                               = known && answer.ok ? std::optional(answer.secret) : std::nullopt;
                           offer(submission,
                                 SignInRules::offerFor(false, stored, submission.password));
                       });
    });
}

void SignInKeeper::offer(const SignInRules::Submission &submission, SignInRules::Offer offer)
{
    if (offer == SignInRules::Offer::Nothing)
        return;
    m_offered = submission;
    Q_EMIT offerMade(submission.origin, submission.userName, offer);
}

void SignInKeeper::save()
{
    if (!m_offered)
        return;
    const SignInRules::Submission offered = *m_offered;
    notNow();
    const SavedSignIns::Entry entry { offered.origin, offered.userName };
    // The site and user name are kept only once the keyring holds the password.
    m_keyring.store(SavedSignIns::keyringKey(entry), offered.password,
                    [this, entry](const Keyring::Answer &answer) {
                        if (answer.ok && !saved().contains(entry))
                            saved().add(entry);
                    });
}

void SignInKeeper::neverForSite()
{
    if (!m_offered)
        return;
    const QString origin = m_offered->origin;
    notNow();
    saved().setNeverFor(origin);
}

void SignInKeeper::notNow()
{
    m_offered.reset();
    Q_EMIT offerEnded();
}

// The offer stays while the form's own answer from the same site comes in.
void SignInKeeper::pageShown(const QString &url)
{
    Q_EMIT choiceEnded();
    if (m_offered && SignInRules::originOf(QUrl(url)) != m_offered->origin)
        notNow();
}

void SignInKeeper::loginFound(const QVariantMap &report, const QUrl &pageUrl)
{
    const QString origin = SignInRules::originOf(pageUrl);
    if (SignInRules::fillFor(origin, pageUrl, m_signIns.passedCertificateError(),
                             SignInRules::readLoginFields(report))
        != SignInRules::Fill::OnLoad)
        return;
    const QStringList userNames = saved().userNames(origin);
    if (userNames.isEmpty())
        return;
    // A locked keyring stays locked for a fill on load: the user has not asked for anything.
    m_keyring.ifOpen([this, origin, login = loginOf(report), userName = userNames.first()] {
        m_keyring.read(SavedSignIns::keyringKey({ origin, userName }),
                       [this, origin, login, userName](const Keyring::Answer &answer) {
                           if (answer.ok)
                               m_signIns.fill(origin, login, { userName, answer.secret }, false);
                       });
    });
}

void SignInKeeper::chooserWanted(const QVariantMap &report, const QRect &fieldArea,
                                 const QUrl &pageUrl)
{
    const QString origin = SignInRules::originOf(pageUrl);
    if (m_keyring.state() == KeyringAccess::State::Missing
        || SignInRules::fillFor(origin, pageUrl, m_signIns.passedCertificateError(),
                                SignInRules::readLoginFields(report))
            == SignInRules::Fill::Never)
        return;
    const QStringList userNames = saved().userNames(origin);
    if (userNames.isEmpty())
        return;
    const PageSignIns::Login login = loginOf(report);
    if (m_choosing
        && (m_choosing->login.document != login.document || m_choosing->login.login != login.login))
        Q_EMIT choiceEnded();
    m_choosing = Choosing { origin, login };
    Q_EMIT choiceWanted(fieldArea, userNames);
    // The chooser could not be shown if it was closed at once.
    if (m_choosing && !m_choosing->told) {
        m_choosing->told = true;
        m_signIns.setChooserShown(login, true);
    }
}

void SignInKeeper::choose(const QString &userName)
{
    if (!m_choosing)
        return;
    // The user asked for it: a locked keyring is asked to open even after a refusal.
    m_keyring.whenOpen(true, [this, choosing = *m_choosing, userName] {
        m_keyring.read(SavedSignIns::keyringKey({ choosing.origin, userName }),
                       [this, choosing, userName](const Keyring::Answer &answer) {
                           if (answer.ok)
                               m_signIns.fill(choosing.origin, choosing.login,
                                              { userName, answer.secret }, true);
                       });
    });
}

void SignInKeeper::chooserClosed()
{
    if (const auto choosing = std::exchange(m_choosing, std::nullopt); choosing && choosing->told)
        m_signIns.setChooserShown(choosing->login, false);
}
