// The window's part of content blocking: the count in the status bar, and the commands that
// allow a site, switch blocking and update the lists, each through its window action.

#include "windowfixture.h"

#include <QLabel>

using namespace Qt::StringLiterals;

class tst_BlockingControls : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void countShownInTheStatusBar();
    void allowOnSiteToggles();
    void blockingSwitchToggles();
    void updateSaysHowItWent();
    void choiceThatCannotBeKeptIsReported();

private:
    QString panel() const { return m_fixture->frame->Panel1->text(); }
    FakeContentBlocking &blocking() const { return *m_fixture->test.blocking; }
    void trigger(const QString &name)
    {
        m_fixture->browser().calls.clear();
        m_fixture->window().menuItem(name)->trigger();
        QApplication::processEvents();
    }

    std::unique_ptr<WindowFixture> m_fixture;
};

void tst_BlockingControls::init()
{
    m_fixture = std::make_unique<WindowFixture>();
    m_fixture->start();
    m_fixture->browser().complete(u"https://news.example/today.html"_s, u"Today"_s);
    QApplication::processEvents();
}

void tst_BlockingControls::cleanup()
{
    m_fixture.reset();
}

void tst_BlockingControls::countShownInTheStatusBar()
{
    blocking().setCount(&m_fixture->browser(), 12);
    QCOMPARE(panel(), u"12 blocked"_s);
    Q_EMIT m_fixture->browser().StatusTextChange(u"a.bin: 5%"_s);
    QCOMPARE(panel(), u"a.bin: 5%; 12 blocked"_s);
    // Another control's page is not this window's.
    QWidget otherParent;
    FakeWebBrowserControl other(&otherParent);
    blocking().setCount(&other, 3);
    QCOMPARE(panel(), u"a.bin: 5%; 12 blocked"_s);
    blocking().setCount(&m_fixture->browser(), 0);
    QCOMPARE(panel(), u"a.bin: 5%"_s);
}

void tst_BlockingControls::allowOnSiteToggles()
{
    blocking().setCount(&m_fixture->browser(), 4);
    QAction *allow = m_fixture->window().menuItem(u"actAllowAds"_s);
    QVERIFY(allow->isCheckable() && !allow->isChecked());
    QVERIFY(m_fixture->browser().menuActions.contains(allow));

    trigger(u"actAllowAds"_s);
    QCOMPARE(blocking().allowedSites, QSet<QString>({ u"news.example"_s }));
    QCOMPARE(m_fixture->browser().calls, QStringList({ u"Refresh"_s }));
    QVERIFY(allow->isChecked());
    QCOMPARE(panel(), u"Ads allowed on this site"_s);

    trigger(u"actAllowAds"_s);
    QVERIFY(blocking().allowedSites.isEmpty());
    QCOMPARE(m_fixture->browser().calls, QStringList({ u"Refresh"_s }));
    QVERIFY(!allow->isChecked());
    QCOMPARE(panel(), u"4 blocked"_s);

    // The mark follows the site of the page shown.
    blocking().allowedSites.insert(u"other.example"_s);
    m_fixture->browser().complete(u"https://other.example/"_s, u"Other"_s);
    QApplication::processEvents();
    QVERIFY(allow->isChecked());
}

void tst_BlockingControls::blockingSwitchToggles()
{
    QAction *on = m_fixture->window().menuItem(u"actBlocking"_s);
    QVERIFY(on->isChecked());
    trigger(u"actBlocking"_s);
    QVERIFY(!blocking().enabled);
    QVERIFY(!on->isChecked());
    QCOMPARE(m_fixture->browser().calls, QStringList({ u"Refresh"_s }));
    QCOMPARE(panel(), u"Blocking off"_s);
    trigger(u"actBlocking"_s);
    QVERIFY(blocking().enabled && on->isChecked());
    QCOMPARE(panel(), QString());
}

void tst_BlockingControls::updateSaysHowItWent()
{
    trigger(u"actUpdateFilters"_s);
    QCOMPARE(blocking().updates, 1);
    QCOMPARE(panel(), u"Updating the filter lists..."_s);
    Q_EMIT blocking().updateFinished(u"Filter lists: 0 updated; kept the old list of x: 404"_s);
    QCOMPARE(panel(), u"Filter lists: 0 updated; kept the old list of x: 404"_s);
}

void tst_BlockingControls::choiceThatCannotBeKeptIsReported()
{
    blocking().failWrites = true;
    trigger(u"actAllowAds"_s);
    trigger(u"actBlocking"_s);
    QCOMPARE(m_fixture->test.messages->prompts.size(), 2);
    QVERIFY(m_fixture->test.messages->prompts.first().contains(u"Path/File access error"_s));
    QVERIFY(m_fixture->browser().calls.isEmpty());
    QVERIFY(blocking().enabled && blocking().allowedSites.isEmpty());
    QVERIFY(m_fixture->window().menuItem(u"actBlocking"_s)->isChecked());
}

KESTRAV_TEST_MAIN(tst_BlockingControls)
#include "tst_blockingcontrols.moc"
