#pragma once

#include "platform/api/downloads.h"
#include "ui/commandtable.h"
#include "ui/feature.h"

#include <functional>
#include <memory>
#include <QWidget>

class DesktopFiles;
class DownloadsModel;
class QPushButton;
class QTreeView;

// The downloads window: a window of its own listing every download of the run with its
// progress, speed and state. The selected download can be cancelled while it runs, and opened
// or shown in its folder once it is done; the ended ones can be cleared from the list.
class DownloadsWindow final : public QWidget
{
    Q_OBJECT

public:
    // The commands of the unit, reached by their keys, as rows of the window's table.
    static Commands::Rows<DownloadsWindow> commands();

    // Runs a command of the window: a failure is shown under name, and the window goes on.
    using Run = std::function<void(const char *name, const std::function<void()> &command)>;

    // Made at its first use, with the browser window's icon; a click on the status bar opens it
    // once there is a download.
    static std::unique_ptr<DownloadsWindow> make(WindowParts &parts);
    static void attach(WindowParts &parts, std::function<DownloadsWindow &()> window);

    DownloadsWindow(Downloads &downloads, DesktopFiles &files, Run run, QWidget *parent = nullptr);

    // Shows the window in front, the list ready for the keys, the newest download selected.
    void open();

    DownloadsModel &model() const { return *m_model; }
    QTreeView *list() const { return m_list; }

    // Clicks on area (and on what it holds) call clicked, for as long as context lives.
    static void followClicks(QWidget *area, QObject *context, std::function<void()> clicked);

private:
    void setUpList();
    // The buttons and keys, each to the download it acts on.
    void connectCommands();
    // The selected download stays selected when the list starts again (after a clear), and
    // the buttons follow the list.
    void keepSelectionAcrossResets();
    // The download selected, as the list shows it; -1 when none.
    int currentRow() const;
    // The selected download, if it is in the given state; the buttons act on no other.
    const Downloads::Row *currentIn(Downloads::State state) const;
    void updateButtons();
    void cancelCurrent();
    void openCurrent();
    void showCurrent();

    Downloads &m_downloads;
    DesktopFiles &m_files;
    Run m_run;
    DownloadsModel *m_model;
    QTreeView *m_list;
    QPushButton *m_cancel;
    QPushButton *m_open;
    QPushButton *m_show;
    QPushButton *m_clear;
};
