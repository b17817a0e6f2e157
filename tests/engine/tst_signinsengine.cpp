// Saved sign-ins with the real engine and the desktop's keyring on a D-Bus session of the
// test's own, against sign-in pages served on the loopback interface, by their address (a
// secure origin) and by a name (shop.test, plain http that anyone on the way could read).

#include "../window/windowfixture.h"
#include "httpserver.h"
#include "platform/desktop/keyring/secretservicekeyring.h"
#include "platform/desktop/settings/sqlitesettingsstore.h"
#include "platform/desktop/webengine/webenginebrowsercontrol.h"
#include "privatekeyring.h"
#include "signins/savedsignins.h"
#include "signins/signinrules.h"
#include "ui/import/importwindow.h"
#include "ui/signins/signinchooser.h"
#include "ui/signins/signinoffers.h"

#include <QDBusInterface>
#include <QDBusObjectPath>
#include <QListWidget>
#include <QPushButton>
#include <QRandomGenerator>
#include <QWebEnginePage>
#include <QWebEngineView>

namespace {

constexpr int LoadTimeoutMs = 60'000;
const QString KeyringMessage
    = QStringLiteral("Sign-ins cannot be saved: the desktop's keyring is not available.");
const QString Warning
    = QStringLiteral("This page is not secure: the password can be read on the way.");

const QByteArray LoginForm
    = "<form method=\"post\" action=\"/welcome.html\">"
      "<input id=\"user\" type=\"text\"><input id=\"pass\" type=\"password\">"
      "<button>Sign in</button></form>";

// The fields outside any form; the button sends them with fetch() and the page then shows
// itself signed in.
const QByteArray FetchLogin
    = "<div id=\"box\"><input id=\"user\" type=\"text\"><input id=\"pass\" type=\"password\">"
      "<button id=\"go\" type=\"button\">Sign in</button></div><script>"
      "document.getElementById('go').onclick = function () {"
      "  fetch('/api/login', { method: 'POST', body: document.getElementById('pass').value })"
      "    .then(function (response) { return response.json(); })"
      "    .then(function () { document.getElementById('box').remove();"
      "                        document.title = 'Welcome'; }); };</script>";

// A form without a submit button: a link sends it with form.submit(), which fires no submit
// event.
const QByteArray ScriptedSubmit
    = "<form id=\"f\" method=\"post\" action=\"/welcome.html\">"
      "<input id=\"user\" type=\"text\"><input id=\"pass\" type=\"password\"></form>"
      "<a id=\"go\" href=\"#\" onclick=\"document.getElementById('f').submit(); return false\">"
      "Sign in</a>";

const QByteArray UserNameStep = "<form method=\"post\" action=\"/step2.html\">"
                                "<input id=\"user\" type=\"text\" name=\"username\">"
                                "<button>Next</button></form>";
const QByteArray PasswordStep = "<form method=\"post\" action=\"/welcome.html\">"
                                "<input id=\"pass\" type=\"password\" name=\"password\">"
                                "<button>Sign in</button></form>";

// The login is drawn a second after the load; typing into its password field makes the page
// add another password field of its own.
const QByteArray LateForm
    = "<script>setTimeout(function () {"
      "  var form = document.createElement('form'); form.method = 'post';"
      "  form.action = '/welcome.html';"
      "  form.innerHTML = '<input id=\"user\" type=\"text\"><input id=\"pass\" type=\"password\">"
      "<button>Sign in</button>';"
      "  document.body.appendChild(form);"
      "  document.getElementById('pass').addEventListener('input', function () {"
      "    if (document.getElementById('extra')) return;"
      "    var extra = document.createElement('input'); extra.type = 'password';"
      "    extra.id = 'extra'; form.appendChild(extra); });"
      "}, 1000);</script>";

// Reads every field two seconds after the load and posts what it found to its server.
const QByteArray Harvester
    = "<script>setTimeout(function () {"
      "  var found = Array.prototype.map.call(document.querySelectorAll('input'),"
      "    function (i) { return i.id + '=' + i.value; }).join('&');"
      "  fetch('/collect', { method: 'POST', body: found })"
      "    .then(function () { document.title = 'Harvested'; });"
      "}, 2000);</script>";
// Password fields a user cannot see or use: not shown, a pixel, far off, transparent, covered.
const QByteArray HiddenFields
    = "<form method=\"post\" action=\"/welcome.html\">"
      "<input id=\"user\" type=\"text\" style=\"display:none\">"
      "<input id=\"pass\" type=\"password\" style=\"display:none\"></form>"
      "<input id=\"tiny\" type=\"password\" style=\"width:1px;height:1px;border:0;padding:0\">"
      "<input id=\"far\" type=\"password\" style=\"position:absolute;left:-5000px\">"
      "<input id=\"clear\" type=\"password\" style=\"opacity:0\">"
      "<div style=\"position:relative\"><input id=\"covered\" type=\"password\">"
      "<div style=\"position:absolute;inset:0;background:white\"></div></div>";

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
    void harvesterGetsNothing_data();
    void harvesterGetsNothing();
    void everyLoginIsOffered_data();
    void everyLoginIsOffered();
    void lateFormFilledOnlyWhereSecure_data();
    void lateFormFilledOnlyWhereSecure();
    void importedPasswordsFillTheirSite();
    // Last: it leaves the keyring locked.
    void lockedKeyringAsksBeforeTheBar();

private:
    void startWindow();
    void load(const QString &address, const QString &title);
    QVariant js(const QString &script);
    void submit(const QString &user, const QString &password);
    // Clicks into the page's element with this id, as the user does.
    void click(const QString &id);
    // Clicks into the field and types the text, key by key.
    void type(const QString &id, const QString &text);
    QWidget *surface() const { return m_engine->widget()->focusProxy(); }
    Keyring::Answer keyring(const std::function<void(Keyring::Done)> &call);
    QString secretOf(const QString &origin, const QString &user);
    void seed(const QString &origin, const QString &user, const QString &password);
    HttpServer &server(const QString &name);
    // The address of a path on the loopback server, by its address or by a name.
    QString address(const QString &host, const QString &path) const;
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
    m_server.keepReceived();
    for (HttpServer *server : { &m_server, &m_other, &m_secure }) {
        server->route("/login.html", htmlPage("Sign in", LoginForm));
        server->route("/welcome.html", htmlPage("Welcome"));
        server->route("/framed.html",
                      htmlPage("Framed", "<iframe src=\"/login.html\" width=400></iframe>"));
    }
    m_server.route("/fetch.html", htmlPage("Sign in", FetchLogin));
    m_server.route("/api/login", "{}");
    m_server.route("/script.html", htmlPage("Sign in", ScriptedSubmit));
    m_server.route("/step1.html", htmlPage("User name", UserNameStep));
    m_server.route("/step2.html", htmlPage("Password", PasswordStep));
    m_server.route("/late.html", htmlPage("Late", LateForm));
    m_server.route("/hidden.html", htmlPage("Hidden", HiddenFields + Harvester));
    m_server.route("/shown.html", htmlPage("Shown", LoginForm + Harvester));
    m_server.route("/elsewhere.html",
                   htmlPage("Shown",
                            "<form method=\"post\" action=\"http://127.0.0.2:1/\">"
                            "<input id=\"user\" type=\"text\"><input id=\"pass\" type=\"password\">"
                            "</form>"
                                + Harvester));
    m_server.route("/collect", "ok");
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
    QTest::qWait(500);
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

void tst_SignInsEngine::click(const QString &id)
{
    const QVariantList box
        = js(QStringLiteral("(function () {"
                            "  var r = document.getElementById('%1')"
                            "    .getBoundingClientRect();"
                            "  return [r.left + r.width / 2, r.top + r.height / 2];"
                            "})()")
                 .arg(id))
              .toList();
    QCOMPARE(box.size(), 2);
    QTest::mouseClick(surface(), Qt::LeftButton, {}, QPoint(box.at(0).toInt(), box.at(1).toInt()));
}

void tst_SignInsEngine::type(const QString &id, const QString &text)
{
    click(id);
    QTRY_COMPARE(js(QStringLiteral("document.activeElement.id")).toString(), id);
    QTest::keyClicks(surface(), text);
    QTRY_COMPARE(js(QStringLiteral("document.getElementById('%1').value").arg(id)).toString(),
                 text);
}

Keyring::Answer tst_SignInsEngine::keyring(const std::function<void(Keyring::Done)> &call)
{
    std::optional<Keyring::Answer> answer;
    call([&answer](const Keyring::Answer &a) { answer = a; });
    static_cast<void>(QTest::qWaitFor([&answer] { return answer.has_value(); }, 30'000));
    return answer.value_or(Keyring::Answer { false, false, {}, QStringLiteral("no answer") });
}

QString tst_SignInsEngine::secretOf(const QString &origin, const QString &user)
{
    const QString key = SavedSignIns::keyringKey({ origin, user });
    return keyring([&](Keyring::Done done) { m_keyring->read(key, std::move(done)); }).secret;
}

HttpServer &tst_SignInsEngine::server(const QString &name)
{
    return name == "other" ? m_other : name == "secure" ? m_secure : m_server;
}

QString tst_SignInsEngine::address(const QString &host, const QString &path) const
{
    return host == QLatin1String("loopback")
        ? m_server.url(path)
        : QStringLiteral("http://%1:%2%3").arg(host).arg(m_server.port()).arg(path);
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
    load(m_server.url("/login.html"), QStringLiteral("Sign in"));
    submit(QStringLiteral("ann"), newPassword());
    QTest::qWait(1500);
    QVERIFY(!bar().isOffering());
    // The keyring's state outlasts the pages.
    QCOMPARE(m_fixture->frame->Panel1->text(), KeyringMessage);
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
    // Loopback is as safe as https: no warning.
    QCOMPARE(bar().warningText(), QString());
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
        QCOMPARE(secretOf(origin(), user), password);
        // After a restart, the sign-in page comes filled in.
        startWindow();
        load(m_server.url("/login.html"), QStringLiteral("Sign in"));
        QTRY_COMPARE(js("document.getElementById('pass').value").toString(), password);
        QCOMPARE(js("document.getElementById('user').value").toString(), user);
    } else {
        QTest::qWait(1000);
        QVERIFY(!SavedSignIns(*m_settings).contains(entry));
        QCOMPARE(secretOf(origin(), user), QString());
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
    // The other user names are the chooser's, never written into the page.
    QCOMPARE(js("document.documentElement.outerHTML.indexOf('gus')").toInt(), -1);
}

// A passwords file as a browser exports it goes to the keyring (never to a file of ours), a
// saved password is kept unless the user agrees to replace it, and the page is filled.
void tst_SignInsEngine::importedPasswordsFillTheirSite()
{
    const QString here = SignInRules::originOf(QUrl(m_server.url("/")));
    const QString there = SignInRules::originOf(QUrl(m_other.url("/")));
    const QString imported = newPassword();
    const QString older = newPassword();
    seed(there, QStringLiteral("ann"), older);
    const QString csv = qEnvironmentVariable("HOME") + QStringLiteral("/passwords.csv");
    QVERIFY(
        writeAll(csv,
                 QStringLiteral("url,username,password,httpRealm\n%1,bob,%2,\n%3,ann,\"%4\",\n")
                     .arg(m_server.url("/login.html"), imported, m_other.url("/"), newPassword())
                     .toUtf8()));

    QApplication::setActiveWindow(m_fixture->frame.get());
    QTest::keySequence(m_fixture->frame.get(), QKeySequence(QStringLiteral("Ctrl+Shift+O")));
    auto *window = m_fixture->window().findChild<ImportWindow *>();
    QVERIFY(window);
    QTRY_VERIFY(window->isVisible() && !window->busy());
    qsizetype asked = 0;
    window->setAskReplace([&asked](QWidget *, qsizetype conflicts) {
        asked = conflicts;
        return false;
    });
    window->setAskDeleteFile([](QWidget *, const QString &) { return true; });
    window->importFile(csv);
    QTRY_VERIFY_WITH_TIMEOUT(window->report().endsWith("The passwords file was deleted."), 30'000);
    QVERIFY2(window->report().startsWith("Saved 1 sign-ins (0 were already saved)"),
             qPrintable(window->report()));
    QCOMPARE(asked, 1);
    QCOMPARE(secretOf(here, QStringLiteral("bob")), imported);
    QCOMPARE(secretOf(there, QStringLiteral("ann")), older);
    QCOMPARE(filesHolding(imported), QStringList());
    window->close();

    load(m_server.url("/login.html"), QStringLiteral("Sign in"));
    QTRY_COMPARE(js("document.getElementById('pass').value").toString(), imported);
    QCOMPARE(js("document.getElementById('user').value").toString(), QStringLiteral("bob"));
}

void tst_SignInsEngine::harvesterGetsNothing_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("page");
    // Whether the page gets the password: only a shown login of a secure origin, sending home.
    QTest::addColumn<bool>("filled");
    QTest::newRow("hidden fields on a secure origin") << "loopback"
                                                      << "/hidden.html" << false;
    QTest::newRow("form sending elsewhere") << "loopback"
                                            << "/elsewhere.html" << false;
    QTest::newRow("shown login on plain http") << "shop.test"
                                               << "/shown.html" << false;
    // What a secure site's own login gets is what every browser gives it.
    QTest::newRow("shown login on a secure origin") << "loopback"
                                                    << "/shown.html" << true;
}

void tst_SignInsEngine::harvesterGetsNothing()
{
    QFETCH(QString, host);
    QFETCH(QString, page);
    QFETCH(bool, filled);
    const QString site = SignInRules::originOf(QUrl(address(host, "/")));
    const QString password = newPassword();
    seed(site, QStringLiteral("frank"), password);
    const QByteArray before = m_server.received();
    load(address(host, page), page == "/hidden.html" ? "Hidden" : "Shown");
    QTRY_COMPARE_WITH_TIMEOUT(m_fixture->window().windowTitle(), QStringLiteral("Harvested"),
                              LoadTimeoutMs);
    const QByteArray sent = m_server.received().mid(before.size());
    QVERIFY(sent.contains("POST /collect"));
    QCOMPARE(sent.contains(password.toUtf8()), filled);
    QCOMPARE(sent.contains("frank"), filled);
}

void tst_SignInsEngine::everyLoginIsOffered_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("user");
    QTest::newRow("classic form") << "loopback"
                                  << "classic"
                                  << "ann";
    QTest::newRow("classic form, plain http") << "shop.test"
                                              << "classic"
                                              << "ann";
    QTest::newRow("fetch() without a form") << "loopback"
                                            << "fetch"
                                            << "bob";
    QTest::newRow("fetch() without a form, plain http") << "shop.test"
                                                        << "fetch"
                                                        << "bob";
    QTest::newRow("form.submit()") << "loopback"
                                   << "script"
                                   << "cid";
    QTest::newRow("two steps") << "shop.test"
                               << "two steps"
                               << "frank";
    QTest::newRow("late form") << "loopback"
                               << "late"
                               << "liz";
}

void tst_SignInsEngine::everyLoginIsOffered()
{
    QFETCH(QString, host);
    QFETCH(QString, kind);
    QFETCH(QString, user);
    const QString password = newPassword();
    const QString site = SignInRules::originOf(QUrl(address(host, "/")));
    if (kind == "classic" || kind == "late") {
        load(address(host, kind == "late" ? "/late.html" : "/login.html"),
             kind == "late" ? "Late" : "Sign in");
        QTRY_VERIFY(js("!!document.getElementById('pass')").toBool());
        type("user", user);
        type("pass", password);
        QTest::keyClick(surface(), Qt::Key_Return);
    } else if (kind == "fetch" || kind == "script") {
        load(address(host, "/" + kind + ".html"), QStringLiteral("Sign in"));
        type("user", user);
        type("pass", password);
        click("go");
    } else {
        load(address(host, "/step1.html"), QStringLiteral("User name"));
        type("user", user);
        QTest::keyClick(surface(), Qt::Key_Return);
        QTRY_COMPARE_WITH_TIMEOUT(m_fixture->window().windowTitle(), QStringLiteral("Password"),
                                  LoadTimeoutMs);
        QTest::qWait(500);
        type("pass", password);
        QTest::keyClick(surface(), Qt::Key_Return);
    }
    QTRY_COMPARE_WITH_TIMEOUT(m_fixture->window().windowTitle(), QStringLiteral("Welcome"),
                              LoadTimeoutMs);
    QTRY_VERIFY_WITH_TIMEOUT(bar().isOffering(), LoadTimeoutMs);
    QCOMPARE(bar().offerText(),
             QStringLiteral("Save the sign-in of %1 for %2?").arg(user, QUrl(site).authority()));
    QCOMPARE(bar().warningText(), host == "loopback" ? QString() : Warning);
    QTest::mouseClick(bar().findChild<QPushButton *>("signInSave"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(SavedSignIns(*m_settings).contains({ site, user }), LoadTimeoutMs);
    QCOMPARE(secretOf(site, user), password);
    QCOMPARE(SavedSignIns(*m_settings).userNames(site), QStringList { user });
    QCOMPARE(filesHolding(password), QStringList());
}

void tst_SignInsEngine::lateFormFilledOnlyWhereSecure_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<bool>("filledOnLoad");
    QTest::newRow("secure origin") << "loopback" << true;
    QTest::newRow("plain http") << "shop.test" << false;
}

void tst_SignInsEngine::lateFormFilledOnlyWhereSecure()
{
    QFETCH(QString, host);
    QFETCH(bool, filledOnLoad);
    const QString site = SignInRules::originOf(QUrl(address(host, "/")));
    const QString password = newPassword();
    seed(site, QStringLiteral("liz"), password);
    load(address(host, "/late.html"), QStringLiteral("Late"));
    QTRY_VERIFY(js("!!document.getElementById('pass')").toBool());
    if (filledOnLoad) {
        QTRY_COMPARE(js("document.getElementById('pass').value").toString(), password);
        QCOMPARE(js("document.getElementById('user').value").toString(), QStringLiteral("liz"));
        return;
    }
    QTest::qWait(1500);
    QCOMPARE(js("document.getElementById('pass').value").toString(), QString());

    // The user's click shows the chooser; only the choice fills, and only the fields that were
    // there: not the field the page adds as the password goes in.
    SignInChooser &chooser = bar().chooser();
    click(QStringLiteral("user"));
    QTRY_VERIFY(chooser.isChoosing());
    QCOMPARE(chooser.names(), QStringList { "liz" });
    QCOMPARE(js("document.getElementById('pass').value").toString(), QString());
    QTest::qWait(SignInChooser::SteadyMs);
    auto *list = chooser.findChild<QListWidget *>();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(0)).center());
    QTRY_COMPARE(js("document.getElementById('pass').value").toString(), password);
    QCOMPARE(js("document.getElementById('user').value").toString(), QStringLiteral("liz"));
    QTRY_VERIFY(js("!!document.getElementById('extra')").toBool());
    QCOMPARE(js("document.getElementById('extra').value").toString(), QString());
}

void tst_SignInsEngine::lockedKeyringAsksBeforeTheBar()
{
    QDBusInterface service(QStringLiteral("org.freedesktop.secrets"),
                           QStringLiteral("/org/freedesktop/secrets"),
                           QStringLiteral("org.freedesktop.Secret.Service"));
    const QDBusObjectPath login(QStringLiteral("/org/freedesktop/secrets/collection/login"));
    QCOMPARE(service.call(QStringLiteral("Lock"), QVariant::fromValue(QList { login })).type(),
             QDBusMessage::ReplyMessage);
    // The test's bus has no prompt for the desktop to show: the unlocking is refused, as a
    // user who cancels it does.
    const QString refused
        = QStringLiteral("Sign-ins are not saved or filled: the desktop's keyring stays locked.");
    for (const QString &user : { QStringLiteral("ann"), QStringLiteral("bob") }) {
        load(m_server.url("/login.html"), QStringLiteral("Sign in"));
        submit(user, newPassword());
        QTRY_COMPARE_WITH_TIMEOUT(m_fixture->frame->Panel1->text(), refused, LoadTimeoutMs);
        QTest::qWait(1000);
        QVERIFY(!bar().isOffering());
    }
    QCOMPARE(SavedSignIns(*m_settings).all(), QList<SavedSignIns::Entry>());
}

KESTRAV_TEST_MAIN(tst_SignInsEngine)
#include "tst_signinsengine.moc"
