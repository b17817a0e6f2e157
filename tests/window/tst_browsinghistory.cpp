#include "completionpopup.h"
#include "historymodel.h"
#include "historywindow.h"
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
        m_fixture->test.history->recordVisit(QStringLiteral("http://kept.test/"),
                                             QStringLiteral("Kept"), 1, VisitKind::Typed);
        QTest::keyClick(&m_fixture->window(), Qt::Key_H, Qt::ControlModifier);
        HistoryWindow *shown = nullptr;
        const QWidgetList windows = QApplication::topLevelWidgets();
        for (QWidget *widget : windows)
            shown = shown ? shown : qobject_cast<HistoryWindow *>(widget);
        QVERIFY(shown && shown->isVisible());
        QTRY_COMPARE(shown->model().rowCount(), 2);
        browser().calls.clear();
        Q_EMIT shown->openRequested(QStringLiteral("http://kept.test/"));
        QCOMPARE(browser().calls, QStringList { "Navigate:http://kept.test/" });
        QCOMPARE(m_fixture->cboAddress()->currentText(), QStringLiteral("http://kept.test/"));
    }

    void completionGoesThroughTheBox()
    {
        m_fixture->test.history->recordVisit(QStringLiteral("http://kept.test/page"),
                                             QStringLiteral("Kept page"), 1, VisitKind::Typed);
        QComboBox *box = m_fixture->cboAddress();
        box->setFocus();
        box->clearEditText();
        QTest::keyClicks(box, QStringLiteral("kept pa"));
        auto *popup = m_fixture->window().findChild<CompletionPopup *>();
        QTRY_VERIFY(popup->isVisible());
        QCOMPARE(popup->list()->count(), 2);
        QTest::keyClick(box, Qt::Key_Down);
        browser().calls.clear();
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(browser().calls, QStringList { "Navigate:http://kept.test/page" });
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
