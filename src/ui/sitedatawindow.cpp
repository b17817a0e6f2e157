#include "ui/sitedatawindow.h"

#include "platform/api/permissionkinds.h"
#include "platform/api/platform.h"
#include "platform/api/settingsstore.h"
#include "platform/api/sitedata.h"
#include "sitedata/sitelist.h"
#include "sitedata/sitepermissions.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int SiteRole = Qt::UserRole;
constexpr int KindRole = Qt::UserRole + 1;

QString kindText(SitePermissions::Permission permission)
{
    const PermissionKind *kind = permissionKind(permission);
    return kind ? SiteDataWindow::tr(kind->listText) : QString();
}

QString problemText(SiteList::HostProblem problem, const QString &text)
{
    using Problem = SiteList::HostProblem;
    switch (problem) {
    case Problem::None:
        break;
    case Problem::Empty:
        return SiteDataWindow::tr("Type a site's host name, such as example.com.");
    case Problem::Scheme:
        return SiteDataWindow::tr("Type the host name alone, without http:// or another scheme.");
    case Problem::Path:
        return SiteDataWindow::tr("Type the host name alone, without a path: nothing from the "
                                  "first slash on.");
    case Problem::Spaces:
        return SiteDataWindow::tr("A host name has no spaces.");
    case Problem::Port:
        return SiteDataWindow::tr("Type the host name without a port number.");
    case Problem::Invalid:
        return SiteDataWindow::tr("\"%1\" is not a host name: use letters, digits, hyphens "
                                  "and dots, such as example.com.")
            .arg(text.trimmed());
    }
    return {};
}

QString storageNote()
{
    return SiteDataWindow::tr("Cookies and what a site stored on this computer go at once; what "
                              "cannot be reached while the program runs goes when it next "
                              "starts.");
}

} // namespace

std::unique_ptr<SiteDataWindow> SiteDataWindow::make(WindowParts &parts)
{
    return std::make_unique<SiteDataWindow>(parts.window, *parts.platform.settings,
                                            *parts.platform.siteData, parts.reportAndLeave);
}

SiteDataWindow::SiteDataWindow(QWidget &window, SettingsStore &settings, SiteData &siteData,
                               WindowParts::Runner reportAndLeave)
    : QWidget(&window, Qt::Window)
    , m_settings(settings)
    , m_siteData(siteData)
    , m_reportAndLeave(std::move(reportAndLeave))
    , m_list(new QTreeWidget(this))
    , m_note(new QLabel(this))
    , m_remove(new QPushButton(tr("&Remove cookies and data"), this))
    , m_change(new QPushButton(tr("&Change answer"), this))
    , m_forget(new QPushButton(tr("&Forget answer"), this))
    , m_thirdParty(new QPushButton(tr("Allow &third-party cookies"), this))
    , m_exceptionSite(new QLineEdit(this))
    , m_addException(new QPushButton(tr("&Add"), this))
    , m_exceptionProblem(new QLabel(this))
{
    setObjectName(QStringLiteral("frmSiteData"));
    setWindowTitle(tr("Site data and permissions"));
    resize(640, 460);
    m_list->setObjectName(QStringLiteral("lstSites"));
    m_list->setAccessibleName(tr("Sites"));
    m_list->setHeaderLabels({ tr("Site"), tr("Kept") });
    m_list->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_remove->setObjectName(QStringLiteral("cmdRemoveSiteData"));
    m_change->setObjectName(QStringLiteral("cmdChangeAnswer"));
    m_forget->setObjectName(QStringLiteral("cmdForgetAnswer"));
    m_thirdParty->setObjectName(QStringLiteral("cmdThirdPartyCookies"));
    m_exceptionSite->setObjectName(QStringLiteral("txtExceptionSite"));
    m_exceptionSite->setPlaceholderText(tr("example.com"));
    m_addException->setObjectName(QStringLiteral("cmdAddException"));
    m_exceptionProblem->setObjectName(QStringLiteral("lblExceptionProblem"));
    m_exceptionProblem->setWordWrap(true);
    m_exceptionProblem->hide();

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_list, 1);
    m_note->setObjectName(QStringLiteral("lblStorageNote"));
    m_note->setText(storageNote());
    m_note->setWordWrap(true);
    layout->addWidget(m_note);
    auto *buttons = new QHBoxLayout;
    for (QPushButton *button : { m_remove, m_change, m_forget, m_thirdParty })
        buttons->addWidget(button);
    layout->addLayout(buttons);
    auto *adding = new QHBoxLayout;
    adding->addWidget(m_exceptionSite, 1);
    adding->addWidget(m_addException);
    auto *form = new QFormLayout;
    auto *exceptionLabel = new QLabel(tr("Allow third-party cookies f&or:"), this);
    exceptionLabel->setBuddy(m_exceptionSite);
    form->addRow(exceptionLabel, adding);
    form->addRow(m_exceptionProblem);
    layout->addLayout(form);

    const auto run = [this](const char *name, void (SiteDataWindow::*action)()) {
        return [this, name, action] { m_reportAndLeave(name, [&] { (this->*action)(); }); };
    };
    connect(m_remove, &QPushButton::clicked, this,
            run("cmdRemoveSiteData_Click", &SiteDataWindow::removeSiteData));
    connect(m_change, &QPushButton::clicked, this,
            run("cmdChangeAnswer_Click", &SiteDataWindow::changeAnswer));
    connect(m_forget, &QPushButton::clicked, this,
            run("cmdForgetAnswer_Click", &SiteDataWindow::forgetAnswer));
    connect(m_thirdParty, &QPushButton::clicked, this,
            run("cmdThirdPartyCookies_Click", &SiteDataWindow::toggleThirdPartyCookies));
    connect(m_addException, &QPushButton::clicked, this,
            run("cmdAddException_Click", &SiteDataWindow::addException));
    connect(m_exceptionSite, &QLineEdit::returnPressed, this,
            run("cmdAddException_Click", &SiteDataWindow::addException));
    connect(m_list, &QTreeWidget::currentItemChanged, this, &SiteDataWindow::updateButtons);
    connect(&m_siteData, &SiteData::cookiesChanged, this, [this] {
        if (isVisible())
            reload();
    });
    connect(&m_siteData, &SiteData::storageCleared, this,
            [this](const QString &site, const QStringList &waiting) {
                if (site.isEmpty())
                    return;
                if (!waiting.isEmpty())
                    m_note->setText(
                        tr("What %1 stored could not be reached now: it goes when the program "
                           "next starts.")
                            .arg(site));
                if (isVisible())
                    reload();
            });
    updateButtons();
}

void SiteDataWindow::open()
{
    m_note->setText(storageNote());
    reload();
    show();
    raise();
    activateWindow();
    m_list->setFocus();
}

void SiteDataWindow::reload()
{
    const QString site = selectedSite();
    const int kind = selectedKind();
    m_list->clear();
    const QList<SiteList::Site> sites = SiteList::sites(
        m_siteData.cookies(), m_siteData.storageSites(), SitePermissions::all(m_settings),
        SitePermissions::thirdPartyCookieSites(m_settings));
    for (const SiteList::Site &entry : sites) {
        QStringList kept;
        if (!entry.cookies.isEmpty())
            kept.append(entry.cookies.size() == 1 ? tr("1 cookie")
                                                  : tr("%1 cookies").arg(entry.cookies.size()));
        if (entry.storage)
            kept.append(tr("stored data"));
        if (entry.thirdPartyCookies)
            kept.append(tr("third-party cookies allowed"));
        auto *item = new QTreeWidgetItem(m_list, { entry.name, kept.join(QStringLiteral(", ")) });
        item->setData(0, SiteRole, entry.name);
        item->setData(0, KindRole, -1);
        for (const SitePermissions::Answer &answer : entry.answers) {
            auto *child = new QTreeWidgetItem(
                item, { kindText(answer.permission), answer.allow ? tr("Allowed") : tr("Denied") });
            child->setData(0, SiteRole, entry.name);
            child->setData(0, KindRole, int(answer.permission));
            if (entry.name == site && int(answer.permission) == kind)
                m_list->setCurrentItem(child);
        }
        item->setExpanded(true);
        if (entry.name == site && kind < 0)
            m_list->setCurrentItem(item);
    }
    updateButtons();
}

QString SiteDataWindow::selectedSite() const
{
    const QTreeWidgetItem *item = m_list->currentItem();
    return item ? item->data(0, SiteRole).toString() : QString();
}

int SiteDataWindow::selectedKind() const
{
    const QTreeWidgetItem *item = m_list->currentItem();
    return item ? item->data(0, KindRole).toInt() : -1;
}

void SiteDataWindow::updateButtons()
{
    const bool site = !selectedSite().isEmpty();
    const bool answer = selectedKind() >= 0;
    m_remove->setEnabled(site);
    m_thirdParty->setEnabled(site);
    m_change->setEnabled(answer);
    m_forget->setEnabled(answer);
    const bool allowed
        = site && SitePermissions::thirdPartyCookieSites(m_settings).contains(selectedSite());
    m_thirdParty->setText(allowed ? tr("Refuse &third-party cookies")
                                  : tr("Allow &third-party cookies"));
}

void SiteDataWindow::removeSiteData()
{
    if (const QString site = selectedSite(); !site.isEmpty()) {
        m_siteData.removeCookies(site);
        m_siteData.removeStorage(site);
    }
    reload();
}

void SiteDataWindow::changeAnswer()
{
    const int kind = selectedKind();
    if (kind < 0)
        return;
    const auto permission = SitePermissions::Permission(kind);
    const auto allowed = SitePermissions::find(m_settings, selectedSite(), permission);
    SitePermissions::keep(m_settings, selectedSite(), permission, !allowed.value_or(false));
    reload();
}

void SiteDataWindow::forgetAnswer()
{
    if (const int kind = selectedKind(); kind >= 0)
        SitePermissions::forget(m_settings, selectedSite(), SitePermissions::Permission(kind));
    reload();
}

void SiteDataWindow::toggleThirdPartyCookies()
{
    const QString site = selectedSite();
    if (site.isEmpty())
        return;
    const bool allowed = SitePermissions::thirdPartyCookieSites(m_settings).contains(site);
    SitePermissions::setThirdPartyCookies(m_settings, site, !allowed);
    m_siteData.setThirdPartyCookieSites(SitePermissions::thirdPartyCookieSites(m_settings));
    reload();
}

void SiteDataWindow::addException()
{
    const SiteList::HostCheck check = SiteList::checkHost(m_exceptionSite->text());
    m_exceptionProblem->setText(problemText(check.problem, m_exceptionSite->text()));
    m_exceptionProblem->setVisible(check.problem != SiteList::HostProblem::None);
    if (check.problem != SiteList::HostProblem::None) {
        m_exceptionSite->setFocus();
        return;
    }
    SitePermissions::setThirdPartyCookies(m_settings, check.host, true);
    m_siteData.setThirdPartyCookieSites(SitePermissions::thirdPartyCookieSites(m_settings));
    m_exceptionSite->clear();
    reload();
    const QList<QTreeWidgetItem *> added = m_list->findItems(check.host, Qt::MatchExactly);
    if (!added.isEmpty())
        m_list->setCurrentItem(added.first());
}

Commands::Rows<SiteDataWindow> SiteDataWindow::commands()
{
    using namespace Commands;
    static constexpr Row<SiteDataWindow> rows[] = {
        keys<SiteDataWindow>("actSiteData",
                             QT_TRANSLATE_NOOP("frmWebBrowser", "Site data and permissions"),
                             "Ctrl+Shift+K", [](SiteDataWindow &unit) { unit.open(); }),
    };
    return rows;
}
