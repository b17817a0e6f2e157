#include "ui/signins/signinoffers.h"

#include "platform/api/platform.h"
#include "ui/signins/signinchooser.h"
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
    , m_guarded(guarded)
    , m_pageWidget(&pageWidget)
    , m_keeper(signIns, events, std::move(keyring), std::move(settings), guarded,
               [&status](const QString &text) { status.set(StatusLine::SignIns, text); })
    , m_text(new QLabel(this))
    , m_warning(new QLabel(this))
    , m_save(new QPushButton(tr("&Save"), this))
    , m_never(new QPushButton(tr("&Never for this site"), this))
    , m_notNow(new QPushButton(tr("Not no&w"), this))
    , m_chooser(new SignInChooser(&window))
{
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

    connect(m_save, &QPushButton::clicked, this,
            handler(m_guarded, "cmdSaveSignIn_Click", this, &SignInOffers::save));
    connect(m_never, &QPushButton::clicked, this,
            handler(m_guarded, "cmdNeverSignIn_Click", this, &SignInOffers::neverForSite));
    connect(m_notNow, &QPushButton::clicked, this,
            handler(m_guarded, "cmdNotNowSignIn_Click", this, &SignInOffers::notNow));
    connect(m_chooser, &SignInChooser::chosen, this, [this](const QString &userName) {
        m_guarded("lstSignInChoices_Click", [&] { m_keeper.choose(userName); });
    });
    connect(m_chooser, &SignInChooser::dismissed, &m_keeper, &SignInKeeper::chooserClosed);
    connectKeeper();
    m_pageWidget->installEventFilter(this);
}

void SignInOffers::connectKeeper()
{
    connect(&m_keeper, &SignInKeeper::offerMade, this, &SignInOffers::offer);
    connect(&m_keeper, &SignInKeeper::offerEnded, this, &QWidget::hide);
    connect(&m_keeper, &SignInKeeper::choiceWanted, this, &SignInOffers::showChoice);
    connect(&m_keeper, &SignInKeeper::choiceKey, m_chooser, &SignInChooser::key);
    connect(&m_keeper, &SignInKeeper::choiceEnded, m_chooser, &SignInChooser::dismiss);
}

QString SignInOffers::offerText() const
{
    return m_text->text();
}

QString SignInOffers::warningText() const
{
    return m_warning->text();
}

void SignInOffers::offer(const QString &origin, const QString &userName, SignInRules::Offer offer)
{
    const QString site = siteName(origin);
    if (offer == SignInRules::Offer::Update) {
        m_text->setText(tr("Update the saved password of %1 for %2?").arg(userName, site));
        m_save->setText(tr("&Update"));
    } else {
        m_text->setText(userName.isEmpty()
                            ? tr("Save the password for %1?").arg(site)
                            : tr("Save the sign-in of %1 for %2?").arg(userName, site));
        m_save->setText(tr("&Save"));
    }
    m_warning->setText(SignInRules::isSecureOrigin(QUrl(origin))
                           ? QString()
                           : tr("This page is not secure: the password can be read on the way."));
    placeOverPage();
    show();
    raise();
}

void SignInOffers::save()
{
    m_keeper.save();
}

void SignInOffers::neverForSite()
{
    m_keeper.neverForSite();
}

void SignInOffers::notNow()
{
    m_keeper.notNow();
}

void SignInOffers::showChoice(const QRect &fieldArea, const QStringList &userNames)
{
    if (!m_pageWidget) {
        m_keeper.chooserClosed();
        return;
    }
    // The chooser stands on the screen, not in the window: it goes when the window moves or
    // is left.
    m_pageWidget->window()->installEventFilter(this);
    const QPoint pageTopLeft = m_pageWidget->mapToGlobal(QPoint(0, 0));
    m_chooser->showUnder(fieldArea.translated(pageTopLeft),
                         QRect(pageTopLeft, m_pageWidget->size()), userNames);
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
