#include "ui/clearbrowsingdata.h"

#include "history/recenturls.h"
#include "platform/api/failure.h"
#include "platform/api/historystore.h"
#include "platform/api/pageevents.h"
#include "platform/api/platform.h"
#include "platform/api/settingsstore.h"
#include "platform/api/sitedata.h"
#include "sitedata/sitepermissions.h"
#include "ui/statusline.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

std::unique_ptr<ClearBrowsingData> ClearBrowsingData::make(WindowParts &parts)
{
    auto unit = std::make_unique<ClearBrowsingData>(
        parts.window, parts.page.events, parts.page.address, parts.status, *parts.platform.history,
        *parts.platform.siteData, *parts.platform.settings, parts.reportAndLeave);
    QObject::connect(unit.get(), &ClearBrowsingData::addressesForgotten, &parts.window,
                     parts.addressBox.forget);
    return unit;
}

ClearBrowsingData::ClearBrowsingData(QWidget &window, PageEvents &events,
                                     std::function<QString()> pageAddress, StatusLine &status,
                                     HistoryStore &history, SiteData &siteData,
                                     SettingsStore &settings, WindowParts::Runner reportAndLeave)
    : QObject(&window)
    , m_window(window)
    , m_status(status)
    , m_history(history)
    , m_siteData(siteData)
    , m_settings(settings)
    , m_reportAndLeave(std::move(reportAndLeave))
{
    connect(&events, &PageEvents::NavigateComplete2, this,
            [this, pageAddress = std::move(pageAddress)] {
                Failure::skip([&] {
                    m_lastShown.insert(pageAddress(), QDateTime::currentMSecsSinceEpoch());
                });
            });
    // Whatever removes history, a span here or an entry in the history window, a link to an
    // address no longer visited loses its colour; links to addresses still visited keep it.
    connect(&m_history, &HistoryStore::addressesRemoved, this,
            [this](const QStringList &urls, bool all) {
                Failure::skip([&] {
                    if (all)
                        m_siteData.clearVisitedLinks();
                    else
                        m_siteData.forgetVisitedLinks(urls);
                });
            });
    // The pages' stored data is cleared in the background; only what could not be reached
    // while the program runs is told.
    connect(&m_siteData, &SiteData::storageCleared, this,
            [this](const QString &site, const QStringList &waiting) {
                if (!site.isEmpty() || waiting.isEmpty())
                    return;
                const QString later = waiting.size() == 1
                    ? tr("The stored data of 1 site goes when the program next starts.")
                    : tr("The stored data of %1 sites goes when the program next starts.")
                          .arg(waiting.size());
                m_status.set(StatusLine::Message,
                             tr("Browsing data cleared.") + QLatin1Char(' ') + later);
            });
}

void ClearBrowsingData::open()
{
    if (const auto choice = m_ask(&m_window))
        m_reportAndLeave("actClearBrowsingData_Click", [&] { clear(*choice); });
}

void ClearBrowsingData::clear(const ClearData::Choice &choice)
{
    SiteData &siteData = m_siteData;
    if (choice.history) {
        const qint64 from = ClearData::startOf(choice.span, QDateTime::currentMSecsSinceEpoch());
        m_history.clearRange(from, ClearData::Latest);
        const QStringList forgotten = ClearData::shownSince(m_lastShown, from);
        for (const QString &address : forgotten)
            m_lastShown.remove(address);
        const bool everything = choice.span == ClearData::Span::Everything;
        if (everything) {
            SettingsStore &store = m_settings;
            store.transaction([&] {
                for (int n = 1; n <= 10; ++n)
                    store.DeleteSetting(RecentUrls::application(), RecentUrls::section(),
                                        RecentUrls::keyName(n));
            });
        }
        Q_EMIT addressesForgotten(forgotten, everything);
    }
    if (choice.cache)
        siteData.clearCache();
    if (choice.permissions)
        SitePermissions::forgetAll(m_settings);
    if (choice.cookies)
        siteData.clearCookies();
    m_status.set(StatusLine::Message, tr("Browsing data cleared."));
    if (choice.cookies)
        siteData.clearStorage();
}

std::optional<ClearData::Choice> ClearBrowsingData::ask(QWidget *parent)
{
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("dlgClearBrowsingData"));
    dialog.setWindowTitle(tr("Clear browsing data"));
    auto *layout = new QVBoxLayout(&dialog);
    const ClearData::Choice initial;
    const auto tick = [&](const QString &text, const char *name, bool checked) {
        auto *box = new QCheckBox(text, &dialog);
        box->setObjectName(QString::fromLatin1(name));
        box->setChecked(checked);
        layout->addWidget(box);
        return box;
    };
    QCheckBox *history = tick(tr("&History"), "chkHistory", initial.history);
    auto *form = new QFormLayout;
    auto *span = new QComboBox(&dialog);
    span->setObjectName(QStringLiteral("cboSpan"));
    span->addItems(
        { tr("The last hour"), tr("The last day"), tr("The last week"), tr("Everything") });
    span->setCurrentIndex(int(initial.span));
    form->addRow(tr("History &from:"), span);
    layout->addLayout(form);
    QCheckBox *cookies = tick(tr("C&ookies and site data"), "chkCookies", initial.cookies);
    auto *note = new QLabel(tr("Cookies and what pages stored on this computer go at once; what "
                               "cannot be reached while the program runs goes when it next "
                               "starts."),
                            &dialog);
    note->setWordWrap(true);
    layout->addWidget(note);
    QCheckBox *cache = tick(tr("C&ached pages"), "chkCache", initial.cache);
    QCheckBox *permissions = tick(tr("Site &permissions"), "chkPermissions", initial.permissions);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, &dialog);
    QPushButton *clear = buttons->addButton(tr("&Clear"), QDialogButtonBox::AcceptRole);
    clear->setDefault(true);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return ClearData::Choice { history->isChecked(), cookies->isChecked(), cache->isChecked(),
                               permissions->isChecked(), ClearData::Span(span->currentIndex()) };
}

Commands::Rows<ClearBrowsingData> ClearBrowsingData::commands()
{
    using namespace Commands;
    static constexpr Row<ClearBrowsingData> rows[] = {
        keys<ClearBrowsingData>("actClearBrowsingData",
                                QT_TRANSLATE_NOOP("frmWebBrowser", "Clear browsing data"),
                                "Ctrl+Shift+Del", [](ClearBrowsingData &unit) { unit.open(); }),
    };
    return rows;
}
