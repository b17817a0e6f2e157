// The real program started twice on one profile: the second start asks the running copy to
// come forward and ends by itself, without opening the profile; after the first copy is killed
// with SIGKILL, a new start opens at once.

#include "testsupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

constexpr int WaitMs = 60'000;

// A start of the program, whose log lines are kept as they come.
class Start
{
public:
    explicit Start(const QTemporaryDir &home)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const auto &[name, folder] : { std::pair { "HOME", "" },
                                            { "XDG_CONFIG_HOME", "config" },
                                            { "XDG_DATA_HOME", "data" },
                                            { "XDG_CACHE_HOME", "cache" },
                                            { "XDG_RUNTIME_DIR", "runtime" } })
            environment.insert(QString::fromLatin1(name),
                               home.filePath(QString::fromLatin1(folder)));
        environment.insert(u"QT_LOGGING_RULES"_s,
                           u"qt.webenginecontext.debug=false;kestrav.startup.info=true;"
                           "kestrav.instance.info=true"_s);
        process.setProcessEnvironment(environment);
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(QStringLiteral(KESTRAV_PROGRAM), QStringList());
    }

    // Waits for a line that contains text, or for the program's end.
    bool waitForLine(const QString &text)
    {
        return QTest::qWaitFor(
                   [&] {
                       read();
                       return log.contains(text) || process.state() == QProcess::NotRunning;
                   },
                   WaitMs)
            && log.contains(text);
    }

    // The milliseconds since load of a start-up mark, or -1.
    double mark(const QString &name)
    {
        read();
        const QRegularExpression line(u"kestrav.startup: "_s + QRegularExpression::escape(name)
                                      + u" ([0-9.]+)"_s);
        const QRegularExpressionMatch found = line.match(log);
        return found.hasMatch() ? found.captured(1).toDouble() : -1;
    }

    void read() { log += QString::fromUtf8(process.readAll()); }

    QProcess process;
    QString log;
};

// The process ids that the lock files in the runtime folder name; a released lock names none.
QStringList lockHolders(const QTemporaryDir &home)
{
    const QDir runtime(home.filePath(u"runtime"_s));
    QStringList holders;
    for (const QString &name : runtime.entryList({ u"*.lock"_s }, QDir::Files)) {
        const QByteArray holder = readAll(runtime.filePath(name)).trimmed();
        if (!holder.isEmpty())
            holders.append(QString::fromLatin1(holder));
    }
    return holders;
}

} // namespace

class tst_SecondStart : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void secondStartHandsOver();
};

void tst_SecondStart::secondStartHandsOver()
{
    QTemporaryDir home;
    QVERIFY(home.isValid());
    QVERIFY(QDir(home.path()).mkpath(u"runtime"_s));
    QFile::setPermissions(home.filePath(u"runtime"_s),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    Start first(home);
    QVERIFY2(first.waitForLine(u"Kestrav start page"_s), qPrintable(first.log));
    const QString firstId = QString::number(first.process.processId());
    QCOMPARE(lockHolders(home), QStringList { firstId });

    QElapsedTimer took;
    took.start();
    Start second(home);
    QVERIFY(second.process.waitForFinished(WaitMs));
    qInfo("the second start ended after %lld ms", took.elapsed());
    second.read();
    QCOMPARE(second.process.exitStatus(), QProcess::NormalExit);
    QVERIFY2(second.process.exitCode() == 0, qPrintable(second.log));
    // It ended before anything of the profile was opened.
    QVERIFY(second.mark(u"application"_s) >= 0);
    QCOMPARE(second.mark(u"one copy per profile"_s), -1.0);
    QVERIFY2(first.waitForLine(u"another start asked this copy to come forward"_s),
             qPrintable(first.log));
    QCOMPARE(first.process.state(), QProcess::Running);
    QCOMPARE(lockHolders(home), QStringList { firstId });

    // Killed, the first copy leaves its lock: the next start takes it over at once.
    first.process.kill();
    QVERIFY(first.process.waitForFinished(WaitMs));
    Start third(home);
    QVERIFY2(third.waitForLine(u"kestrav.startup: frame"_s), qPrintable(third.log));
    const double checked = third.mark(u"one copy per profile"_s) - third.mark(u"application"_s);
    qInfo("the start after a killed copy took %.1f ms to take the profile", checked);
    QVERIFY2(checked >= 0 && checked < 1000, qPrintable(third.log));
    QCOMPARE(lockHolders(home), QStringList { QString::number(third.process.processId()) });

    // Ended as the session ends it, it lets go of the profile.
    third.process.terminate();
    QVERIFY(third.process.waitForFinished(WaitMs));
    QCOMPARE(third.process.exitCode(), 0);
    QCOMPARE(lockHolders(home), QStringList());
}

KESTRAV_TEST_GUILESS_MAIN(tst_SecondStart)
#include "tst_secondstart.moc"
