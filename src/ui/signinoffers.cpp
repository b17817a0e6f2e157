#include "ui/signinoffers.h"

#include "platform/api/pagesignins.h"
#include "platform/api/platform.h"
#include "platform/api/startupphase.h"
#include "platform/api/webbrowsercontrol.h"
#include "ui/statusline.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>

namespace {

// A key nothing is ever saved under: reading it tells whether the keyring answers at all.
const QString ProbeKey = QStringLiteral("keyring check");

// What the bar calls a site: its host, and its port where it is not the scheme's own.
QString siteName(const QString &origin)
{
    const QUrl url(origin);
    const int defaultPort = url.scheme() == QLatin1String("https") ? 443 : 80;
    return url.port(defaultPort) == defaultPort
        ? url.host()
        : url.host() + QLatin1Char(':') + QString::number(url.port());
}

} // namespace

SignInOffers::SignInOffers(const FeatureContext &context)
    : QWidget(&context.window)
    , m_page(context.page)
    , m_status(context.status)
    , m_settings(context.platform.settings)
    , m_keyring(context.platform.keyring)
    , m_guarded(context.guarded)
    , m_pageWidget(context.page.widget())
    , m_text(new QLabel(this))
    , m_save(new QPushButton(tr("&Save"), this))
    , m_never(new QPushButton(tr("&Never for this site"), this))
    , m_notNow(new QPushButton(tr("Not no&w"), this))
{
    setObjectName(QStringLiteral("signInBar"));
    setAccessibleName(tr("Save sign-in"));
    setAutoFillBackground(true);
    m_text->setObjectName(QStringLiteral("signInText"));
    m_save->setObjectName(QStringLiteral("signInSave"));
    m_never->setObjectName(QStringLiteral("signInNever"));
    m_notNow->setObjectName(QStringLiteral("signInNotNow"));
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->addWidget(m_text, 1);
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

    connect(&m_page.signIns(), &PageSignIns::formSubmitted, this,
            [this](const QVariantMap &report, const QUrl &pageUrl) {
                m_guarded("signIns_Submitted", [&] { submitted(report, pageUrl); });
            });
    // The bar stays while the form's own answer from the same site comes in.
    connect(&m_page, &WebBrowserControl::NavigateComplete2, this, [this](const QString &url) {
        if (isOffering() && SignInRules::originOf(QUrl(url)) != m_offered.origin)
            notNow();
    });
    connect(&m_page, &WebBrowserControl::DownloadComplete, this,
            [this] { m_guarded("signIns_PageLoaded", [&] { pageLoaded(); }); });
    m_pageWidget->installEventFilter(this);

    // Whether the keyring answers is known before the first form is sent, but start-up does not
    // wait for it.
    afterStartPage(this, [this] {
        if (m_keyringState == KeyringState::Unknown)
            ask([this](Keyring::Done done) { m_keyring->read(ProbeKey, std::move(done)); },
                [](const Keyring::Answer &) {});
    });
}

QString SignInOffers::offerText() const
{
    return m_text->text();
}

SavedSignIns SignInOffers::saved() const
{
    return SavedSignIns(*m_settings);
}

void SignInOffers::submitted(const QVariantMap &report, const QUrl &pageUrl)
{
    const auto submission = SignInRules::readSubmission(report, pageUrl);
    if (m_keyringState == KeyringState::Unavailable || !submission
        || saved().neverFor(submission->origin))
        return;
    const SavedSignIns::Entry entry { submission->origin, submission->userName };
    const bool known = saved().contains(entry);
    ask([this, key = SavedSignIns::keyringKey(entry)](
            Keyring::Done done) { m_keyring->read(key, std::move(done)); },
        [this, known, submission = *submission](const Keyring::Answer &answer) {
            const auto stored = known && answer.ok ? std::optional(answer.secret) : std::nullopt;
            offer(submission, SignInRules::offerFor(false, stored, submission.password));
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
    ask([this, key = SavedSignIns::keyringKey(entry), secret = offered.password](
            Keyring::Done done) { m_keyring->store(key, secret, std::move(done)); },
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

void SignInOffers::pageLoaded()
{
    const QUrl url(m_page.LocationURL());
    const QString origin = SignInRules::originOf(url);
    if (m_keyringState == KeyringState::Unavailable
        || !SignInRules::mayFill(origin, url, true, m_page.signIns().passedCertificateError()))
        return;
    const QStringList userNames = saved().userNames(origin);
    if (!userNames.isEmpty())
        fillFrom(origin, userNames);
}

void SignInOffers::fillFrom(const QString &origin, const QStringList &userNames)
{
    // One read after the other; the page gets them all at once, when the last has come.
    auto signIns = std::make_shared<QList<PageSignIns::SignIn>>();
    // The keyring's pending answer holds the next step; nothing holds it once the chain ends.
    auto next = std::make_shared<std::function<void()>>();
    *next = [this, origin, userNames, signIns, step = std::weak_ptr(next)] {
        if (signIns->size() == userNames.size()) {
            m_page.signIns().fill(origin, *signIns);
            return;
        }
        const QString userName = userNames.at(signIns->size());
        ask([this, key = SavedSignIns::keyringKey({ origin, userName })](
                Keyring::Done done) { m_keyring->read(key, std::move(done)); },
            [signIns, next = step.lock(), userName](const Keyring::Answer &answer) {
                signIns->append({ userName, answer.ok ? answer.secret : QString() });
                (*next)();
            });
    };
    (*next)();
}

bool SignInOffers::keyringWorks(const Keyring::Answer &answer)
{
    if (answer.ok || answer.missing) {
        m_keyringState = KeyringState::Working;
        return true;
    }
    if (m_keyringState != KeyringState::Unavailable) {
        m_keyringState = KeyringState::Unavailable;
        m_status.set(StatusLine::Message,
                     tr("Sign-ins cannot be saved: the desktop's keyring is not available."));
    }
    notNow();
    return false;
}

void SignInOffers::ask(const std::function<void(Keyring::Done)> &call,
                       std::function<void(const Keyring::Answer &)> then)
{
    call([self = QPointer(this), then = std::move(then)](const Keyring::Answer &answer) {
        if (!self)
            return;
        self->m_guarded("signIns_KeyringAnswer", [&] {
            if (self->keyringWorks(answer) && then)
                then(answer);
        });
    });
}

bool SignInOffers::eventFilter(QObject *watched, QEvent *event)
{
    // The page's surface may outlive the control while the window goes.
    if (watched == m_pageWidget && m_pageWidget
        && (event->type() == QEvent::Resize || event->type() == QEvent::Move))
        placeOverPage();
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
