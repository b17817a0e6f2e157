#include "fakekeyring.h"
#include "platform/desktop/keyring/secretservicekeyring.h"
#include "testsupport.h"

#include <QDirIterator>
#include <QProcess>
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

// Files under the test's home that hold the text, in UTF-8 or UTF-16.
QStringList filesHolding(const QString &text)
{
    QStringList found;
    QDirIterator files(qEnvironmentVariable("HOME"), QDir::Files | QDir::Hidden | QDir::System,
                       QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString path = files.next();
        const QByteArray bytes = readAll(path);
        const QByteArray wide(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
        if (bytes.contains(text.toUtf8()) || bytes.contains(wide))
            found.append(path);
    }
    return found;
}

} // namespace

class TestSecretServiceKeyring : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A session bus of the test's own, which starts no service by itself: the keyring daemon
    // joins it only after the first test.
    void initTestCase()
    {
        const QString config = qEnvironmentVariable("HOME") + "/bus.conf";
        QVERIFY(writeAll(config,
                         "<busconfig><type>session</type><listen>unix:tmpdir=/tmp</listen>"
                         "<auth>EXTERNAL</auth><policy context=\"default\">"
                         "<allow send_destination=\"*\" eavesdrop=\"true\"/>"
                         "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>"));
        m_bus.setProgram(QStringLiteral("dbus-daemon"));
        m_bus.setArguments({ QStringLiteral("--config-file=") + config, QStringLiteral("--nofork"),
                             QStringLiteral("--print-address=1") });
        m_bus.start();
        QVERIFY2(m_bus.waitForStarted(), "dbus-daemon did not start");
        QVERIFY(QTest::qWaitFor([this] { return m_bus.canReadLine(); }, 10000));
        const QByteArray address = m_bus.readLine().trimmed();
        QVERIFY(!address.isEmpty());
        qputenv("DBUS_SESSION_BUS_ADDRESS", address);
    }

    void cleanupTestCase()
    {
        // The keyring daemon leaves with the bus it belongs to.
        m_bus.terminate();
        m_bus.waitForFinished(5000);
    }

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
        startKeyring();
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

private:
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
    void startKeyring()
    {
        if (m_keyringStarted)
            return;
        QProcess daemon;
        daemon.start(QStringLiteral("gnome-keyring-daemon"),
                     { QStringLiteral("--unlock"), QStringLiteral("--components=secrets") });
        QVERIFY(daemon.waitForStarted());
        daemon.write("test-keyring-password");
        daemon.closeWriteChannel();
        QVERIFY(daemon.waitForFinished(20000));
        QCOMPARE(daemon.exitCode(), 0);
        // The daemon makes the fresh keyring after it has answered; the file shows it is there.
        const QString file = qEnvironmentVariable("XDG_DATA_HOME") + "/keyrings/login.keyring";
        QVERIFY(QTest::qWaitFor([&file] { return QFile::exists(file); }, 20000));
        m_keyringStarted = true;
    }

    QProcess m_bus;
    bool m_keyringStarted = false;
};

KESTRAV_TEST_GUILESS_MAIN(TestSecretServiceKeyring)
#include "tst_secretservicekeyring.moc"
