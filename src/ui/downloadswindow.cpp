#include "ui/downloadswindow.h"

#include "platform/api/desktopfiles.h"
#include "platform/api/downloadcontrol.h"
#include "platform/api/platform.h"
#include "ui/downloadsmodel.h"
#include "ui/webbrowserhost.h"

#include <optional>
#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

// The progress column as a bar, with the same text in it that a screen reader hears.
class ProgressDelegate final : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override
    {
        const int percent = index.data(DownloadsModel::PercentRole).toInt();
        if (percent < 0) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        QStyleOptionProgressBar bar;
        bar.rect = option.rect.adjusted(1, 1, -1, -1);
        bar.minimum = 0;
        bar.maximum = 100;
        bar.progress = percent;
        bar.text = index.data().toString();
        bar.textVisible = true;
        bar.state = option.state | QStyle::State_Horizontal;
        bar.palette = option.palette;
        const QWidget *view = option.widget;
        QStyle *style = view ? view->style() : QApplication::style();
        style->drawControl(QStyle::CE_ProgressBar, &bar, painter, view);
    }
};

class ClickFilter final : public QObject
{
public:
    ClickFilter(QObject *parent, std::function<void()> clicked)
        : QObject(parent)
        , m_clicked(std::move(clicked))
    {
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::MouseButtonRelease
            && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton)
            m_clicked();
        return false;
    }

private:
    std::function<void()> m_clicked;
};

QPushButton *button(QWidget *parent, const char *name, const QString &caption,
                    const QString &accessibleName)
{
    auto *made = new QPushButton(caption, parent);
    made->setObjectName(QString::fromLatin1(name));
    made->setAccessibleName(accessibleName);
    made->setAutoDefault(false);
    return made;
}

} // namespace

DownloadsWindow::DownloadsWindow(Downloads &downloads, DesktopFiles &files, Run run,
                                 QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_downloads(downloads)
    , m_files(files)
    , m_run(std::move(run))
    , m_model(new DownloadsModel(downloads, this))
    , m_list(new QTreeView(this))
    , m_cancel(button(this, "cmdCancelDownload", tr("&Cancel"), tr("Cancel download")))
    , m_open(button(this, "cmdOpenDownload", tr("&Open"), tr("Open file")))
    , m_show(button(this, "cmdShowDownload", tr("Show in &folder"), tr("Show in folder")))
    , m_clear(button(this, "cmdClearDownloads", tr("C&lear finished"), tr("Clear finished")))
{
    setObjectName(QStringLiteral("frmDownloads"));
    setWindowTitle(tr("Downloads"));
    resize(720, 360);

    setUpList();

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_list, 1);
    auto *foot = new QHBoxLayout;
    for (QPushButton *command : { m_cancel, m_open, m_show })
        foot->addWidget(command);
    foot->addStretch(1);
    foot->addWidget(m_clear);
    layout->addLayout(foot);

    connectCommands();
    keepSelectionAcrossResets();
    updateButtons();
}

void DownloadsWindow::setUpList()
{
    m_list->setObjectName(QStringLiteral("lstDownloads"));
    m_list->setAccessibleName(tr("Downloads"));
    m_list->setModel(m_model);
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setAllColumnsShowFocus(true);
    m_list->setItemDelegateForColumn(DownloadsModel::ProgressColumn, new ProgressDelegate(m_list));
    QHeaderView *header = m_list->header();
    header->setStretchLastSection(true);
    // Fixed widths: sizing to the contents would measure every row at every refresh.
    header->resizeSection(DownloadsModel::NameColumn, 220);
    header->resizeSection(DownloadsModel::ProgressColumn, 200);
    header->resizeSection(DownloadsModel::SpeedColumn, 90);
}

void DownloadsWindow::connectCommands()
{
    connect(m_cancel, &QPushButton::clicked, this, [this] { cancelCurrent(); });
    connect(m_open, &QPushButton::clicked, this, [this] { openCurrent(); });
    connect(m_show, &QPushButton::clicked, this, [this] { showCurrent(); });
    connect(m_clear, &QPushButton::clicked, this, [this] {
        m_run("cmdClearDownloads_Click", [this] { m_downloads.clearFinished(); });
        m_model->refresh();
    });
    // Enter or a double click opens a finished download.
    connect(m_list, &QTreeView::activated, this, [this] { openCurrent(); });
    auto *cancelKey = new QShortcut(QKeySequence::Delete, m_list);
    cancelKey->setContext(Qt::WidgetShortcut);
    connect(cancelKey, &QShortcut::activated, this, [this] { cancelCurrent(); });
    auto *closeKey = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(closeKey, &QShortcut::activated, this, &QWidget::close);
}

void DownloadsWindow::keepSelectionAcrossResets()
{
    // Keep the selected download selected when the list starts again (after a clear).
    auto selected = std::make_shared<quint32>(0);
    connect(m_model, &QAbstractItemModel::modelAboutToBeReset, this, [this, selected] {
        const int row = currentRow();
        *selected = row >= 0 ? m_model->download(row).id : 0;
    });
    connect(m_model, &QAbstractItemModel::modelReset, this, [this, selected] {
        const int row = m_model->rowOf(*selected);
        if (row >= 0)
            m_list->setCurrentIndex(m_model->index(row, 0));
        updateButtons();
    });
    connect(m_model, &QAbstractItemModel::dataChanged, this, &DownloadsWindow::updateButtons);
    connect(m_model, &QAbstractItemModel::rowsInserted, this, &DownloadsWindow::updateButtons);
    connect(m_list->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &DownloadsWindow::updateButtons);
}

void DownloadsWindow::open()
{
    m_model->refresh();
    if (currentRow() < 0 && m_model->rowCount() > 0)
        m_list->setCurrentIndex(m_model->index(m_model->rowCount() - 1, 0));
    updateButtons();
    show();
    raise();
    activateWindow();
    m_list->setFocus(Qt::OtherFocusReason);
}

void DownloadsWindow::followClicks(QWidget *area, QObject *context, std::function<void()> clicked)
{
    auto *filter = new ClickFilter(context, std::move(clicked));
    area->installEventFilter(filter);
    for (QWidget *part : area->findChildren<QWidget *>())
        part->installEventFilter(filter);
}

int DownloadsWindow::currentRow() const
{
    const QModelIndex current = m_list->currentIndex();
    return current.isValid() && m_list->selectionModel()->isRowSelected(current.row())
        ? current.row()
        : -1;
}

void DownloadsWindow::updateButtons()
{
    const int row = currentRow();
    const auto state = row >= 0 ? std::optional(m_model->download(row).state) : std::nullopt;
    m_cancel->setEnabled(state == Downloads::State::Running);
    m_open->setEnabled(state == Downloads::State::Finished);
    m_show->setEnabled(state == Downloads::State::Finished);
    m_clear->setEnabled(m_model->hasEnded());
}

const Downloads::Row *DownloadsWindow::currentIn(Downloads::State state) const
{
    const int row = currentRow();
    if (row < 0 || m_model->download(row).state != state)
        return nullptr;
    return &m_model->download(row);
}

void DownloadsWindow::cancelCurrent()
{
    const Downloads::Row *current = currentIn(Downloads::State::Running);
    if (!current)
        return;
    const quint32 id = current->id;
    m_run("cmdCancelDownload_Click", [&] { m_downloads.cancel(id); });
    m_model->refresh();
}

void DownloadsWindow::openCurrent()
{
    const Downloads::Row *current = currentIn(Downloads::State::Finished);
    if (!current)
        return;
    const QString path = current->path;
    m_run("cmdOpenDownload_Click", [&] { m_files.openFile(path); });
}

void DownloadsWindow::showCurrent()
{
    const Downloads::Row *current = currentIn(Downloads::State::Finished);
    if (!current)
        return;
    const QString path = current->path;
    m_run("cmdShowDownload_Click", [&] { m_files.showInFolder(path); });
}

std::unique_ptr<DownloadsWindow> DownloadsWindow::make(WindowParts &parts)
{
    auto window = std::make_unique<DownloadsWindow>(parts.page.downloads.downloads(),
                                                    *parts.platform.files, parts.reportAndLeave);
    window->setWindowIcon(parts.window.windowIcon());
    return window;
}

void DownloadsWindow::attach(WindowParts &parts, std::function<DownloadsWindow &()> window)
{
    // The status bar tells how the downloads stand; a click on it shows them.
    followClicks(&parts.host.frameStatusBar(), &parts.window, [&parts, window] {
        parts.guarded("StatusBar1_Click", [&] {
            if (!parts.page.downloads.downloads().rows().isEmpty())
                window().open();
        });
    });
}

Commands::Rows<DownloadsWindow> DownloadsWindow::commands()
{
    using namespace Commands;
    static constexpr Row<DownloadsWindow> rows[] = {
        keys<DownloadsWindow>("actDownloads", QT_TRANSLATE_NOOP("frmWebBrowser", "Downloads"),
                              "Ctrl+Shift+Y", [](DownloadsWindow &unit) { unit.open(); }),
    };
    return rows;
}
