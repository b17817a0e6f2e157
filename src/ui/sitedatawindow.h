#pragma once

#include "ui/commandtable.h"
#include "ui/feature.h"

#include <memory>
#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class SettingsStore;
class SiteData;

// The sites that have cookies, stored data, remembered answers or a cookie exception, each
// with what is kept for it: its cookies and data are removed, each answer changed or
// forgotten, and its pages allowed or refused cookies from other sites. Any site typed in may
// be allowed them too.
class SiteDataWindow final : public QWidget
{
    Q_OBJECT

public:
    static Commands::Rows<SiteDataWindow> commands();

    static std::unique_ptr<SiteDataWindow> make(WindowParts &parts);

    // A window of its own, which goes with the browser window.
    SiteDataWindow(QWidget &window, SettingsStore &settings, SiteData &siteData,
                   WindowParts::Runner reportAndLeave);

    // Shows the window in front, its list read anew.
    void open();

    QTreeWidget *list() const { return m_list; }
    // What the buttons do to the selected site or answer.
    void removeSiteData();
    void changeAnswer();
    void forgetAnswer();
    void toggleThirdPartyCookies();
    // Allows third-party cookies for the site typed in, or says why it is not a host name.
    void addException();

private:
    void reload();
    // The selected site, and the selected answer's kind (-1 when a site is selected).
    QString selectedSite() const;
    int selectedKind() const;
    void updateButtons();

    SettingsStore &m_settings;
    SiteData &m_siteData;
    WindowParts::Runner m_reportAndLeave;
    QTreeWidget *m_list;
    QLabel *m_note;
    QPushButton *m_remove;
    QPushButton *m_change;
    QPushButton *m_forget;
    QPushButton *m_thirdParty;
    QLineEdit *m_exceptionSite;
    QPushButton *m_addException;
    QLabel *m_exceptionProblem;
};
