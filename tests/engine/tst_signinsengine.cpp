// Saved sign-ins with the real engine and the desktop's keyring on a D-Bus session of the
// test's own, against sign-in pages served on the loopback interface.

#include "../window/windowfixture.h"
#include "httpserver.h"
#include "platform/desktop/keyring/secretservicekeyring.h"
#include "platform/desktop/settings/sqlitesettingsstore.h"
#include "platform/desktop/webengine/webenginebrowsercontrol.h"
#include "privatekeyring.h"
#include "signins/savedsignins.h"
#include "signins/signinrules.h"
#include "ui/signinoffers.h"

#include <QPushButton>
#include <QRandomGenerator>
#include <QWebEnginePage>
#include <QWebEngineView>

namespace {

constexpr int LoadTimeoutMs = 60'000;
const QString KeyringMessage
    = QStringLiteral("Sign-ins cannot be saved: the desktop's keyring is not available.");

const QByteArray LoginForm
    = "<form method=\"post\" action=\"/welcome.html\">"
      "<input id=\"user\" type=\"text\"><input id=\"pass\" type=\"password\">"
      "<button>Sign in</button></form>";

QString newPassword()
{
    return QStringLiteral("pw-%1").arg(QRandomGenerator::global()->generate());
}

} // namespace

class tst_SignInsEngine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    // First: the keyring daemon has not joined the bus yet.
    void withoutKeyringNothingIsOffered();
    void answers_data();
    void answers();
    void fillsOnlyWhereAllowed_data();
    void fillsOnlyWhereAllowed();

private:
    void startWindow();
    void load(const QString &address, const QString &title);
    QVariant js(const QString &script);
    void submit(const QString &user, const QString &password);
    Keyring::Answer keyring(const std::function<void(Keyring::Done)> &call);
    QString secretOf(const QString &user);
    void seed(const QString &origin, const QString &user, const QString &password);
    HttpServer &server(const QString &name);
    SignInOffers &bar() { return *m_fixture->window().findChild<SignInOffers *>(); }
    QString origin() const { return SignInRules::originOf(QUrl(m_server.url("/"))); }

    HttpServer m_server;
    HttpServer m_other; // the same pages on another port: another site
    HttpServer m_secure; // with a certificate the engine does not trust
    PrivateKeyring m_bus;
    std::shared_ptr<Keyring> m_keyring;
    std::shared_ptr<SettingsStore> m_settings;
    std::unique_ptr<WindowFixture> m_fixture;
    QPointer<WebEngineBrowserControl> m_engine;
    int m_run = 0;
};

void tst_SignInsEngine::initTestCase()
{
    QVERIFY(m_server.listen() && m_other.listen() && m_secure.listenSecure());
    for (HttpServer *server : { &m_server, &m_other, &m_secure }) {
        server->route("/login.html", htmlPage("Sign in", LoginForm));
        server->route("/welcome.html", htmlPage("Welcome"));
        server->route("/framed.html",
                      htmlPage("Framed", "<iframe src=\"/login.html\" width=400></iframe>"));
    }
    QVERIFY(m_bus.startBus());
}

void tst_SignInsEngine::init()
{
    if (QTest::currentTestFunction() != QByteArrayLiteral("withoutKeyringNothingIsOffered"))
        QVERIFY(m_bus.startKeyring());
    m_keyring = std::make_shared<SecretServiceKeyring>(QStringLiteral("Kestrav test"));
    m_settings = std::make_shared<SqliteSettingsStore>(
        QStringLiteral("%1/settings-%2.db").arg(qEnvironmentVariable("HOME")).arg(++m_run));
    startWindow();
}

void tst_SignInsEngine::cleanup()
{
    m_fixture.reset();
}

// A new program on the same settings and keyring, as after a restart.
void tst_SignInsEngine::startWindow()
{
    m_fixture.reset();
    m_fixture = std::make_unique<WindowFixture>();
    m_fixture->test.platform.settings = m_settings;
    m_fixture->test.platform.keyring = m_keyring;
    m_fixture->test.platform.createWebBrowserControl = [this](QWidget *parent) {
        auto *control = new WebEngineBrowserControl(parent, m_fixture->test.questions);
        m_engine = control;
        return control;
    };
    m_fixture->start();
    QTRY_COMPARE_WITH_TIMEOUT(m_fixture->window().windowTitle(),
                              QStringLiteral("Kestrav start page"), LoadTimeoutMs);
}

void tst_SignInsEngine::load(const QString &address, const QString &title)
{
    m_fixture->typeAndEnter(address);
    QTRY_COMPARE_WITH_TIMEOUT(m_fixture->window().windowTitle(), title, LoadTimeoutMs);
    // The page's sign-in script reaches the program a moment after the page has loaded.
    QTest::qWait(1000);
}

QVariant tst_SignInsEngine::js(const QString &script)
{
    std::optional<QVariant> result;
    qobject_cast<QWebEngineView *>(m_engine->widget())
        ->page()
        ->runJavaScript(script, [&result](const QVariant &value) { result = value; });
    static_cast<void>(QTest::qWaitFor([&result] { return result.has_value(); }, 10'000));
    return result.value_or(QVariant());
}

void tst_SignInsEngine::submit(const QString &user, const QString &password)
{
    js(QStringLiteral("document.getElementById('user').value = '%1';"
                      "document.getElementById('pass').value = '%2';"
                      "document.forms[0].requestSubmit(); true")
           .arg(user, password));
    QTRY_COMPARE_WITH_TIMEOUT(m_fixture->window().windowTitle(), QStringLiteral("Welcome"),
                              LoadTimeoutMs);
}

Keyring::Answer tst_SignInsEngine::keyring(const std::function<void(Keyring::Done)> &call)
{
    std::optional<Keyring::Answer> answer;
    call([&answer](const Keyring::Answer &a) { answer = a; });
    static_cast<void>(QTest::qWaitFor([&answer] { return answer.has_value(); }, 30'000));
    return answer.value_or(Keyring::Answer { false, false, {}, QStringLiteral("no answer") });
}

QString tst_SignInsEngine::secretOf(const QString &user)
{
    const QString key = SavedSignIns::keyringKey({ origin(), user });
    return keyring([&](Keyring::Done done) { m_keyring->read(key, std::move(done)); }).secret;
}

HttpServer &tst_SignInsEngine::server(const QString &name)
{
    return name == "other" ? m_other : name == "secure" ? m_secure : m_server;
}

void tst_SignInsEngine::seed(const QString &origin, const QString &user, const QString &password)
{
    const QString key = SavedSignIns::keyringKey({ origin, user });
    QVERIFY(keyring([&](Keyring::Done d) { m_keyring->store(key, password, std::move(d)); }).ok);
    SavedSignIns(*m_settings).add({ origin, user });
}

void tst_SignInsEngine::withoutKeyringNothingIsOffered()
{
    QTRY_COMPARE_WITH_TIMEOUT(m_fixture->frame->Panel1->text(), KeyringMessage, LoadTimeoutMs);
    // A user's command clears the message; the keyring is not tried again, nor is it said again.
    load(m_server.url("/login.html"), QStringLiteral("Sign in"));
    submit(QStringLiteral("ann"), newPassword());
    QTest::qWait(1500);
    QVERIFY(!bar().isOffering());
    QCOMPARE(m_fixture->frame->Panel1->text(), QString());
    QCOMPARE(SavedSignIns(*m_settings).all(), QList<SavedSignIns::Entry>());
}

void tst_SignInsEngine::answers_data()
{
    QTest::addColumn<QString>("user");
    QTest::addColumn<bool>("seeded");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("question");
    QTest::addColumn<bool>("kept");
    QTest::addColumn<bool>("askedAgain");
    QTest::newRow("save") << "sam" << false << "Alt+S"
                          << "Save the sign-in of sam for %1?" << true << false;
    QTest::newRow("update") << "ursula" << true << "Alt+U"
                            << "Update the saved password of ursula for %1?" << true << false;
    QTest::newRow("never for this site") << "nina" << false << "signInNever"
                                         << "Save the sign-in of nina for %1?" << false << false;
    QTest::newRow("not now") << "noah" << false << "signInNotNow"
                             << "Save the sign-in of noah for %1?" << false << true;
}

void tst_SignInsEngine::answers()
{
    QFETCH(QString, user);
    QFETCH(bool, seeded);
    QFETCH(QString, answer);
    QFETCH(QString, question);
    QFETCH(bool, kept);
    QFETCH(bool, askedAgain);
    const QString password = newPassword();
    if (seeded)
        seed(origin(), user, QStringLiteral("old-") + password);

    load(m_server.url("/login.html"), QStringLiteral("Sign in"));
    submit(user, password);
    QTRY_VERIFY_WITH_TIMEOUT(bar().isOffering(), LoadTimeoutMs);
    QCOMPARE(bar().offerText(), question.arg(QStringLiteral("127.0.0.1:%1").arg(m_server.port())));
    if (answer.startsWith(QLatin1String("Alt+"))) {
        const QKeyCombination keys = QKeySequence(answer)[0];
        QTest::keyClick(m_fixture->frame->windowHandle(), keys.key(), keys.keyboardModifiers());
        QTest::keyClick(m_fixture->frame->windowHandle(), keys.key(), keys.keyboardModifiers());
    } else {
        QTest::mouseClick(bar().findChild<QPushButton *>(answer), Qt::LeftButton);
    }
    // A button's key shows the button pressed for a moment before it acts.
    QTRY_VERIFY(!bar().isOffering());

    const SavedSignIns::Entry entry { origin(), user };
    if (kept) {
        QTRY_VERIFY_WITH_TIMEOUT(SavedSignIns(*m_settings).contains(entry), LoadTimeoutMs);
        QCOMPARE(secretOf(user), password);
        // After a restart, the sign-in page comes filled in.
        startWindow();
        load(m_server.url("/login.html"), QStringLiteral("Sign in"));
        QTRY_COMPARE(js("document.getElementById('pass').value").toString(), password);
        QCOMPARE(js("document.getElementById('user').value").toString(), user);
    } else {
        QTest::qWait(1000);
        QVERIFY(!SavedSignIns(*m_settings).contains(entry));
        QCOMPARE(secretOf(user), QString());
        load(m_server.url("/login.html"), QStringLiteral("Sign in"));
        submit(user, password);
        if (askedAgain) {
            QTRY_VERIFY_WITH_TIMEOUT(bar().isOffering(), LoadTimeoutMs);
        } else {
            QTest::qWait(1500);
            QVERIFY(!bar().isOffering());
        }
    }
    QCOMPARE(filesHolding(password), QStringList());
}

void tst_SignInsEngine::fillsOnlyWhereAllowed_data()
{
    QTest::addColumn<QString>("savedFor");
    QTest::addColumn<QString>("shownOn");
    QTest::addColumn<QString>("page");
    QTest::addColumn<QStringList>("saved");
    // Where the page's fields are, from its top document.
    QTest::addColumn<QString>("fields");
    QTest::addColumn<bool>("filled");
    const QString top = QStringLiteral("document");
    const QString frame = QStringLiteral("document.querySelector('iframe').contentDocument");
    const QStringList one { "fay" };
    QTest::newRow("same site") << "main"
                               << "main"
                               << "/login.html" << one << top << true;
    QTest::newRow("several sign-ins")
        << "main"
        << "main"
        << "/login.html" << QStringList { "fay", "gus" } << top << true;
    QTest::newRow("another port") << "main"
                                  << "other"
                                  << "/login.html" << one << top << false;
    QTest::newRow("a frame") << "main"
                             << "main"
                             << "/framed.html" << one << frame << false;
    QTest::newRow("certificate error passed") << "secure"
                                              << "secure"
                                              << "/login.html" << one << top << false;
}

void tst_SignInsEngine::fillsOnlyWhereAllowed()
{
    QFETCH(QString, savedFor);
    QFETCH(QString, shownOn);
    QFETCH(QString, page);
    QFETCH(QStringList, saved);
    QFETCH(QString, fields);
    QFETCH(bool, filled);
    QStringList passwords;
    for (const QString &user : saved) {
        passwords.append(newPassword());
        seed(SignInRules::originOf(QUrl(server(savedFor).url("/"))), user, passwords.last());
    }
    const QString userField = fields + QStringLiteral(".getElementById('user')");
    const QString passwordField = fields + QStringLiteral(".getElementById('pass')");

    m_fixture->test.questions->proceed = true;
    load(server(shownOn).url(page), page == "/framed.html" ? "Framed" : "Sign in");
    if (!filled) {
        QTest::qWait(1500);
        QCOMPARE(js(userField + ".value").toString(), QString());
        QCOMPARE(js(passwordField + ".value").toString(), QString());
        return;
    }
    QTRY_COMPARE(js(passwordField + ".value").toString(), passwords.first());
    QCOMPARE(js(userField + ".value").toString(), saved.first());
    // The user-name field lists every sign-in, and a listed name brings its own password.
    QCOMPARE(js(userField + ".list ? " + userField + ".list.options.length : 0").toInt(),
             saved.size() > 1 ? saved.size() : 0);
    if (saved.size() > 1) {
        js(userField + ".value = '" + saved.last() + "'; " + userField
           + ".dispatchEvent(new Event('input')); true");
        QTRY_COMPARE(js(passwordField + ".value").toString(), passwords.last());
    }
}

KESTRAV_TEST_MAIN(tst_SignInsEngine)
#include "tst_signinsengine.moc"
