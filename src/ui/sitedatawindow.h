#pragma once

#include "ui/commandtable.h"
#include "ui/featurecontext.h"

#include <QWidget>

class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class SettingsStore;
class SiteData;

// The sites that have cookies, remembered answers or a cookie exception, each with what is
// kept for it: its cookies and data are removed, each answer changed or forgotten, and its
// pages allowed or refused cookies from other sites.
class SiteDataWindow final : public QWidget
{
    Q_OBJECT

public:
    static CommandTable commands();

    // A window of its own, which goes with the browser window.
    explicit SiteDataWindow(const FeatureContext &context);

    // Shows the window in front, its list read anew.
    void open();

    QTreeWidget *list() const { return m_list; }
    // What the buttons do to the selected site or answer.
    void removeSiteData();
    void changeAnswer();
    void forgetAnswer();
    void toggleThirdPartyCookies();

private:
    void reload();
    // The selected site, and the selected answer's kind (-1 when a site is selected).
    QString selectedSite() const;
    int selectedKind() const;
    void updateButtons();

    SettingsStore &m_settings;
    SiteData &m_siteData;
    FeatureContext::Runner m_reportAndLeave;
    QTreeWidget *m_list;
    QPushButton *m_remove;
    QPushButton *m_change;
    QPushButton *m_forget;
    QPushButton *m_thirdParty;
};
