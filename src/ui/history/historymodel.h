#pragma once

#include "platform/api/historystore.h"

#include <QAbstractTableModel>
#include <QDate>
#include <QList>
#include <QStringList>

// The visits that the history window lists: newest first, a heading row before each day,
// fetched from the store a page at a time as the view scrolls. Only the pages scrolled to are
// held; a new search starts again from the newest.
class HistoryModel final : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { TitleColumn, AddressColumn, TimeColumn, ColumnCount };
    static constexpr int PageSize = 60;
    // The visit's id, or 0 on a heading row.
    static constexpr int VisitIdRole = Qt::UserRole;
    static constexpr int AddressRole = Qt::UserRole + 1;

    explicit HistoryModel(HistoryStore &store, QObject *parent = nullptr);

    // Lists the visits that hold every word of text, from the newest again.
    void setSearch(const QString &text);
    // Reads the list again from the newest, as after a removal.
    void reload();
    // "Today" and "Yesterday" are those of this date (for tests; else the current date).
    void setToday(const QDate &today) { m_today = today; }

    bool isHeading(int row) const;
    QString address(int row) const;
    qint64 visitId(int row) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;

Q_SIGNALS:
    // A page came and its rows are shown.
    void pageShown();

private:
    struct Row
    {
        QDate day; // a heading row when visit.id == 0
        HistoryVisit visit;
    };

    void askPage();
    void addPage(quint64 generation, const QList<HistoryVisit> &visits);
    QDate today() const;

    HistoryStore &m_store;
    QStringList m_words;
    QList<Row> m_rows;
    quint64 m_generation = 0;
    bool m_loading = false;
    bool m_atEnd = false;
    bool m_replacing = false; // the next page is a new first page
    QDate m_today;
};
