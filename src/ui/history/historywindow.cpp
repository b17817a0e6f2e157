#include "ui/history/historywindow.h"

#include "platform/api/historystore.h"
#include "ui/history/historymodel.h"

#include <QButtonGroup>
#include <QDateTime>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeView>
#include <QVBoxLayout>
#include <utility>

HistoryWindow::HistoryWindow(HistoryStore &store, QWidget *parent)
    : ListWindow(parent, "frmHistory", tr("History"), QSize(760, 520))
    , m_store(store)
    , m_model(new HistoryModel(store, this))
    , m_search(makeSearch("txtHistorySearch", tr("Search the history")))
    , m_list(makeList<QTreeView>("lstHistory", tr("Pages visited")))
    , m_clear(new QPushButton(tr("C&lear history..."), this))
    , m_state(new QLabel(this))
{
    m_search->installEventFilter(this);

    setUpList();

    m_clear->setObjectName(QStringLiteral("cmdClearHistory"));
    m_clear->setAccessibleName(tr("Clear history"));
    m_state->setObjectName(QStringLiteral("lblHistoryState"));

    column().addWidget(m_search);
    column().addWidget(m_list, 1);
    auto *foot = new QHBoxLayout;
    foot->addWidget(m_state, 1);
    foot->addWidget(m_clear);
    column().addLayout(foot);

    connectParts();
}

void HistoryWindow::setUpList()
{
    m_list->setModel(m_model);
    showFlat(*m_list);
    m_list->setUniformRowHeights(true);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->header()->setStretchLastSection(false);
    m_list->header()->setSectionResizeMode(HistoryModel::TitleColumn, QHeaderView::Stretch);
    m_list->header()->setSectionResizeMode(HistoryModel::AddressColumn, QHeaderView::Stretch);
    // Sized once: sizing to the contents measured every row at every keystroke.
    m_list->header()->setSectionResizeMode(HistoryModel::TimeColumn, QHeaderView::Fixed);
    m_list->header()->resizeSection(HistoryModel::TimeColumn,
                                    fontMetrics().horizontalAdvance(QStringLiteral("00:00:00 MM"))
                                        + 12);
    m_list->installEventFilter(this);
}

void HistoryWindow::connectParts()
{
    connect(m_search, &QLineEdit::textChanged, m_model, &HistoryModel::setSearch);
    connect(m_list, &QTreeView::doubleClicked, this, [this] { openCurrent(); });
    connect(m_clear, &QPushButton::clicked, this, [this] { clearHistory(); });
    connect(&m_store, &HistoryStore::changed, m_model, &HistoryModel::reload);
    // Headings span the whole row; they come with each page, and a new search replaces the
    // rows (and the view's spans) at once.
    const auto spanHeadings = [this](int first, int last) {
        for (int row = first; row <= last; ++row) {
            if (m_model->isHeading(row))
                m_list->setFirstColumnSpanned(row, {}, true);
        }
    };
    connect(
        m_model, &HistoryModel::rowsInserted, this,
        [spanHeadings](const QModelIndex &, int first, int last) { spanHeadings(first, last); });
    connect(m_model, &HistoryModel::modelReset, this,
            [this, spanHeadings] { spanHeadings(0, m_model->rowCount() - 1); });
    connect(m_model, &HistoryModel::pageShown, this, [this] {
        m_state->setText(m_model->rowCount() == 0 ? tr("No pages found") : QString());
        selectAfterRemoval();
    });
    closeOnEscape();
}

void HistoryWindow::open()
{
    if (isHidden())
        m_model->reload();
    bringToFront(*m_search);
    m_search->selectAll();
}

bool HistoryWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return ListWindow::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if (watched == m_list && enter) {
        openCurrent();
        return true;
    }
    if (watched == m_list && key->key() == Qt::Key_Delete) {
        removeSelected();
        return true;
    }
    // From the search field, Down goes into the list and Enter opens the first entry.
    if (watched == m_search && (key->key() == Qt::Key_Down || enter)) {
        for (int row = 0; row < m_model->rowCount(); ++row) {
            if (!m_model->isHeading(row)) {
                m_list->setCurrentIndex(m_model->index(row, 0));
                break;
            }
        }
        if (enter)
            openCurrent();
        else
            m_list->setFocus();
        return true;
    }
    return ListWindow::eventFilter(watched, event);
}

void HistoryWindow::openCurrent()
{
    const QString url = m_model->address(m_list->currentIndex().row());
    if (!url.isEmpty())
        Q_EMIT openRequested(url);
}

void HistoryWindow::removeSelected()
{
    QList<qint64> ids;
    int first = m_model->rowCount();
    int last = -1;
    for (const QModelIndex &index : m_list->selectionModel()->selectedRows()) {
        if (const qint64 id = m_model->visitId(index.row()))
            ids.append(id);
        first = std::min(first, index.row());
        last = std::max(last, index.row());
    }
    if (ids.isEmpty())
        return;
    // The list comes back without the removed rows; the visit that followed them (else the
    // one before) takes the selection, so Enter and Del go on working from the keyboard.
    const auto survivor = [&](int row) {
        const qint64 id = m_model->visitId(row);
        return id != 0 && !ids.contains(id) ? id : 0;
    };
    m_selectAfterRemoval = 0;
    for (int row = last + 1; row < m_model->rowCount() && !m_selectAfterRemoval; ++row)
        m_selectAfterRemoval = survivor(row);
    for (int row = first - 1; row >= 0 && !m_selectAfterRemoval; --row)
        m_selectAfterRemoval = survivor(row);
    m_store.removeVisits(ids);
}

void HistoryWindow::selectAfterRemoval()
{
    const qint64 wanted = std::exchange(m_selectAfterRemoval, 0);
    if (wanted == 0)
        return;
    for (int row = 0; row < m_model->rowCount(); ++row) {
        if (m_model->visitId(row) == wanted) {
            m_list->selectionModel()->setCurrentIndex(m_model->index(row, 0),
                                                      QItemSelectionModel::ClearAndSelect
                                                          | QItemSelectionModel::Rows);
            return;
        }
    }
}

void HistoryWindow::clearHistory()
{
    if (m_clearHandler) {
        m_clearHandler();
        return;
    }
    const std::optional<History::ClearRange> range = m_askClearRange(this);
    if (!range)
        return;
    const History::TimeSpan span = History::clearSpan(*range, QDateTime::currentDateTime());
    m_store.clearRange(span.from, span.to);
}

std::optional<History::ClearRange> HistoryWindow::askClearRange(QWidget *parent)
{
    QDialog dialog(parent);
    dialog.setWindowTitle(tr("Clear history"));
    auto *layout = new QVBoxLayout(&dialog);
    auto *question = new QLabel(tr("Remove the pages visited in:"), &dialog);
    layout->addWidget(question);
    auto *choices = new QButtonGroup(&dialog);
    const std::pair<History::ClearRange, QString> ranges[] = {
        { History::ClearRange::LastHour, tr("The last &hour") },
        { History::ClearRange::Today, tr("&Today") },
        { History::ClearRange::Everything, tr("&Everything") },
    };
    for (const auto &[range, caption] : ranges) {
        auto *choice = new QRadioButton(caption, &dialog);
        choice->setAccessibleName(QString(caption).remove(QLatin1Char('&')));
        choices->addButton(choice, int(range));
        layout->addWidget(choice);
    }
    choices->button(int(History::ClearRange::LastHour))->setChecked(true);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, &dialog);
    buttons->addButton(tr("&Clear"), QDialogButtonBox::AcceptRole);
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return History::ClearRange(choices->checkedId());
}
