// The window's part of content blocking: the count in the status bar, and the commands that
// allow a site, switch blocking, update the lists and hide an element, each through its
// window action.

#include "ui/blocking/hideelementdialog.h"
#include "windowfixture.h"

#include <QLabel>
#include <QPushButton>

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
    void hideElementDialog_data();
    void hideElementDialog();
    void hideElementNeedsASite();

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
    QVERIFY(m_fixture->browser().fakeTools.menuActions.contains(allow));

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

void tst_BlockingControls::hideElementDialog_data()
{
    QTest::addColumn<QString>("typed"); // what the user leaves in the line; "" keeps it
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("rules");
    QTest::addColumn<bool>("staysOpen");
    const QString hide = u"hideElementHide"_s;
    QTest::newRow("proposed") << QString() << hide
                              << QStringList { u"news.example##main > div.ad"_s } << false;
    QTest::newRow("edited") << u"  div.ad img "_s << hide
                            << QStringList { u"news.example##div.ad img"_s } << false;
    QTest::newRow("refused by the page") << u"div.ad["_s << hide << QStringList() << true;
    QTest::newRow("cancelled") << u"div.other"_s << u"hideElementCancel"_s << QStringList()
                               << false;
}

void tst_BlockingControls::hideElementDialog()
{
    QFETCH(QString, typed);
    QFETCH(QString, button);
    QFETCH(QStringList, rules);
    QFETCH(bool, staysOpen);
    blocking().refused = { u"div.ad["_s };
    m_fixture->browser().fakeTools.menuSelector = u"main > div.ad"_s;
    QAction *action = m_fixture->window().menuItem(u"actHideElement"_s);
    QVERIFY(m_fixture->browser().fakeTools.menuActions.contains(action));
    trigger(u"actHideElement"_s);
    QPointer<HideElementDialog> dialog = m_fixture->window().findChild<HideElementDialog *>();
    QVERIFY(dialog && dialog->isVisible());
    QVERIFY(dialog->findChild<QLabel *>(u"hideElementSite"_s)->text().contains(u"news.example"_s));
    auto *line = dialog->findChild<QLineEdit *>(u"hideElementSelector"_s);
    QCOMPARE(line->text(), u"main > div.ad"_s);
    if (!typed.isEmpty())
        line->setText(typed);
    dialog->findChild<QPushButton *>(button)->click();
    QCOMPARE(blocking().hidingRules, rules);
    QTRY_COMPARE(dialog && dialog->isVisible(), staysOpen);
    if (staysOpen) {
        const QLabel *problem = dialog->findChild<QLabel *>(u"hideElementProblem"_s);
        QVERIFY(problem->isVisible() && problem->text().contains(u"div.ad["_s));
        QCOMPARE(line->text(), typed);
    }
    QVERIFY(m_fixture->test.messages->prompts.isEmpty());
}

void tst_BlockingControls::hideElementNeedsASite()
{
    m_fixture->browser().complete(u"about:blank"_s, QString());
    QApplication::processEvents();
    trigger(u"actHideElement"_s);
    QVERIFY(!m_fixture->window().findChild<HideElementDialog *>());
    QCOMPARE(m_fixture->test.messages->prompts.size(), 1);
}

KESTRAV_TEST_MAIN(tst_BlockingControls)
#include "tst_blockingcontrols.moc"
