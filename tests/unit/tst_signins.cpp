#include "platform/desktop/settings/sqlitesettingsstore.h"
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

class TestSignIns : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void origin_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("origin");
        QTest::newRow("default port written out") << "http://Example.TEST/a?b"
                                                  << "http://example.test:80";
        QTest::newRow("explicit default port") << "https://example.test:443/"
                                               << "https://example.test:443";
        QTest::newRow("other port") << "http://127.0.0.1:8123/login"
                                    << "http://127.0.0.1:8123";
        QTest::newRow("file has none") << "file:///tmp/login.html"
                                       << "";
        QTest::newRow("data has none") << "data:text/html,x"
                                       << "";
    }
    void origin()
    {
        QFETCH(QString, url);
        QFETCH(QString, origin);
        QCOMPARE(originOf(QUrl(url)), origin);
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
        QTest::addColumn<QString>("url");
        QTest::addColumn<bool>("topFrame");
        QTest::addColumn<bool>("passedError");
        QTest::addColumn<bool>("fills");
        QTest::newRow("same origin, other path")
            << "http://127.0.0.1:8123/again" << true << false << true;
        QTest::newRow("other port") << "http://127.0.0.1:8124/" << true << false << false;
        QTest::newRow("other scheme") << "https://127.0.0.1:8123/" << true << false << false;
        QTest::newRow("frame") << "http://127.0.0.1:8123/" << false << false << false;
        QTest::newRow("passed certificate error")
            << "http://127.0.0.1:8123/" << true << true << false;
    }
    void fill()
    {
        QFETCH(QString, url);
        QFETCH(bool, topFrame);
        QFETCH(bool, passedError);
        QFETCH(bool, fills);
        QCOMPARE(mayFill(QStringLiteral("http://127.0.0.1:8123"), QUrl(url), topFrame, passedError),
                 fills);
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
