// The sign-in bar and chooser's decisions on doubles: which reports they believe, what reaches
// the settings store and the page and when, and how the keyring's state shows.

#include "signins/savedsignins.h"
#include "ui/signins/signinchooser.h"
#include "ui/signins/signinoffers.h"
#include "windowfixture.h"

#include <QListWidget>
#include <QPushButton>

namespace {

const QString Insecure = QStringLiteral("http://a.test:80");
const QString Secure = QStringLiteral("http://127.0.0.1:8123");
const QString Missing
    = QStringLiteral("Sign-ins cannot be saved: the desktop's keyring is not available.");
const QString Warning
    = QStringLiteral("This page is not secure: the password can be read on the way.");

QVariantMap sent(const QString &origin, const QString &user = QStringLiteral("ann"))
{
    return { { "how", "submit" },
             { "origin", origin },
             { "userName", user },
             { "password", QStringLiteral("s3cret") } };
}

// A login as the page's script reports it: shown, enabled, its form sending home.
QVariantMap login(int number, bool visible = true)
{
    return { { "document", "d1" },   { "login", number }, { "topFrame", true },
             { "visible", visible }, { "enabled", true }, { "action", "" } };
}

} // namespace

class tst_SignInOffers : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void offerAndSave_data();
    void offerAndSave();
    void barStaysOnItsSiteOnly();
    void fillsOnLoadOnlyWhereSafe_data();
    void fillsOnLoadOnlyWhereSafe();
    void chooserFillsTheUsersChoiceOnly();
    void missingKeyringStaysSaid();

private:
    SignInOffers &bar() { return *m_fixture->window().findChild<SignInOffers *>(); }
    SavedSignIns saved() { return SavedSignIns(*m_fixture->test.settings); }
    FakeKeyring &keyring() { return *m_fixture->test.keyring; }
    FakePageSignIns &page() { return m_fixture->browser().fakeSignIns; }
    void seed(const QString &origin, const QString &user)
    {
        saved().add({ origin, user });
        keyring().secrets.insert(SavedSignIns::keyringKey({ origin, user }), user + "-secret");
    }

    std::unique_ptr<WindowFixture> m_fixture;
};

void tst_SignInOffers::init()
{
    m_fixture = std::make_unique<WindowFixture>();
    m_fixture->start();
}

void tst_SignInOffers::cleanup()
{
    m_fixture.reset();
}

void tst_SignInOffers::offerAndSave_data()
{
    QTest::addColumn<QString>("claimedOrigin");
    QTest::addColumn<QString>("page");
    QTest::addColumn<bool>("keyringAtStart");
    QTest::addColumn<bool>("locked");
    QTest::addColumn<bool>("unlockAgreed");
    QTest::addColumn<bool>("keyringAtSave");
    QTest::addColumn<bool>("offered");
    QTest::addColumn<bool>("kept");
    QTest::addColumn<QString>("status");
    const QString insecure = QStringLiteral("http://a.test/login");
    QTest::newRow("saved, plain http")
        << "http://a.test" << insecure << true << false << false << true << true << true << "";
    QTest::newRow("saved, loopback")
        << "http://127.0.0.1:8123"
        << "http://127.0.0.1:8123/in" << true << false << false << true << true << true << "";
    QTest::newRow("report claims another site")
        << "http://b.test" << insecure << true << false << false << true << false << false << "";
    QTest::newRow("no keyring") << "http://a.test" << insecure << false << false << false << false
                                << false << false << Missing;
    QTest::newRow("keyring refuses the password") << "http://a.test" << insecure << true << false
                                                  << false << false << true << false << Missing;
    QTest::newRow("locked, the user unlocks it first")
        << "http://a.test" << insecure << true << true << true << true << true << true << "";
    QTest::newRow("locked, the user refuses")
        << "http://a.test" << insecure << true << true << false << true << false << false
        << "Sign-ins are not saved or filled: the desktop's keyring stays locked.";
}

void tst_SignInOffers::offerAndSave()
{
    QFETCH(QString, claimedOrigin);
    QFETCH(QString, page);
    QFETCH(bool, keyringAtStart);
    QFETCH(bool, locked);
    QFETCH(bool, unlockAgreed);
    QFETCH(bool, keyringAtSave);
    QFETCH(bool, offered);
    QFETCH(bool, kept);
    QFETCH(QString, status);
    keyring().available = keyringAtStart;
    keyring().locked = locked;
    keyring().unlockAgreed = unlockAgreed;
    Q_EMIT this->page().formSubmitted(sent(claimedOrigin), QUrl(page));
    QTest::qWait(50);
    QCOMPARE(bar().isOffering(), offered);
    // The keyring was asked to open before the bar, once.
    QCOMPARE(keyring().unlockAsked, locked && claimedOrigin != "http://b.test" ? 1 : 0);
    if (offered) {
        QVERIFY(!bar().offerText().contains(QLatin1String("s3cret")));
        QCOMPARE(bar().warningText(), page.startsWith("http://a.test") ? Warning : QString());
        keyring().available = keyringAtSave;
        QTest::mouseClick(bar().findChild<QPushButton *>("signInSave"), Qt::LeftButton);
        QTest::qWait(50);
    }
    const QString origin = SignInRules::originOf(QUrl(page));
    QCOMPARE(saved().contains({ origin, QStringLiteral("ann") }), kept);
    QCOMPARE(keyring().secrets.values().contains(QStringLiteral("s3cret")), kept);
    QCOMPARE(m_fixture->frame->Panel1->text(), status);

    // A refusal is not asked again for the next sign-in, nor said twice.
    if (locked && !unlockAgreed) {
        Q_EMIT this->page().formSubmitted(sent(claimedOrigin, QStringLiteral("bob")), QUrl(page));
        QTest::qWait(50);
        QVERIFY(!bar().isOffering());
        QCOMPARE(keyring().unlockAsked, 1);
        QCOMPARE(m_fixture->frame->Panel1->text(), status);
    }
}

void tst_SignInOffers::barStaysOnItsSiteOnly()
{
    Q_EMIT page().formSubmitted(sent(QStringLiteral("http://a.test")), QUrl("http://a.test/login"));
    QTRY_VERIFY(bar().isOffering());
    // The form's answer comes from the same site; then the user goes elsewhere.
    m_fixture->browser().complete(QStringLiteral("http://a.test/welcome"), QStringLiteral("In"));
    QVERIFY(bar().isOffering());
    m_fixture->browser().complete(QStringLiteral("http://b.test/"), QStringLiteral("B"));
    QVERIFY(!bar().isOffering());
    QVERIFY(!saved().contains({ Insecure, QStringLiteral("ann") }));
}

void tst_SignInOffers::fillsOnLoadOnlyWhereSafe_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QVariantMap>("login");
    QTest::addColumn<bool>("certificatePassed");
    QTest::addColumn<bool>("locked");
    QTest::addColumn<bool>("filled");
    QTest::newRow("loopback") << Secure + "/login" << login(1) << false << false << true;
    QTest::newRow("plain http") << Insecure + "/login" << login(1) << false << false << false;
    QTest::newRow("hidden field") << Secure + "/login" << login(1, false) << false << false
                                  << false;
    QTest::newRow("certificate error passed")
        << Secure + "/login" << login(1) << true << false << false;
    QTest::newRow("another port") << "http://127.0.0.1:8124/login" << login(1) << false << false
                                  << false;
    // The user did not ask for anything: a locked keyring stays shut.
    QTest::newRow("locked keyring") << Secure + "/login" << login(1) << false << true << false;
}

void tst_SignInOffers::fillsOnLoadOnlyWhereSafe()
{
    QFETCH(QString, page);
    QFETCH(QVariantMap, login);
    QFETCH(bool, certificatePassed);
    QFETCH(bool, locked);
    QFETCH(bool, filled);
    seed(Secure, QStringLiteral("ann"));
    seed(Insecure, QStringLiteral("ann"));
    keyring().locked = locked;
    this->page().certificatePassed = certificatePassed;
    Q_EMIT this->page().loginFound(login, QUrl(page));
    QTest::qWait(50);
    QCOMPARE(this->page().fills.size(), filled ? 1 : 0);
    QCOMPARE(keyring().unlockAsked, 0);
    if (filled) {
        const FakePageSignIns::Fill fill = this->page().fills.first();
        QCOMPARE(fill.origin, Secure);
        QCOMPARE(fill.login.document, QStringLiteral("d1"));
        QCOMPARE(fill.signIn.secret, QStringLiteral("ann-secret"));
        QVERIFY(!fill.byChoice);
    }
}

void tst_SignInOffers::chooserFillsTheUsersChoiceOnly()
{
    seed(Insecure, QStringLiteral("ann"));
    seed(Insecure, QStringLiteral("bob"));
    keyring().locked = true;
    SignInChooser &chooser = bar().chooser();
    auto *list = chooser.findChild<QListWidget *>();
    const QUrl pageUrl(Insecure + "/login");

    // A hidden field gets no chooser.
    Q_EMIT page().chooserWanted(login(2, false), QRect(10, 10, 200, 20), pageUrl);
    QTest::qWait(20);
    QVERIFY(!chooser.isChoosing());

    Q_EMIT page().chooserWanted(login(2), QRect(10, 10, 200, 20), pageUrl);
    QTRY_VERIFY(chooser.isChoosing());
    QCOMPARE(chooser.names(), (QStringList { "ann", "bob" }));
    QCOMPARE(page().chooserShownFor, 2);
    // Under the field, over the page.
    const QPoint field = m_fixture->browser().widget()->mapToGlobal(QPoint(10, 30));
    QVERIFY(chooser.geometry().top() >= field.y());
    QCOMPARE(chooser.geometry().left(), field.x());

    // A click at once is not a choice: the page may have put the list under the pointer.
    const QRect bob = list->visualItemRect(list->item(1));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, bob.center());
    QTest::qWait(20);
    QVERIFY(page().fills.isEmpty());
    QVERIFY(chooser.isChoosing());

    QTest::qWait(SignInChooser::SteadyMs);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, bob.center());
    QTRY_COMPARE(page().fills.size(), 1);
    const FakePageSignIns::Fill fill = page().fills.first();
    QCOMPARE(fill.login.login, 2);
    QCOMPARE(fill.signIn.userName, QStringLiteral("bob"));
    QCOMPARE(fill.signIn.secret, QStringLiteral("bob-secret"));
    QVERIFY(fill.byChoice);
    // The choice opened the locked keyring.
    QCOMPARE(keyring().unlockAsked, 1);
    QVERIFY(!chooser.isChoosing());
    QCOMPARE(page().chooserShownFor, 0);

    // From the keyboard: Enter alone belongs to the page; Down, Down, Enter chooses.
    Q_EMIT page().chooserWanted(login(2), QRect(10, 10, 200, 20), pageUrl);
    QTRY_VERIFY(chooser.isChoosing());
    QTest::qWait(SignInChooser::SteadyMs);
    for (const char *key : { "Enter", "Down", "Down", "Enter" })
        Q_EMIT page().chooserKey(QLatin1String(key));
    QTRY_COMPARE(page().fills.size(), 2);
    QCOMPARE(page().fills.last().signIn.userName, QStringLiteral("bob"));

    // The page moving on takes the chooser with it.
    Q_EMIT page().chooserWanted(login(2), QRect(10, 10, 200, 20), pageUrl);
    QTRY_VERIFY(chooser.isChoosing());
    Q_EMIT page().chooserDone();
    QVERIFY(!chooser.isChoosing());
}

void tst_SignInOffers::missingKeyringStaysSaid()
{
    m_fixture.reset();
    m_fixture = std::make_unique<WindowFixture>();
    m_fixture->test.keyring->available = false;
    m_fixture->start();
    QTRY_COMPARE(m_fixture->frame->Panel1->text(), Missing);
    m_fixture->browser().complete(Insecure + "/", QStringLiteral("A"));
    Q_EMIT m_fixture->browser().StatusTextChange(QStringLiteral("http://a.test/link"));
    Q_EMIT m_fixture->browser().StatusTextChange(QString());
    QCOMPARE(m_fixture->frame->Panel1->text(), Missing);
}

KESTRAV_TEST_MAIN(tst_SignInOffers)
#include "tst_signinoffers.moc"
