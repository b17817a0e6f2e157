#include "fakekeyring.h"
#include "platform/desktop/keyring/secretservicekeyring.h"
#include "privatekeyring.h"
#include "testsupport.h"

#include <QDBusInterface>
#include <QDBusObjectPath>
#include <QRandomGenerator>
#include <QtTest>

namespace {

// The answer of one call, waited for.
Keyring::Answer wait(const std::function<void(Keyring::Done)> &call)
{
    std::optional<Keyring::Answer> answer;
    call([&answer](const Keyring::Answer &a) { answer = a; });
    if (!QTest::qWaitFor([&answer] { return answer.has_value(); }, 30000))
        return { false, false, {}, QStringLiteral("no answer") };
    return *answer;
}

} // namespace

class TestSecretServiceKeyring : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_private.startBus()); }

    void withoutSecretService()
    {
        SecretServiceKeyring keyring(QStringLiteral("Kestrav test"));
        const QString secret = QStringLiteral("nowhere-%1").arg(QCoreApplication::applicationPid());
        const Keyring::Answer stored = wait([&](Keyring::Done done) {
            keyring.store(QStringLiteral("http://a.test:80 ann"), secret, std::move(done));
        });
        QVERIFY(!stored.ok);
        QVERIFY(!stored.error.isEmpty());
        QCOMPARE(filesHolding(secret), QStringList());
    }

    void storeReadUpdateRemove_data()
    {
        QTest::addColumn<QString>("key");
        QTest::newRow("plain") << QStringLiteral("http://127.0.0.1:8123 ann");
        QTest::newRow("empty user name") << QStringLiteral("https://b.test:443 ");
    }
    void storeReadUpdateRemove()
    {
        QFETCH(QString, key);
        QVERIFY(m_private.startKeyring());
        SecretServiceKeyring keyring(QStringLiteral("Kestrav test"));
        SecretServiceKeyring again(QStringLiteral("Kestrav test"));
        checkContract(keyring, again, key);
    }

    // The test double keeps the same contract, so window tests cannot rely on more.
    void fakeKeepsTheContract()
    {
        FakeKeyring keyring;
        checkContract(keyring, keyring, QStringLiteral("http://a.test:80 ann"));
        keyring.available = false;
        const Keyring::Answer refused = wait([&](Keyring::Done d) {
            keyring.store(QStringLiteral("k"), QStringLiteral("s"), std::move(d));
        });
        QVERIFY(!refused.ok && !refused.error.isEmpty());
    }

    // Last: the test's keyring stays locked after it.
    void lockedKeyringIsNotOpenedWithoutTheUser()
    {
        QVERIFY(m_private.startKeyring());
        SecretServiceKeyring keyring(QStringLiteral("Kestrav test"));
        checkLocking(keyring, [] {
            QDBusInterface service(QStringLiteral("org.freedesktop.secrets"),
                                   QStringLiteral("/org/freedesktop/secrets"),
                                   QStringLiteral("org.freedesktop.Secret.Service"));
            const QDBusObjectPath login(
                QStringLiteral("/org/freedesktop/secrets/collection/login"));
            const QDBusMessage reply
                = service.call(QStringLiteral("Lock"), QVariant::fromValue(QList { login }));
            QCOMPARE(reply.type(), QDBusMessage::ReplyMessage);
        });
        FakeKeyring fake;
        fake.unlockAgreed = false;
        checkLocking(fake, [&fake] { fake.locked = true; });
    }

private:
    // Checking never asks; a keyring the user does not unlock (the test's bus has no prompt to
    // answer) stays locked and keeps what it is given nowhere.
    void checkLocking(Keyring &keyring, const std::function<void()> &lock)
    {
        Keyring::Answer answer = wait([&](Keyring::Done d) { keyring.check(std::move(d)); });
        QVERIFY2(answer.ok && !answer.locked, qPrintable(answer.error));
        lock();
        answer = wait([&](Keyring::Done d) { keyring.check(std::move(d)); });
        QVERIFY2(answer.ok && answer.locked, qPrintable(answer.error));
        answer = wait([&](Keyring::Done d) { keyring.unlock(std::move(d)); });
        QVERIFY(!answer.ok && answer.locked);
        const QString secret
            = QStringLiteral("locked-%1").arg(QRandomGenerator::global()->generate());
        answer = wait([&](Keyring::Done d) {
            keyring.store(QStringLiteral("http://a.test:80 ann"), secret, std::move(d));
        });
        QVERIFY(!answer.ok);
        QCOMPARE(filesHolding(secret), QStringList());
        answer = wait([&](Keyring::Done d) { keyring.check(std::move(d)); });
        QVERIFY(answer.ok && answer.locked);
    }

    // Store, overwrite, read from another instance (as after a restart), remove.
    void checkContract(Keyring &keyring, Keyring &again, const QString &key)
    {
        const QString first
            = QStringLiteral("first-%1").arg(QRandomGenerator::global()->generate());
        const QString second
            = QStringLiteral("second-%1").arg(QRandomGenerator::global()->generate());
        Keyring::Answer answer = wait([&](Keyring::Done d) { keyring.read(key, std::move(d)); });
        QVERIFY(answer.missing);
        answer = wait([&](Keyring::Done d) { keyring.store(key, first, std::move(d)); });
        QVERIFY2(answer.ok, qPrintable(answer.error));
        answer = wait([&](Keyring::Done d) { keyring.store(key, second, std::move(d)); });
        QVERIFY2(answer.ok, qPrintable(answer.error));
        answer = wait([&](Keyring::Done d) { again.read(key, std::move(d)); });
        QVERIFY2(answer.ok, qPrintable(answer.error));
        QCOMPARE(answer.secret, second);
        QCOMPARE(filesHolding(first) + filesHolding(second), QStringList());

        answer = wait([&](Keyring::Done d) { keyring.remove(key, std::move(d)); });
        QVERIFY2(answer.ok, qPrintable(answer.error));
        answer = wait([&](Keyring::Done d) { keyring.read(key, std::move(d)); });
        QVERIFY(answer.missing);
    }

    // The keyring daemon joins the bus only after the first test.
    PrivateKeyring m_private;
};

KESTRAV_TEST_GUILESS_MAIN(TestSecretServiceKeyring)
#include "tst_secretservicekeyring.moc"
