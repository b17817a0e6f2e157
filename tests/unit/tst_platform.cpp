#include "platform.h"
#include "platformerror.h"
#include "testsupport.h"
#include "unavailableservices.h"

#include <functional>

using Call = std::function<void(Platform &)>;
Q_DECLARE_METATYPE(Call)

// A platform that nobody filled in holds no null service: each answers with an error that
// the error box can show.
class tst_Platform : public QObject
{
    Q_OBJECT

private slots:
    void unavailableServicesFail_data();
    void unavailableServicesFail();
};

void tst_Platform::unavailableServicesFail_data()
{
    QTest::addColumn<Call>("call");
    QTest::newRow("web control") << Call([](Platform &p) { p.createWebBrowserControl(nullptr); });
    QTest::newRow("text area") << Call([](Platform &p) { p.createRichTextArea(nullptr); });
    QTest::newRow("transfer") << Call([](Platform &p) { p.createInternetTransfer(); });
    QTest::newRow("printer dialog") << Call([](Platform &p) { p.commonDialog->ShowPrinter(); });
    QTest::newRow("save dialog") << Call([](Platform &p) { p.commonDialog->ShowSave(); });
    QTest::newRow("settings") << Call([](Platform &p) {
        p.settings->SaveSetting(QStringLiteral("a"), QStringLiteral("s"), QStringLiteral("k"),
                                QStringLiteral("v"));
    });
    QTest::newRow("clipboard") << Call([](Platform &p) { p.clipboard->GetFormat(2); });
    QTest::newRow("picture writer")
        << Call([](Platform &p) { p.pictureWriter->SavePicture(QImage(), QStringLiteral("x")); });
    QTest::newRow("keyboard") << Call([](Platform &p) { p.keyboard->keybd_event(18, 0, 0, 0); });
    QTest::newRow("mail") << Call([](Platform &p) { p.mail->CreateObject(QString()); });
    QTest::newRow("message box") << Call([](Platform &p) { p.messageBox->MsgBox(QString()); });
    QTest::newRow("program folder") << Call([](Platform &p) { p.app->Path(); });
}

void tst_Platform::unavailableServicesFail()
{
    QFETCH(Call, call);
    Platform platform;
    try {
        call(platform);
        QFAIL("the call succeeded");
    } catch (const PlatformError &error) {
        QCOMPARE(error.number(), ErrorCode::CannotCreateObject);
        QVERIFY(error.description().contains(QStringLiteral("not available")));
    }
}

KESTRAV_TEST_GUILESS_MAIN(tst_Platform)
#include "tst_platform.moc"
