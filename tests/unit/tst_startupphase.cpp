// Work deferred until the start page is shown: it waits for it, runs once, in order, and not
// for a context that has gone. One process: the start page is shown once in a program's life.

#include "platform/api/startupphase.h"

#include <QCoreApplication>
#include <QTest>

class tst_StartupPhase : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void workWaitsForTheStartPage();
};

void tst_StartupPhase::workWaitsForTheStartPage()
{
    QStringList ran;
    QObject kept;
    auto *gone = new QObject;
    afterStartPage(&kept, [&] { ran << u"first"_qs; });
    afterStartPage(gone, [&] { ran << u"gone"_qs; });
    afterStartPage(&kept, [&] { ran << u"second"_qs; });
    QCoreApplication::processEvents();
    QVERIFY(ran.isEmpty());

    delete gone;
    startPageShown();
    QVERIFY(ran.isEmpty()); // after the next paint, not inside the page's handler
    QTRY_COMPARE(ran, (QStringList { u"first"_qs, u"second"_qs }));

    // Once shown, new work runs at once; a second start page changes nothing.
    startPageShown();
    afterStartPage(&kept, [&] { ran << u"later"_qs; });
    QTRY_COMPARE(ran, (QStringList { u"first"_qs, u"second"_qs, u"later"_qs }));
}

QTEST_GUILESS_MAIN(tst_StartupPhase)
#include "tst_startupphase.moc"
