#include "platform/api/failure.h"
#include "platform/api/platform.h"
#include "testplatform.h"
#include "testsupport.h"

#include <functional>

using Clear = std::function<void(Platform &)>;
Q_DECLARE_METATYPE(Clear)

class tst_Platform : public QObject
{
    Q_OBJECT

private slots:
    void missingServicesNamed_data();
    void missingServicesNamed();
    void skippedFailuresLogged();
};

void tst_Platform::missingServicesNamed_data()
{
    QTest::addColumn<Clear>("clear");
    QTest::addColumn<QStringList>("missing");
    QTest::newRow("complete") << Clear([](Platform &) {}) << QStringList();
    QTest::newRow("web control") << Clear([](Platform &p) { p.createWebBrowserControl = {}; })
                                 << QStringList { "web browser control" };
    QTest::newRow("two services") << Clear([](Platform &p) {
        p.settings.reset();
        p.questions.reset();
    }) << QStringList { "settings store", "user questions" };
    QTest::newRow("keyring") << Clear([](Platform &p) { p.keyring.reset(); })
                             << QStringList { "keyring" };
}

void tst_Platform::missingServicesNamed()
{
    QFETCH(Clear, clear);
    QFETCH(QStringList, missing);
    const TestSandbox sandbox;
    TestPlatform doubles(sandbox.programFolder());
    clear(doubles.platform);
    QCOMPARE(doubles.platform.missingServices(), missing);
    QCOMPARE(Platform().missingServices().size(), 18);
}

static QStringList logged;

void tst_Platform::skippedFailuresLogged()
{
    // Off by default: a skipped failure says nothing unless asked to.
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext &context, const QString &message) {
            logged.append(QString::fromLatin1(context.category) + u' ' + message);
        });
    const auto failingStep
        = [] { throw PlatformError(75, QStringLiteral("Path/File access error")); };
    QVERIFY(!Failure::skip(failingStep));
    QCOMPARE(logged, QStringList());

    QLoggingCategory::setFilterRules(QStringLiteral("kestrav.skipped.debug=true"));
    QVERIFY(!Failure::skip(failingStep));
    QVERIFY(Failure::skip([] {}));
    QLoggingCategory::setFilterRules(QString());
    qInstallMessageHandler(previous);
    QCOMPARE(logged, QStringList { "kestrav.skipped 75 Path/File access error" });
}

KESTRAV_TEST_MAIN(tst_Platform)
#include "tst_platform.moc"
