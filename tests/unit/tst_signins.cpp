#include "platform/desktop/settings/sqlitesettingsstore.h"
#include "signins/loginwatch.h"
#include "signins/savedsignins.h"
#include "signins/signinrules.h"
#include "testsupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using namespace SignInRules;
using Entry = SavedSignIns::Entry;

Q_DECLARE_METATYPE(std::optional<QString>)
Q_DECLARE_METATYPE(SignInRules::Offer)
Q_DECLARE_METATYPE(SignInRules::Fill)

class TestSignIns : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void origin_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("origin");
        QTest::addColumn<bool>("secure");
        QTest::newRow("default port written out") << "http://Example.TEST/a?b"
                                                  << "http://example.test:80" << false;
        QTest::newRow("explicit default port") << "https://example.test:443/"
                                               << "https://example.test:443" << true;
        QTest::newRow("loopback") << "http://127.0.0.1:8123/login"
                                  << "http://127.0.0.1:8123" << true;
        QTest::newRow("loopback, elsewhere in its block") << "http://127.8.0.1/"
                                                          << "http://127.8.0.1:80" << true;
        QTest::newRow("loopback, IPv6") << "http://[::1]:8123/"
                                        << "http://::1:8123" << true;
        QTest::newRow("localhost") << "http://LocalHost:8123/"
                                   << "http://localhost:8123" << true;
        QTest::newRow("a name that starts like loopback")
            << "http://127.0.0.1.evil.test/"
            << "http://127.0.0.1.evil.test:80" << false;
        QTest::newRow("file has none") << "file:///tmp/login.html"
                                       << "" << false;
        QTest::newRow("data has none") << "data:text/html,x"
                                       << "" << false;
    }
    void origin()
    {
        QFETCH(QString, url);
        QFETCH(QString, origin);
        QFETCH(bool, secure);
        QCOMPARE(originOf(QUrl(url)), origin);
        QCOMPARE(isSecureOrigin(QUrl(url)), secure);
    }

    void submission_data()
    {
        QTest::addColumn<QVariantMap>("report");
        QTest::addColumn<bool>("accepted");
        const QVariantMap good { { "origin", "http://127.0.0.1:8123" },
                                 { "userName", "ann" },
                                 { "password", "pw" } };
        QVariantMap otherOrigin = good;
        otherOrigin["origin"] = "http://127.0.0.1:8124";
        QVariantMap noPassword = good;
        noPassword["password"] = "";
        QVariantMap numberName = good;
        numberName["userName"] = 7;
        QVariantMap noUser = good;
        noUser["userName"] = "";
        QTest::newRow("same origin") << good << true;
        QTest::newRow("user name may be empty") << noUser << true;
        QTest::newRow("claims another origin") << otherOrigin << false;
        QTest::newRow("empty password") << noPassword << false;
        QTest::newRow("field of the wrong type") << numberName << false;
    }
    void submission()
    {
        QFETCH(QVariantMap, report);
        QFETCH(bool, accepted);
        const auto read = readSubmission(report, QUrl(QStringLiteral("http://127.0.0.1:8123/in")));
        QCOMPARE(read.has_value(), accepted);
        if (read)
            QCOMPARE(read->password, report.value("password").toString());
    }

    void offer_data()
    {
        QTest::addColumn<bool>("never");
        QTest::addColumn<std::optional<QString>>("stored");
        QTest::addColumn<QString>("submitted");
        QTest::addColumn<SignInRules::Offer>("offer");
        QTest::newRow("new user name") << false << std::optional<QString>() << "pw" << Offer::Save;
        QTest::newRow("same password")
            << false << std::optional<QString>("pw") << "pw" << Offer::Nothing;
        QTest::newRow("new password")
            << false << std::optional<QString>("old") << "pw" << Offer::Update;
        QTest::newRow("never for site")
            << true << std::optional<QString>() << "pw" << Offer::Nothing;
    }
    void offer()
    {
        QFETCH(bool, never);
        QFETCH(std::optional<QString>, stored);
        QFETCH(QString, submitted);
        QFETCH(SignInRules::Offer, offer);
        QCOMPARE(offerFor(never, stored, submitted), offer);
    }

    void fill_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QVariantMap>("fields");
        QTest::addColumn<bool>("passedError");
        QTest::addColumn<SignInRules::Fill>("fill");
        const QVariantMap shown {
            { "topFrame", true }, { "visible", true }, { "enabled", true }, { "action", "" }
        };
        const auto with = [&shown](const char *name, const QVariant &value) {
            QVariantMap fields = shown;
            fields.insert(QLatin1String(name), value);
            return fields;
        };
        const QString loopback = QStringLiteral("http://127.0.0.1:8123/login");
        QTest::newRow("loopback") << loopback << shown << false << Fill::OnLoad;
        QTest::newRow("https") << "https://bank.test/login" << shown << false << Fill::OnLoad;
        QTest::newRow("plain http") << "http://shop.test/login" << shown << false << Fill::OnChoice;
        QTest::newRow("form sends to the same site")
            << loopback << with("action", "http://127.0.0.1:8123/in") << false << Fill::OnLoad;
        QTest::newRow("form sends to another site")
            << loopback << with("action", "http://127.0.0.1:9999/in") << false << Fill::OnChoice;
        QTest::newRow("hidden field") << loopback << with("visible", false) << false << Fill::Never;
        QTest::newRow("disabled field")
            << loopback << with("enabled", false) << false << Fill::Never;
        QTest::newRow("frame") << loopback << with("topFrame", false) << false << Fill::Never;
        QTest::newRow("passed certificate error")
            << "https://bank.test/login" << shown << true << Fill::Never;
    }
    void fill()
    {
        QFETCH(QString, page);
        QFETCH(QVariantMap, fields);
        QFETCH(bool, passedError);
        QFETCH(SignInRules::Fill, fill);
        const QUrl url(page);
        QCOMPARE(fillFor(originOf(url), url, passedError, readLoginFields(fields)), fill);
        // Never on another site, whatever the fields.
        QCOMPARE(fillFor(QStringLiteral("https://other.test:443"), url, passedError,
                         readLoginFields(fields)),
                 Fill::Never);
    }

    // What the page's reports add up to, step by step: "typed USER PASS", "submit USER PASS",
    // "left USER PASS [request]", "leave page|user|form", "wait SECONDS", "load" (a new
    // document); "-" is empty, and "@other" makes the step come from another site.
    void signInsFromReports_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("offered");
        QTest::newRow("submit event")
            << QStringList { "submit ann pw" } << QStringList { "ann:pw" };
        QTest::newRow("form.submit()")
            << QStringList { "typed ann pw", "leave form" } << QStringList { "ann:pw" };
        QTest::newRow("submit event and the navigation it starts")
            << QStringList { "typed ann pw", "submit ann pw", "leave form" }
            << QStringList { "ann:pw" };
        QTest::newRow("navigation seen before the submit event")
            << QStringList { "typed ann pw", "leave form", "submit ann pw" }
            << QStringList { "ann:pw" };
        QTest::newRow("typed, then the page moves on")
            << QStringList { "typed ann pw", "leave page" } << QStringList { "ann:pw" };
        QTest::newRow("typed, then the user goes elsewhere")
            << QStringList { "typed ann pw", "leave user" } << QStringList {};
        QTest::newRow("field left after a request")
            << QStringList { "typed ann pw", "left ann pw request" } << QStringList { "ann:pw" };
        QTest::newRow("field left without a request")
            << QStringList { "typed ann pw", "left ann pw" } << QStringList {};
        QTest::newRow("two steps, sent by the page")
            << QStringList { "typed frank -", "leave page", "submit - pw" }
            << QStringList { "frank:pw" };
        QTest::newRow("two steps, sent by forms")
            << QStringList { "submit frank -", "wait 60", "typed - pw", "leave form" }
            << QStringList { "frank:pw" };
        QTest::newRow("two steps, the user name too old")
            << QStringList { "submit frank -", "wait 301", "submit - pw" } << QStringList { ":pw" };
        QTest::newRow("two steps, the user name from another site")
            << QStringList { "submit@other frank -", "submit - pw" } << QStringList { ":pw" };
        QTest::newRow("the same sign-in again, on a new page")
            << QStringList { "submit ann pw", "load", "submit ann pw" }
            << QStringList { "ann:pw", "ann:pw" };
    }
    void signInsFromReports()
    {
        QFETCH(QStringList, steps);
        QFETCH(QStringList, offered);
        LoginWatch watch;
        qint64 now = 1'000'000;
        int document = 1;
        QStringList got;
        const auto note = [&got](const std::optional<Submission> &signIn) {
            if (signIn)
                got.append(signIn->userName + ':' + signIn->password);
        };
        for (const QString &step : steps) {
            QStringList words = step.split(' ');
            QString verb = words.takeFirst();
            QUrl page(QStringLiteral("http://a.test/login"));
            if (verb.endsWith(QLatin1String("@other"))) {
                verb.chop(6);
                page = QUrl(QStringLiteral("http://b.test/login"));
            }
            for (QString &word : words) {
                if (word == QLatin1String("-"))
                    word.clear();
            }
            if (verb == QLatin1String("load")) {
                ++document;
                continue;
            }
            if (verb == QLatin1String("wait")) {
                now += words.first().toLongLong() * 1000;
                continue;
            }
            if (verb == QLatin1String("leave")) {
                const QString how = words.first();
                note(watch.leaving(how == QLatin1String("page")       ? LoginEnd::PageNavigated
                                       : how == QLatin1String("form") ? LoginEnd::FormSentByScript
                                                                      : LoginEnd::UserNavigated,
                                   page, now));
                continue;
            }
            const QVariantMap report { { "document", QString::number(document) },
                                       { "origin", page.toString() },
                                       { "userName", words.value(0) },
                                       { "password", words.value(1) },
                                       { "how", verb },
                                       { "typedByUser", true },
                                       { "requestSinceTyping", words.value(2) == "request" } };
            if (verb == QLatin1String("typed"))
                watch.typed(report, page);
            else
                note(watch.ended(report, page, now));
        }
        QCOMPARE(got, offered);
    }

    // Against the real store: what survives a reopening, and that no secret is ever asked for.
    void savedList()
    {
        QTemporaryDir dir;
        const QString path = QDir(dir.path()).filePath(QStringLiteral("settings.db"));
        const Entry ann { QStringLiteral("http://a.test:80"), QStringLiteral("ann") };
        const Entry bob { QStringLiteral("http://a.test:80"), QStringLiteral("bob") };
        const Entry cid { QStringLiteral("https://b.test:443"), QStringLiteral("cid") };
        {
            SqliteSettingsStore store(path);
            SavedSignIns saved(store);
            saved.add(cid);
            saved.add(bob);
            saved.add(ann);
            saved.add(ann);
            saved.setNeverFor(QStringLiteral("http://c.test:80"));
        }
        SqliteSettingsStore store(path);
        SavedSignIns saved(store);
        QCOMPARE(saved.all(), (QList<Entry> { ann, bob, cid }));
        QCOMPARE(saved.userNames(QStringLiteral("http://a.test:80")),
                 (QStringList { QStringLiteral("ann"), QStringLiteral("bob") }));
        QCOMPARE(saved.matching(QStringLiteral("B.TE")), QList<Entry> { cid });
        QCOMPARE(saved.matching(QStringLiteral("bo")), QList<Entry> { bob });
        QVERIFY(saved.neverFor(QStringLiteral("http://c.test:80")));
        QVERIFY(!saved.neverFor(QStringLiteral("http://a.test:80")));
        saved.remove(bob);
        QCOMPARE(saved.all(), (QList<Entry> { ann, cid }));
        saved.removeAll();
        QVERIFY(saved.all().isEmpty());
        QVERIFY(saved.neverFor(QStringLiteral("http://c.test:80")));
    }
};

KESTRAV_TEST_GUILESS_MAIN(TestSignIns)
#include "tst_signins.moc"
