#include "ui/history/historymodel.h"

#include "history/historydays.h"
#include "history/historymatch.h"

#include <QDateTime>
#include <QFont>
#include <QLocale>
#include <utility>

HistoryModel::HistoryModel(HistoryStore &store, QObject *parent)
    : QAbstractTableModel(parent)
    , m_store(store)
{
}

void HistoryModel::setSearch(const QString &text)
{
    m_words = History::queryWords(text);
    reload();
}

void HistoryModel::reload()
{
    // The rows shown stay until the new first page replaces them all at once, so typing
    // neither flickers nor lays the list out twice. A page still on its way belongs to the
    // list before: its answer is ignored.
    ++m_generation;
    m_replacing = true;
    m_loading = false;
    m_atEnd = false;
    askPage();
}

void HistoryModel::askPage()
{
    if (m_loading || m_atEnd)
        return;
    VisitQuery query;
    query.words = m_words;
    query.limit = PageSize;
    if (!m_replacing && !m_rows.isEmpty()) {
        query.beforeTime = m_rows.last().visit.time;
        query.beforeId = m_rows.last().visit.id;
    }
    m_loading = true;
    const quint64 generation = m_generation;
    m_store.visits(query, this, [this, generation](const QList<HistoryVisit> &visits) {
        addPage(generation, visits);
    });
}

void HistoryModel::addPage(quint64 generation, const QList<HistoryVisit> &visits)
{
    if (generation != m_generation)
        return;
    m_loading = false;
    m_atEnd = visits.size() < PageSize;
    const bool replacing = std::exchange(m_replacing, false);
    QList<Row> added;
    QDate lastDay = replacing || m_rows.isEmpty() ? QDate() : m_rows.last().day;
    for (const HistoryVisit &visit : visits) {
        const QDate day = QDateTime::fromMSecsSinceEpoch(visit.time).date();
        if (day != lastDay)
            added.append({ day, {} });
        added.append({ day, visit });
        lastDay = day;
    }
    if (replacing) {
        beginResetModel();
        m_rows = added;
        endResetModel();
    } else if (!added.isEmpty()) {
        beginInsertRows({}, int(m_rows.size()), int(m_rows.size() + added.size() - 1));
        m_rows += added;
        endInsertRows();
    }
    Q_EMIT pageShown();
}

QDate HistoryModel::today() const
{
    return m_today.isValid() ? m_today : QDate::currentDate();
}

bool HistoryModel::isHeading(int row) const
{
    return row >= 0 && row < m_rows.size() && m_rows.at(row).visit.id == 0;
}

QString HistoryModel::address(int row) const
{
    return row >= 0 && row < m_rows.size() ? m_rows.at(row).visit.url : QString();
}

qint64 HistoryModel::visitId(int row) const
{
    return row >= 0 && row < m_rows.size() ? m_rows.at(row).visit.id : 0;
}

int HistoryModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int HistoryModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant HistoryModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const Row &row = m_rows.at(index.row());
    if (row.visit.id == 0) {
        if (role == Qt::DisplayRole && index.column() == TitleColumn)
            return History::dayLabel(row.day, today());
        if (role == Qt::FontRole) {
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        return {};
    }
    // A row shows no more than fits on a screen: laying out an 8 KiB address to elide it cost
    // more than the search.
    const qsizetype shown = role == Qt::ToolTipRole ? 1024 : 160;
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        if (index.column() == TitleColumn)
            return (row.visit.title.isEmpty() ? row.visit.url : row.visit.title).left(shown);
        if (index.column() == AddressColumn)
            return row.visit.url.left(shown);
        return QLocale().toString(QDateTime::fromMSecsSinceEpoch(row.visit.time).time(),
                                  QLocale::ShortFormat);
    case VisitIdRole:
        return row.visit.id;
    case AddressRole:
        return row.visit.url;
    default:
        return {};
    }
}

QVariant HistoryModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case TitleColumn:
        return tr("Title");
    case AddressColumn:
        return tr("Address");
    case TimeColumn:
        return tr("Time");
    default:
        return {};
    }
}

Qt::ItemFlags HistoryModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    // A heading is shown, never chosen.
    return isHeading(index.row()) ? Qt::ItemIsEnabled : Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

bool HistoryModel::canFetchMore(const QModelIndex &parent) const
{
    return !parent.isValid() && !m_atEnd && !m_loading;
}

void HistoryModel::fetchMore(const QModelIndex &parent)
{
    if (!parent.isValid())
        askPage();
}
