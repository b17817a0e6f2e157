#include "fakeservices.h"
#include "hostedcontrol.h"
#include "httpserver.h"
#include "platform/desktop/webengine/guardedpage.h"
#include "platform/desktop/webengine/webenginebrowsercontrol.h"
#include "questions/onequestionatatime.h"
#include "sitedata/rememberedanswers.h"
#include "testsupport.h"

#include <memory>
#include <QApplication>
#include <QWebEngineView>

using namespace Qt::StringLiterals;

// Pages that flood the user with questions: the window keeps answering, and no question
// ever opens on top of another.

namespace {

// Questions that stay open a while, as a user takes time to answer, and remember how many
// were open at once.
class SlowQuestions final : public UserQuestions
{
public:
    QString whereToSave(const QString &) override { return open(QString()); }
    bool proceedDespiteCertificate(const QString &, const QString &) override
    {
        return open(false);
    }
    PermissionAnswer allowPermission(const QString &, Permission) override
    {
        return { open(false), true };
    }
    bool cancelDownloads(int) override { return open(false); }
    bool quitCancellingDownloads(int) override { return open(false); }
    std::optional<Credentials> credentials(const QString &, const QString &) override
    {
        return open(std::optional<Credentials>());
    }
    bool stopUnresponsivePage(const QString &) override { return open(false); }

    // Also what the page's own dialogs and its print previews do.
    template<typename Answer> Answer open(Answer answer)
    {
        ++asked;
        mostAtOnce = qMax(mostAtOnce, ++openNow);
        QTest::qWait(100);
        --openNow;
        return answer;
    }

    int asked = 0;
    int openNow = 0;
    int mostAtOnce = 0;
};

} // namespace

class tst_PageFlood : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void floodNeverStacksQuestions_data();
    void floodNeverStacksQuestions();

private:
    HttpServer m_server;
};

void tst_PageFlood::initTestCase()
{
    QVERIFY(m_server.listen());
}

void tst_PageFlood::floodNeverStacksQuestions_data()
{
    QTest::addColumn<QByteArray>("script"); // sets the title to what the page saw
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("asked"); // questions the user saw, at most (and one at least)
    // Whether the status bar says the page asks too often: 1 yes, 0 no, -1 as it happens
    QTest::addColumn<int>("told");

    QTest::newRow("alert") << QByteArray("for (var i = 0; i < 100; ++i) alert(i);"
                                         "document.title = 'done';")
                           << u"done"_s << GuardedPage::MaxQuestions << 1;
    QTest::newRow("confirm") << QByteArray("var yes = 0;"
                                           "for (var i = 0; i < 100; ++i) if (confirm(i)) ++yes;"
                                           "document.title = 'yes ' + yes;")
                             << u"yes 3"_s << GuardedPage::MaxQuestions << 1;
    QTest::newRow("prompt") << QByteArray("var given = 0;"
                                          "for (var i = 0; i < 100; ++i)"
                                          "  if (prompt(i, 'd') === 'd') ++given;"
                                          "document.title = 'given ' + given;")
                            << u"given 3"_s << GuardedPage::MaxQuestions << 1;
    // The page goes on while its first print preview is open; the engine may drop the
    // prints that come meanwhile before they reach the window.
    QTest::newRow("print") << QByteArray("for (var i = 0; i < 100; ++i) print();"
                                         "document.title = 'done';")
                           << u"done"_s << GuardedPage::MaxQuestions << -1;
    // Asked once; the answer holds for the site, and no request waits on the open one.
    QTest::newRow("permission requests")
        << QByteArray("var answers = 0;"
                      "for (var i = 0; i < 100; ++i)"
                      "  Notification.requestPermission().then(function () {"
                      "    if (++answers == 100) document.title = 'answered';"
                      "  });")
        << u"answered"_s << 1 << 0;
    // Without a click no window opens, and the page stays.
    QTest::newRow("window.open") << QByteArray(
        "for (var i = 0; i < 1000; ++i) window.open('/blank?' + i);"
        "document.title = 'opened';")
                                 << u"opened"_s << 0 << 0;
    // Without a click the engine refuses them all.
    QTest::newRow("full screen") << QByteArray(
        "var refused = 0;"
        "for (var i = 0; i < 100; ++i)"
        "  document.documentElement.requestFullscreen().catch(function () {"
        "    if (++refused == 100) document.title = 'refused';"
        "  });") << u"refused"_s << 0
                                 << 0;
}

void tst_PageFlood::floodNeverStacksQuestions()
{
    QFETCH(QByteArray, script);
    QFETCH(QString, title);
    QFETCH(int, asked);
    QFETCH(int, told);

    auto questions = std::make_shared<SlowQuestions>();
    QWidget host;
    WebEngineBrowserControl *control = showInHost(
        host, std::make_shared<OneQuestionAtATime>(std::make_shared<RememberedAnswers>(questions)));
    auto *page
        = qobject_cast<GuardedPage *>(static_cast<QWebEngineView *>(control->widget())->page());
    QVERIFY(page);
    page->showDialog
        = [&](GuardedPage::Dialog, const QString &, QString *) { return questions->open(true); };
    connect(&control->printing(), &PagePrinting::PrintRequested, this,
            [&] { questions->open(true); });
    QString status;
    connect(control, &WebBrowserControl::StatusTextChange, this,
            [&](const QString &text) { status = text; });
    const int windows = int(QApplication::topLevelWidgets().size());

    const QString path = u"/"_s + QString::fromLatin1(QTest::currentDataTag()).replace(u' ', u'-');
    m_server.route(path, htmlPage("flood", "<script>" + script + "</script>"));
    m_server.route(u"/blank"_s, htmlPage("blank"));
    QVERIFY(loadAndWait(*control, m_server.url(path)));
    if (title != u"*"_s)
        QTRY_COMPARE_WITH_TIMEOUT(control->LocationName(), title, 30'000);
    // The page, or the one it opened, still answers.
    QVERIFY(!control->document().DocumentBodyInnerHTML().isNull());

    QVERIFY2(questions->asked <= asked && questions->asked >= qMin(asked, 1),
             qPrintable(QString::number(questions->asked)));
    QVERIFY(questions->mostAtOnce <= 1);
    if (told >= 0)
        QCOMPARE(status.contains(u"asks too often"_s), told == 1);
    QCOMPARE(int(QApplication::topLevelWidgets().size()), windows);
}

KESTRAV_TEST_MAIN(tst_PageFlood)
#include "tst_pageflood.moc"
