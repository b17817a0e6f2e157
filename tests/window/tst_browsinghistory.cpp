#include "ui/history/completionpopup.h"
#include "ui/history/historymodel.h"
#include "ui/history/historywindow.h"
#include "windowfixture.h"

#include <QLabel>
#include <QListWidget>

// The browser window's part in the history: what each of its events hands on.
class tst_BrowsingHistory : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_fixture = std::make_unique<WindowFixture>();
        m_fixture->start();
        // The start page is one of ours and is not kept.
        m_fixture->browser().complete(FakeWebBrowserControl::homeUrl, QStringLiteral("Start"));
        QApplication::setActiveWindow(m_fixture->frame.get());
    }
    void cleanup() { m_fixture.reset(); }

    void visitsRecordedWithKindAndTitle()
    {
        m_fixture->typeAndEnter(QStringLiteral("http://typed.test/"));
        browser().complete(QStringLiteral("http://typed.test/"), QString());
        Q_EMIT browser().TitleChange(QStringLiteral("Typed page"));
        // A link followed on the page.
        browser().complete(QStringLiteral("http://typed.test/next"), QStringLiteral("Next"));
        const auto &places = m_fixture->test.history->places;
        QCOMPARE(places.size(), 2);
        QCOMPARE(places.at(0).title, QStringLiteral("Typed page"));
        QCOMPARE(places.at(0).visits.at(0).kind, VisitKind::Typed);
        QCOMPARE(places.at(1).visits.at(0).kind, VisitKind::Followed);
    }

    void wordsAreSearched()
    {
        m_fixture->typeAndEnter(QStringLiteral("python tuple"));
        QCOMPARE(browser().calls.last(), QStringLiteral("Navigate:about:search?q=python%20tuple"));
        m_fixture->typeAndEnter(QStringLiteral("localhost:8080"));
        QCOMPARE(browser().calls.last(), QStringLiteral("Navigate:localhost:8080"));
    }

    void historyWindowOpensEntries()
    {
        m_fixture->test.history->recordVisit(QStringLiteral("http://kept.test/?t=two words"),
                                             QStringLiteral("Kept"), 1, VisitKind::Typed);
        QTest::keyClick(&m_fixture->window(), Qt::Key_H, Qt::ControlModifier);
        HistoryWindow *shown = nullptr;
        const QWidgetList windows = QApplication::topLevelWidgets();
        for (QWidget *widget : windows)
            shown = shown ? shown : qobject_cast<HistoryWindow *>(widget);
        QVERIFY(shown && shown->isVisible());
        QTRY_COMPARE(shown->model().rowCount(), 2);
        browser().calls.clear();
        Q_EMIT shown->openRequested(QStringLiteral("http://kept.test/?t=two words"));
        QCOMPARE(browser().calls, QStringList { "Navigate:http://kept.test/?t=two words" });
        QCOMPARE(m_fixture->cboAddress()->currentText(),
                 QStringLiteral("http://kept.test/?t=two words"));
    }

    void chosenSuggestionGoesAsItsAddress_data()
    {
        QTest::addColumn<QString>("how"); // "keys", "mouse" or "edited"
        QTest::addColumn<bool>("searched");
        QTest::newRow("Down and Enter") << "keys" << false;
        QTest::newRow("a click") << "mouse" << false;
        // Text the user typed into is the user's again: words with spaces are searched.
        QTest::newRow("chosen, then typed into") << "edited" << true;
    }

    // An address kept with spaces (as earlier runs recorded them) is still an address when chosen.
    void chosenSuggestionGoesAsItsAddress()
    {
        QFETCH(QString, how);
        QFETCH(bool, searched);
        const QString address = QStringLiteral("http://kept.test/title?t=Wombat Heron Kettle");
        m_fixture->test.history->recordVisit(address, QStringLiteral("Wombat Heron Kettle"), 1,
                                             VisitKind::Typed);
        QComboBox *box = m_fixture->cboAddress();
        box->setFocus();
        box->clearEditText();
        QTest::keyClicks(box, QStringLiteral("heron wom"));
        auto *popup = m_fixture->window().findChild<CompletionPopup *>();
        QTRY_VERIFY(popup->isVisible());
        QCOMPARE(popup->list()->count(), 2);
        browser().calls.clear();
        if (how == "mouse") {
            QListWidget *list = popup->list();
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                              list->visualItemRect(list->item(0)).center());
        } else {
            QTest::keyClick(box, Qt::Key_Down);
            if (how == "edited")
                QTest::keyClicks(box, QStringLiteral(" x"));
            QTest::keyClick(box, Qt::Key_Return);
        }
        QCOMPARE(browser().calls.size(), 1);
        if (searched)
            QVERIFY(browser().calls.at(0).startsWith("Navigate:about:search?q=http"));
        else
            QCOMPARE(browser().calls.at(0), "Navigate:" + address);
        QVERIFY(!popup->isVisible());
    }

    void troubleGoesToTheStatusBar()
    {
        m_fixture->test.history->refuseWrites(
            QStringLiteral("History is not being kept: disk full"));
        browser().complete(QStringLiteral("http://a.test/"), QString());
        QTRY_COMPARE(m_fixture->frame->Panel1->text(),
                     QStringLiteral("History is not being kept: disk full"));
    }

private:
    FakeWebBrowserControl &browser() { return m_fixture->browser(); }

    std::unique_ptr<WindowFixture> m_fixture;
};

KESTRAV_TEST_MAIN(tst_BrowsingHistory)

#include "tst_browsinghistory.moc"
