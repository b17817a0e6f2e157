// What the sign-in keeper tells the bar and the chooser, and what reaches the settings store,
// the keyring and the page for the user's answers, with no widget at all.

#include "fakekeyring.h"
#include "fakesettingsstore.h"
#include "fakewebbrowserparts.h"
#include "platform/api/pageevents.h"
#include "signins/signinkeeper.h"
#include "testsupport.h"

#include <QSignalSpy>
#include <QtTest>

namespace {

const QString Site = QStringLiteral("http://a.test:80");

QVariantMap sent(const QString &password)
{
    return { { "how", "submit" },
             { "origin", "http://a.test" },
             { "userName", "ann" },
             { "password", password } };
}

QVariantMap login(int number)
{
    return { { "document", "d1" }, { "login", number }, { "topFrame", true },
             { "visible", true },  { "enabled", true }, { "action", "" } };
}

} // namespace

class tst_SignInKeeper : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void answers_data();
    void answers();
    void chooserTellsThePageOnlyWhileShown();

private:
    SavedSignIns saved() { return SavedSignIns(*m_settings); }

    FakePageSignIns m_page;
    PageEvents m_events;
    std::shared_ptr<FakeKeyring> m_keyring;
    std::shared_ptr<FakeSettingsStore> m_settings;
    std::unique_ptr<SignInKeeper> m_keeper;
};

void tst_SignInKeeper::init()
{
    m_page.fills.clear();
    m_keyring = std::make_shared<FakeKeyring>();
    m_settings = std::make_shared<FakeSettingsStore>();
    m_keeper = std::make_unique<SignInKeeper>(
        m_page, m_events, m_keyring, m_settings,
        [](const char *, const std::function<void()> &work) { work(); }, [](const QString &) {});
}

void tst_SignInKeeper::cleanup()
{
    m_keeper.reset();
}

void tst_SignInKeeper::answers_data()
{
    QTest::addColumn<QString>("kept");
    QTest::addColumn<int>("offer");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("saved");
    QTest::addColumn<bool>("never");
    QTest::addColumn<bool>("offering");
    const int save = int(SignInRules::Offer::Save), update = int(SignInRules::Offer::Update);
    QTest::newRow("save") << "" << save << "save" << true << false << false;
    QTest::newRow("update") << "old" << update << "save" << true << false << false;
    QTest::newRow("never") << "" << save << "never" << false << true << false;
    QTest::newRow("not now") << "" << save << "not now" << false << false << false;
    QTest::newRow("the same site answers")
        << "" << save << "http://a.test/welcome" << false << false << true;
    QTest::newRow("the user goes elsewhere")
        << "" << save << "http://b.test/" << false << false << false;
}

void tst_SignInKeeper::answers()
{
    QFETCH(QString, kept);
    QFETCH(int, offer);
    QFETCH(QString, answer);
    QFETCH(bool, saved);
    QFETCH(bool, never);
    QFETCH(bool, offering);
    const SavedSignIns::Entry entry { Site, QStringLiteral("ann") };
    if (!kept.isEmpty()) {
        this->saved().add(entry);
        m_keyring->secrets.insert(SavedSignIns::keyringKey(entry), kept);
    }
    QSignalSpy made(m_keeper.get(), &SignInKeeper::offerMade);
    QSignalSpy ended(m_keeper.get(), &SignInKeeper::offerEnded);
    Q_EMIT m_page.formSubmitted(sent(QStringLiteral("s3cret")), QUrl("http://a.test/login"));
    QTRY_COMPARE(made.size(), 1);
    // The bar is told whose sign-in for which site, never the password.
    QCOMPARE(made.first().at(0).toString(), Site);
    QCOMPARE(made.first().at(1).toString(), QStringLiteral("ann"));
    QCOMPARE(int(made.first().at(2).value<SignInRules::Offer>()), offer);

    if (answer == QLatin1String("save"))
        m_keeper->save();
    else if (answer == QLatin1String("never"))
        m_keeper->neverForSite();
    else if (answer == QLatin1String("not now"))
        m_keeper->notNow();
    else
        Q_EMIT m_events.NavigateComplete2(answer);
    QTest::qWait(20);
    QCOMPARE(m_keeper->isOffering(), offering);
    QCOMPARE(ended.size(), offering ? 0 : 1);
    QCOMPARE(m_keyring->secrets.value(SavedSignIns::keyringKey(entry)),
             saved ? QStringLiteral("s3cret") : kept);
    QCOMPARE(this->saved().contains(entry), saved || !kept.isEmpty());
    QCOMPARE(this->saved().neverFor(Site), never);
    // An answer after the offer ended does nothing more.
    if (!offering) {
        m_keeper->save();
        QTest::qWait(20);
        QCOMPARE(this->saved().all().size(), saved || !kept.isEmpty() ? 1 : 0);
    }
}

void tst_SignInKeeper::chooserTellsThePageOnlyWhileShown()
{
    for (const QString &user : { QStringLiteral("ann"), QStringLiteral("bob") }) {
        saved().add({ Site, user });
        m_keyring->secrets.insert(SavedSignIns::keyringKey({ Site, user }), user + "-secret");
    }
    QSignalSpy wanted(m_keeper.get(), &SignInKeeper::choiceWanted);
    const QUrl pageUrl(QStringLiteral("http://a.test/login"));

    // A chooser that cannot be shown is closed at once: the page keeps its keys.
    auto refuse = connect(m_keeper.get(), &SignInKeeper::choiceWanted, m_keeper.get(),
                          &SignInKeeper::chooserClosed);
    Q_EMIT m_page.chooserWanted(login(2), QRect(10, 10, 200, 20), pageUrl);
    QCOMPARE(wanted.size(), 1);
    QCOMPARE(m_page.chooserShownFor, 0);
    disconnect(refuse);

    Q_EMIT m_page.chooserWanted(login(2), QRect(10, 10, 200, 20), pageUrl);
    QCOMPARE(wanted.size(), 2);
    QCOMPARE(wanted.last().at(1).toStringList(), (QStringList { "ann", "bob" }));
    QCOMPARE(m_page.chooserShownFor, 2);
    m_keeper->choose(QStringLiteral("bob"));
    m_keeper->chooserClosed();
    QCOMPARE(m_page.chooserShownFor, 0);
    QTRY_COMPARE(m_page.fills.size(), 1);
    QCOMPARE(m_page.fills.first().signIn.secret, QStringLiteral("bob-secret"));
    QVERIFY(m_page.fills.first().byChoice);

    // Without a chooser shown, a choice fills nothing.
    m_keeper->choose(QStringLiteral("ann"));
    QTest::qWait(20);
    QCOMPARE(m_page.fills.size(), 1);
}

KESTRAV_TEST_GUILESS_MAIN(tst_SignInKeeper)
#include "tst_signinkeeper.moc"
