// When a page counts as hung: a navigation unstarted or a probe unanswered for ten seconds,
// never while the page is printed, and with the time paused not counted.

#include "hangwatch.h"

#include <QTest>

class tst_HangWatch : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void hungAfterTenSecondsOfSilence_data();
    void hungAfterTenSecondsOfSilence();
};

void tst_HangWatch::hungAfterTenSecondsOfSilence_data()
{
    // Each step is "<ms> <event>"; "hung" and "fine" check the watch at that moment.
    QTest::addColumn<QStringList>("steps");
    QTest::newRow("navigation that never starts")
        << QStringList { "0 navigation", "9999 fine", "10000 hung" };
    QTest::newRow("a second ask keeps the first time")
        << QStringList { "0 navigation", "5000 navigation", "10000 hung" };
    QTest::newRow("probe answered in time")
        << QStringList { "0 probe", "9000 answer", "20000 fine" };
    QTest::newRow("probe never answered") << QStringList { "0 probe", "10000 hung" };
    QTest::newRow("the page moved on")
        << QStringList { "0 navigation", "0 probe", "3000 moved", "30000 fine" };
    QTest::newRow("told to wait: ten seconds more")
        << QStringList { "0 probe", "10000 hung", "10000 wait", "19999 fine", "20000 hung" };
    QTest::newRow("printing: never hung") << QStringList { "0 probe", "1000 pause", "60000 fine" };
    // The page may still be busy with its layout: it gets its whole time again.
    QTest::newRow("printing over: the time starts again")
        << QStringList { "0 probe", "9000 pause", "30000 resume", "39999 fine", "40000 hung" };
    QTest::newRow("a preview and its layout at once")
        << QStringList { "0 probe",    "0 pause",      "0 pause",    "20000 resume",
                         "40000 fine", "40000 resume", "49999 fine", "50000 hung" };
    QTest::newRow("a resume too many changes nothing")
        << QStringList { "0 probe", "0 resume", "10000 hung" };
}

void tst_HangWatch::hungAfterTenSecondsOfSilence()
{
    QFETCH(QStringList, steps);
    qint64 now = 0;
    HangWatch watch([&now] { return now; });
    for (const QString &step : steps) {
        const QStringList parts = step.split(u' ');
        now = parts.at(0).toLongLong();
        const QString event = parts.at(1);
        if (event == u"navigation")
            watch.navigationAsked();
        else if (event == u"probe")
            watch.probeSent();
        else if (event == u"answer")
            watch.probeAnswered();
        else if (event == u"moved")
            watch.stopWaiting();
        else if (event == u"wait")
            watch.waitAgain();
        else if (event == u"pause")
            watch.pause();
        else if (event == u"resume")
            watch.resume();
        else
            QVERIFY2(watch.isHung() == (event == u"hung"), qPrintable(step));
    }
}

QTEST_GUILESS_MAIN(tst_HangWatch)
#include "tst_hangwatch.moc"
