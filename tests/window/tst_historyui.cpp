#include "fakehistorystore.h"
#include "history/historyrules.h"
#include "testsupport.h"
#include "ui/history/completionpopup.h"
#include "ui/history/historymodel.h"
#include "ui/history/historywindow.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTreeView>

// The history window and the address box's completion, each on its own over the store's
// double.

namespace {

constexpr qint64 Hour = 60LL * 60 * 1000;

QStringList shownRows(const HistoryModel &model)
{
    QStringList rows;
    for (int row = 0; row < model.rowCount(); ++row)
        rows.append(model.index(row, 0).data().toString());
    return rows;
}

QStringList suggestionAddresses(const CompletionPopup &popup)
{
    QStringList rows;
    for (int row = 0; row < popup.list()->count(); ++row)
        rows.append(popup.list()->item(row)->data(CompletionPopup::AddressRole).toString());
    return rows;
}

} // namespace

class tst_HistoryUi : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_store = std::make_unique<FakeHistoryStore>(History::frecency);
        const qint64 today = QDateTime(QDate::currentDate(), QTime(12, 0)).toMSecsSinceEpoch();
        m_store->recordVisit(QStringLiteral("https://old.org/"), QStringLiteral("Old page"),
                             today - 72 * Hour, VisitKind::Followed);
        m_store->recordVisit(QStringLiteral("https://python.org/tuple"),
                             QStringLiteral("Python tuples"), today - 24 * Hour, VisitKind::Typed);
        m_store->recordVisit(QStringLiteral("https://news.org/"), QStringLiteral("News"),
                             today - 2 * Hour, VisitKind::Followed);
        m_store->recordVisit(QStringLiteral("https://news.org/"), QStringLiteral("News"),
                             today - Hour, VisitKind::Followed);
    }

    void windowListsByDayAndFilters()
    {
        HistoryWindow window(*m_store);
        window.model().setToday(QDate::currentDate());
        window.open();
        QTRY_COMPARE(window.model().rowCount(), 7);
        QCOMPARE(shownRows(window.model()),
                 (QStringList {
                     "Today", "News", "News", "Yesterday", "Python tuples",
                     QLocale().toString(QDate::currentDate().addDays(-3), QLocale::ShortFormat),
                     "Old page" }));
        QTest::keyClicks(window.searchField(), QStringLiteral("TUPLES py"));
        QTRY_COMPARE(shownRows(window.model()), (QStringList { "Yesterday", "Python tuples" }));
        QVERIFY(window.list()->isFirstColumnSpanned(0, {}));
        QVERIFY(!window.list()->isFirstColumnSpanned(1, {}));
        QTest::keyClicks(window.searchField(), QStringLiteral(" nothing"));
        QTRY_COMPARE(window.model().rowCount(), 0);
    }

    void windowOpensRemovesAndClears()
    {
        HistoryWindow window(*m_store);
        QSignalSpy opened(&window, &HistoryWindow::openRequested);
        int asked = 0;
        std::optional<History::ClearRange> answer;
        window.setAskClearRange([&](QWidget *) {
            ++asked;
            return answer;
        });
        window.open();
        QTRY_COMPARE(window.model().rowCount(), 7);
        // Enter in the search field opens the first entry; Enter in the list the current one.
        QTest::keyClick(window.searchField(), Qt::Key_Return);
        QCOMPARE(opened.takeFirst().at(0).toString(), QStringLiteral("https://news.org/"));
        window.list()->setCurrentIndex(window.model().index(4, 0));
        QTest::keyClick(window.list(), Qt::Key_Return);
        QCOMPARE(opened.takeFirst().at(0).toString(), QStringLiteral("https://python.org/tuple"));
        // Del removes the selected visits, headings aside.
        window.list()->selectionModel()->select(
            QItemSelection(window.model().index(0, 0), window.model().index(2, 0)),
            QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        QTest::keyClick(window.list(), Qt::Key_Delete);
        QTRY_COMPARE(window.model().rowCount(), 4);
        // The visit after the removed ones keeps the keyboard's place: Enter opens it, and a
        // second Del (the last visit selected) leaves the one before it selected.
        QTRY_COMPARE(window.list()->currentIndex().row(), 1);
        QCOMPARE(window.list()->selectionModel()->selectedRows().size(), 1);
        QTest::keyClick(window.list(), Qt::Key_Return);
        QCOMPARE(opened.takeFirst().at(0).toString(), QStringLiteral("https://python.org/tuple"));
        window.list()->setCurrentIndex(window.model().index(3, 0));
        QTest::keyClick(window.list(), Qt::Key_Delete);
        QTRY_COMPARE(window.model().rowCount(), 2);
        QTRY_COMPARE(window.list()->currentIndex().row(), 1);
        QTest::keyClick(window.list(), Qt::Key_Return);
        QCOMPARE(opened.takeFirst().at(0).toString(), QStringLiteral("https://python.org/tuple"));
        // "Clear history...": declined, nothing goes; the last hour of now leaves older days.
        auto *clear = window.findChild<QPushButton *>(QStringLiteral("cmdClearHistory"));
        clear->click();
        QCOMPARE(m_store->places.size(), 1);
        answer = History::ClearRange::Everything;
        clear->click();
        QCOMPARE(asked, 2);
        QTRY_COMPARE(window.model().rowCount(), 0);
        QVERIFY(m_store->places.isEmpty());
    }

    void popupKeys()
    {
        QWidget host;
        auto *box = new QComboBox(&host);
        box->setEditable(true);
        box->addItems(
            { QStringLiteral("https://this-run.org/"), QStringLiteral("https://earlier.org/") });
        box->setEditText(QString());
        auto *other = new QLineEdit(&host);
        other->move(0, 60);
        CompletionPopup popup(
            *m_store, box, [] { return QStringList { QStringLiteral("https://newspaper.org/") }; });
        QSignalSpy shown(&popup, &CompletionPopup::suggestionsShown);
        host.show();
        QApplication::setActiveWindow(&host);
        box->setFocus();
        QVERIFY(QTest::qWaitForWindowActive(&host));

        QTest::keyClicks(box, QStringLiteral("news"));
        QTRY_VERIFY(popup.isVisible());
        // The favorite counts as a typed visit of today, above two followed ones.
        QCOMPARE(suggestionAddresses(popup),
                 (QStringList { "https://newspaper.org/", "https://news.org/", QString() }));
        QVERIFY(box->lineEdit()->hasFocus());
        QCOMPARE(box->currentText(), QStringLiteral("news"));
        // Down chooses and fills; the search row puts back the typed text.
        QTest::keyClick(box, Qt::Key_Down);
        QCOMPARE(box->currentText(), QStringLiteral("https://newspaper.org/"));
        QTest::keyClick(box, Qt::Key_Down);
        QTest::keyClick(box, Qt::Key_Down);
        QCOMPARE(box->currentText(), QStringLiteral("news"));
        QTest::keyClick(box, Qt::Key_Up);
        QTest::keyClick(box, Qt::Key_Up);
        QCOMPARE(box->currentText(), QStringLiteral("https://newspaper.org/"));
        // A favorite is not history: Shift+Del leaves it.
        QTest::keyClick(box, Qt::Key_Delete, Qt::ShiftModifier);
        QCOMPARE(popup.list()->count(), 3);
        QTest::keyClick(box, Qt::Key_Down);
        QTest::keyClick(box, Qt::Key_Delete, Qt::ShiftModifier);
        QCOMPARE(suggestionAddresses(popup), (QStringList { "https://newspaper.org/", QString() }));
        QCOMPARE(m_store->places.size(), 2);
        // Esc closes and gives back the typed text; the box's own list is unchanged.
        QTest::keyClick(box, Qt::Key_Escape);
        QVERIFY(!popup.isVisible());
        QCOMPARE(box->currentText(), QStringLiteral("news"));
        QCOMPARE(box->count(), 2);
        // Up and Down with the popup closed are the box's own.
        QTest::keyClick(box, Qt::Key_Down);
        QCOMPARE(box->currentText(), QStringLiteral("https://earlier.org/"));

        // Typing ahead of a slow store: the late answer for "py" does not show.
        box->lineEdit()->clear();
        m_store->holdAnswers(true);
        QTest::keyClicks(box, QStringLiteral("py"));
        QTest::keyClicks(box, QStringLiteral("thon tup"));
        m_store->holdAnswers(false);
        shown.clear();
        m_store->releaseAnswers();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(box->currentText(), QStringLiteral("python tup"));
        QCOMPARE(suggestionAddresses(popup),
                 (QStringList { "https://python.org/tuple", QString() }));
        // Enter before the answer has come: the late answer opens nothing over the page.
        QTest::keyClick(box, Qt::Key_Escape);
        m_store->holdAnswers(true);
        QTest::keyClicks(box, QStringLiteral("l"));
        QTest::keyClick(box, Qt::Key_Return);
        m_store->holdAnswers(false);
        m_store->releaseAnswers();
        QVERIFY(!popup.isVisible());
        // The box loses the focus: the popup goes.
        QTest::keyClicks(box, QStringLiteral("e"));
        QTRY_VERIFY(popup.isVisible());
        other->setFocus();
        QVERIFY(!popup.isVisible());
        // An address is never offered as a search: with nothing else to offer, nothing shows.
        box->setFocus();
        box->lineEdit()->clear();
        QTest::keyClicks(box, QStringLiteral("https://example.net/"));
        QApplication::processEvents();
        QVERIFY(!popup.isVisible());
    }

private:
    std::unique_ptr<FakeHistoryStore> m_store;
};

KESTRAV_TEST_MAIN(tst_HistoryUi)

#include "tst_historyui.moc"
