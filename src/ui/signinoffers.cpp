#include "ui/signinoffers.h"

#include "platform/api/pageevents.h"
#include "platform/api/platform.h"
#include "platform/api/startupphase.h"
#include "ui/signinchooser.h"
#include "ui/statusline.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace {

// What the bar calls a site: its host, and its port where it is not the scheme's own.
QString siteName(const QString &origin)
{
    const QUrl url(origin);
    const int defaultPort = url.scheme() == QLatin1String("https") ? 443 : 80;
    return url.port(defaultPort) == defaultPort
        ? url.host()
        : url.host() + QLatin1Char(':') + QString::number(url.port());
}

PageSignIns::Login loginOf(const QVariantMap &report)
{
    return { report.value(QStringLiteral("document")).toString(),
             report.value(QStringLiteral("login")).toInt() };
}

} // namespace

std::unique_ptr<SignInOffers> SignInOffers::make(WindowParts &parts)
{
    return std::make_unique<SignInOffers>(parts.window, parts.page.widget, parts.page.signIns,
                                          parts.page.events, parts.platform.keyring,
                                          parts.platform.settings, parts.status, parts.guarded);
}

SignInOffers::SignInOffers(QWidget &window, QWidget &pageWidget, PageSignIns &signIns,
                           PageEvents &events, std::shared_ptr<Keyring> keyring,
                           std::shared_ptr<SettingsStore> settings, StatusLine &status,
                           WindowParts::Runner guarded)
    : QWidget(&window)
    , m_signIns(signIns)
    , m_events(events)
    , m_status(status)
    , m_settings(std::move(settings))
    , m_guarded(guarded)
    , m_pageWidget(&pageWidget)
    , m_keyring(std::move(keyring), guarded,
                [&status](const QString &text) { status.set(StatusLine::SignIns, text); })
    , m_text(new QLabel(this))
    , m_warning(new QLabel(this))
    , m_save(new QPushButton(tr("&Save"), this))
    , m_never(new QPushButton(tr("&Never for this site"), this))
    , m_notNow(new QPushButton(tr("Not no&w"), this))
    , m_chooser(new SignInChooser(&window))
{
    m_clock.start();
    setObjectName(QStringLiteral("signInBar"));
    setAccessibleName(tr("Save sign-in"));
    setAutoFillBackground(true);
    m_text->setObjectName(QStringLiteral("signInText"));
    m_warning->setObjectName(QStringLiteral("signInWarning"));
    m_warning->setStyleSheet(QStringLiteral("font-weight: bold"));
    m_save->setObjectName(QStringLiteral("signInSave"));
    m_never->setObjectName(QStringLiteral("signInNever"));
    m_notNow->setObjectName(QStringLiteral("signInNotNow"));
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->addWidget(m_text);
    layout->addWidget(m_warning, 1);
    layout->addWidget(m_save);
    layout->addWidget(m_never);
    layout->addWidget(m_notNow);
    hide();

    const auto run = [this](const char *name, void (SignInOffers::*answer)()) {
        return [this, name, answer] { m_guarded(name, [&] { (this->*answer)(); }); };
    };
    connect(m_save, &QPushButton::clicked, this, run("cmdSaveSignIn_Click", &SignInOffers::save));
    connect(m_never, &QPushButton::clicked, this,
            run("cmdNeverSignIn_Click", &SignInOffers::neverForSite));
    connect(m_notNow, &QPushButton::clicked, this,
            run("cmdNotNowSignIn_Click", &SignInOffers::notNow));
    connect(m_chooser, &SignInChooser::chosen, this, [this](const QString &userName) {
        m_guarded("lstSignInChoices_Click", [&] { chosen(userName); });
    });
    connect(m_chooser, &SignInChooser::dismissed, this, [this] {
        if (const auto choosing = std::exchange(m_choosing, std::nullopt))
            m_signIns.setChooserShown(choosing->login, false);
    });
    connectPage();
    m_pageWidget->installEventFilter(this);

    // Whether the keyring answers is known before the first form is sent, but start-up does not
    // wait for it.
    afterStartPage(this, [this] { m_keyring.check(); });
}

void SignInOffers::connectPage()
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
    connect(&signIns, &PageSignIns::chooserKey, m_chooser, &SignInChooser::key);
    connect(&signIns, &PageSignIns::chooserDone, m_chooser, &SignInChooser::dismiss);
    // The bar stays while the form's own answer from the same site comes in.
    connect(&m_events, &PageEvents::NavigateComplete2, this, [this](const QString &url) {
        m_chooser->dismiss();
        if (isOffering() && SignInRules::originOf(QUrl(url)) != m_offered.origin)
            notNow();
    });
}

QString SignInOffers::offerText() const
{
    return m_text->text();
}

QString SignInOffers::warningText() const
{
    return m_warning->text();
}

SavedSignIns SignInOffers::saved() const
{
    return SavedSignIns(*m_settings);
}

void SignInOffers::consider(const std::optional<SignInRules::Submission> &submission)
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

void SignInOffers::offer(const SignInRules::Submission &submission, SignInRules::Offer offer)
{
    if (offer == SignInRules::Offer::Nothing)
        return;
    m_offered = submission;
    const QString site = siteName(submission.origin);
    if (offer == SignInRules::Offer::Update) {
        m_text->setText(
            tr("Update the saved password of %1 for %2?").arg(submission.userName, site));
        m_save->setText(tr("&Update"));
    } else {
        m_text->setText(submission.userName.isEmpty()
                            ? tr("Save the password for %1?").arg(site)
                            : tr("Save the sign-in of %1 for %2?").arg(submission.userName, site));
        m_save->setText(tr("&Save"));
    }
    m_warning->setText(SignInRules::isSecureOrigin(QUrl(submission.origin))
                           ? QString()
                           : tr("This page is not secure: the password can be read on the way."));
    placeOverPage();
    show();
    raise();
}

void SignInOffers::save()
{
    const SignInRules::Submission offered = m_offered;
    notNow();
    const SavedSignIns::Entry entry { offered.origin, offered.userName };
    // The site and user name are kept only once the keyring holds the password.
    m_keyring.store(SavedSignIns::keyringKey(entry), offered.password,
                    [this, entry](const Keyring::Answer &answer) {
                        if (answer.ok && !saved().contains(entry))
                            saved().add(entry);
                    });
}

void SignInOffers::neverForSite()
{
    const QString origin = m_offered.origin;
    notNow();
    saved().setNeverFor(origin);
}

void SignInOffers::notNow()
{
    m_offered = {};
    hide();
}

void SignInOffers::loginFound(const QVariantMap &report, const QUrl &pageUrl)
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

void SignInOffers::chooserWanted(const QVariantMap &report, const QRect &fieldArea,
                                 const QUrl &pageUrl)
{
    const QString origin = SignInRules::originOf(pageUrl);
    if (!m_pageWidget || m_keyring.state() == KeyringAccess::State::Missing
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
        m_chooser->dismiss();
    m_choosing = Choosing { origin, login };
    // The chooser stands on the screen, not in the window: it goes when the window moves or
    // is left.
    m_pageWidget->window()->installEventFilter(this);
    const QPoint pageTopLeft = m_pageWidget->mapToGlobal(QPoint(0, 0));
    m_chooser->showUnder(fieldArea.translated(pageTopLeft),
                         QRect(pageTopLeft, m_pageWidget->size()), userNames);
    m_signIns.setChooserShown(login, true);
}

void SignInOffers::chosen(const QString &userName)
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

bool SignInOffers::eventFilter(QObject *watched, QEvent *event)
{
    if (m_pageWidget && watched == m_pageWidget->window()
        && (event->type() == QEvent::Move || event->type() == QEvent::Resize
            || event->type() == QEvent::WindowDeactivate || event->type() == QEvent::Hide))
        m_chooser->dismiss();
    // The page's surface may outlive the control while the window goes.
    if (watched == m_pageWidget && m_pageWidget
        && (event->type() == QEvent::Resize || event->type() == QEvent::Move)) {
        placeOverPage();
        m_chooser->dismiss();
    }
    return QWidget::eventFilter(watched, event);
}

void SignInOffers::placeOverPage()
{
    const QWidget *page = m_pageWidget;
    if (!page)
        return;
    const QPoint topLeft = page->mapTo(parentWidget(), QPoint(0, 0));
    setGeometry(topLeft.x(), topLeft.y(), page->width(), sizeHint().height());
}
