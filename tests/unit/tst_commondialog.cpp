#include "platform/api/platformerror.h"
#include "platform/desktop/dialogs/desktopcommondialog.h"
#include "testsupport.h"

#include <functional>
#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintDialog>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

// Plays the user: answers the next modal dialog that opens, unless context goes first.
void whenDialogOpens(QObject *context, const std::function<void(QDialog *)> &answer)
{
    auto *poll = new QTimer(context);
    QObject::connect(poll, &QTimer::timeout, [poll, answer] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        poll->deleteLater();
        // An answer that the dialog does not take fails the test instead of hanging it.
        QTimer::singleShot(5000, dialog, [dialog] {
            if (!dialog->isVisible())
                return;
            qWarning("The dialog ignored the answer.");
            dialog->reject();
        });
        answer(dialog);
    });
    poll->start(10);
}

} // namespace

class tst_CommonDialog : public QObject
{
    Q_OBJECT

private slots:
    void dialogs_data();
    void dialogs();
};

void tst_CommonDialog::dialogs_data()
{
    QTest::addColumn<bool>("printer"); // else save
    QTest::addColumn<int>("flags");
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("cancelError");
    QTest::addColumn<bool>("confirm");
    QTest::addColumn<QString>("shownTitle");
    QTest::addColumn<bool>("offered"); // printer: Pages chosen; save: asks before replacing
    QTest::addColumn<int>("failure");
    QTest::addColumn<bool>("printerReturned");

    const int cancel = ErrorCode::CommonDialogCancel;
    QTest::newRow("printer, Pages chosen")
        << true << 258 << u"Print"_s << true << true << u"Print"_s << true << 0 << true;
    QTest::newRow("printer, no printer asked for")
        << true << 0 << u"Drucken"_s << true << true << u"Drucken"_s << false << 0 << false;
    QTest::newRow("printer cancelled")
        << true << 258 << u"Print"_s << true << false << u"Print"_s << true << cancel << false;
    QTest::newRow("printer cancelled quietly")
        << true << 258 << u"Print"_s << false << false << u"Print"_s << true << 0 << false;
    QTest::newRow("save, title left by the printer")
        << false << 2 << u"Print"_s << false << true << u"Save As"_s << true << 0 << true;
    QTest::newRow("save without asking")
        << false << 0 << u"Export"_s << false << true << u"Export"_s << false << 0 << true;
    QTest::newRow("save cancelled")
        << false << 2 << u"Print"_s << true << false << u"Save As"_s << false << cancel << true;
    QTest::newRow("save cancelled quietly")
        << false << 2 << u"Print"_s << false << false << u"Save As"_s << false << 0 << true;
}

void tst_CommonDialog::dialogs()
{
    QFETCH(bool, printer);
    QFETCH(int, flags);
    QFETCH(QString, title);
    QFETCH(bool, cancelError);
    QFETCH(bool, confirm);
    QFETCH(QString, shownTitle);
    QFETCH(bool, offered);
    QFETCH(int, failure);
    QFETCH(bool, printerReturned);

    QTemporaryDir folder;
    const QString existing = folder.filePath(u"existing.txt"_s);
    QVERIFY(QFile(existing).open(QIODevice::WriteOnly));
    QObject answers;
    DesktopCommonDialog dialog;
    // A printer chosen earlier, to be replaced by a later printer dialog.
    dialog.DialogTitle = u"Print"_s;
    dialog.Flags = 258;
    whenDialogOpens(&answers, [&](QDialog *shown) {
        shown->findChild<QLineEdit *>(u"filename"_s)->setText(folder.filePath(u"a.pdf"_s));
        shown->accept();
    });
    dialog.ShowPrinter();

    dialog.Flags = flags;
    dialog.DialogTitle = title;
    dialog.CancelError = cancelError;
    dialog.FileName = u"kept"_s;
    QString seenTitle;
    bool seenOffer = false;
    whenDialogOpens(&answers, [&](QDialog *shown) {
        seenTitle = shown->windowTitle();
        if (auto *printDialog = qobject_cast<QPrintDialog *>(shown))
            seenOffer = printDialog->printRange() == QAbstractPrintDialog::PageRange;
        if (!confirm) {
            shown->reject();
            return;
        }
        if (auto *name = shown->findChild<QLineEdit *>(u"fileNameEdit"_s)) {
            name->setText(existing); // typed: selectFile leaves a focused box alone
            whenDialogOpens(&answers, [&](QDialog *question) {
                seenOffer = true;
                qobject_cast<QMessageBox *>(question)->button(QMessageBox::Yes)->click();
            });
        }
        shown->accept();
    });
    QCOMPARE(failureNumber([&] { printer ? dialog.ShowPrinter() : dialog.ShowSave(); }), failure);
    QCOMPARE(seenTitle, shownTitle);
    QCOMPARE(seenOffer, offered);
    QCOMPARE(dialog.FileName, !printer && confirm ? existing : u"kept"_s);
    QCOMPARE(failureNumber([&] { dialog.hDC(); }) == 0, printerReturned);
}

KESTRAV_TEST_MAIN(tst_CommonDialog)
#include "tst_commondialog.moc"
