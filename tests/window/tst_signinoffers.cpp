// The sign-in bar's decisions on doubles: which reports it believes, what reaches the settings
// store and when, and where it fills.

#include "signins/savedsignins.h"
#include "ui/signinoffers.h"
#include "windowfixture.h"

#include <QPushButton>

namespace {

const QString Site = QStringLiteral("http://a.test:80");

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
    void fillsTheSavedSiteOnly_data();
    void fillsTheSavedSiteOnly();

private:
    SignInOffers &bar() { return *m_fixture->window().findChild<SignInOffers *>(); }
    SavedSignIns saved() { return SavedSignIns(*m_fixture->test.settings); }
    FakeKeyring &keyring() { return *m_fixture->test.keyring; }

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
    QTest::addColumn<bool>("keyringAtStart");
    QTest::addColumn<bool>("keyringAtSave");
    QTest::addColumn<bool>("offered");
    QTest::addColumn<bool>("kept");
    QTest::newRow("saved") << "http://a.test" << true << true << true << true;
    QTest::newRow("report claims another site")
        << "http://b.test" << true << true << false << false;
    QTest::newRow("no keyring") << "http://a.test" << false << false << false << false;
    QTest::newRow("keyring refuses the password")
        << "http://a.test" << true << false << true << false;
}

void tst_SignInOffers::offerAndSave()
{
    QFETCH(QString, claimedOrigin);
    QFETCH(bool, keyringAtStart);
    QFETCH(bool, keyringAtSave);
    QFETCH(bool, offered);
    QFETCH(bool, kept);
    const QString message
        = QStringLiteral("Sign-ins cannot be saved: the desktop's keyring is not available.");
    keyring().available = keyringAtStart;
    const QVariantMap report { { "origin", claimedOrigin },
                               { "userName", QStringLiteral("ann") },
                               { "password", QStringLiteral("s3cret") } };
    Q_EMIT m_fixture->browser().fakeSignIns.formSubmitted(report, QUrl("http://a.test/login"));
    QTest::qWait(50);
    QCOMPARE(bar().isOffering(), offered);
    if (offered) {
        QVERIFY(!bar().offerText().contains(QLatin1String("s3cret")));
        keyring().available = keyringAtSave;
        QTest::mouseClick(bar().findChild<QPushButton *>("signInSave"), Qt::LeftButton);
        QTest::qWait(50);
    }
    QCOMPARE(saved().contains({ Site, QStringLiteral("ann") }), kept);
    QCOMPARE(keyring().secrets.values().contains(QStringLiteral("s3cret")), kept);
    QCOMPARE(m_fixture->frame->Panel1->text() == message, !keyringAtSave);
}

void tst_SignInOffers::barStaysOnItsSiteOnly()
{
    const QVariantMap report { { "origin", QStringLiteral("http://a.test") },
                               { "userName", QStringLiteral("ann") },
                               { "password", QStringLiteral("s3cret") } };
    Q_EMIT m_fixture->browser().fakeSignIns.formSubmitted(report, QUrl("http://a.test/login"));
    QTRY_VERIFY(bar().isOffering());
    // The form's answer comes from the same site; then the user goes elsewhere.
    m_fixture->browser().complete(QStringLiteral("http://a.test/welcome"), QStringLiteral("In"));
    QVERIFY(bar().isOffering());
    m_fixture->browser().complete(QStringLiteral("http://b.test/"), QStringLiteral("B"));
    QVERIFY(!bar().isOffering());
    QVERIFY(!saved().contains({ Site, QStringLiteral("ann") }));
}

void tst_SignInOffers::fillsTheSavedSiteOnly_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<bool>("certificatePassed");
    QTest::addColumn<bool>("filled");
    QTest::newRow("the saved site") << "http://a.test/login" << false << true;
    QTest::newRow("its certificate error passed") << "http://a.test/login" << true << false;
    QTest::newRow("another port") << "http://a.test:8080/login" << false << false;
}

void tst_SignInOffers::fillsTheSavedSiteOnly()
{
    QFETCH(QString, page);
    QFETCH(bool, certificatePassed);
    QFETCH(bool, filled);
    const SavedSignIns::Entry entry { Site, QStringLiteral("ann") };
    saved().add(entry);
    keyring().secrets.insert(SavedSignIns::keyringKey(entry), QStringLiteral("s3cret"));
    FakePageSignIns &signIns = m_fixture->browser().fakeSignIns;
    signIns.certificatePassed = certificatePassed;
    m_fixture->browser().complete(page, QStringLiteral("Sign in"));
    QTest::qWait(50);
    QCOMPARE(signIns.fills.size(), filled ? 1 : 0);
    if (filled) {
        QCOMPARE(signIns.fills.first().first, Site);
        QCOMPARE(signIns.fills.first().second.first().secret, QStringLiteral("s3cret"));
    }
}

KESTRAV_TEST_MAIN(tst_SignInOffers)
#include "tst_signinoffers.moc"
