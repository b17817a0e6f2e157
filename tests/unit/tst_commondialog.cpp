#include "desktopcommondialog.h"
#include "platformerror.h"
#include "scriptedcommondialog.h"
#include "testsupport.h"

#include <functional>
#include <optional>
#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QTimer>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

// Plays the user of the real dialogs: answers the next modal dialog that opens, unless
// context goes first.
void whenDialogOpens(QObject *context, const std::function<void(QDialog *)> &answer)
{
    auto *poll = new QTimer(context);
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, [poll, answer] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        poll->stop();
        poll->deleteLater();
        // An answer that the dialog does not take fails the test instead of hanging it.
        QTimer::singleShot(5000, dialog, [dialog] {
            if (!dialog->isVisible())
                return;
            qWarning("The dialog did not close on the answer; closing it.");
            dialog->reject();
        });
        answer(dialog);
    });
    poll->start();
}

// The answer of a user who confirms with the given file, or cancels.
void confirmOrCancel(QDialog *dialog, bool confirm, const QString &path)
{
    if (!confirm) {
        dialog->reject();
        return;
    }
    // Typed into the name box: QFileDialog::selectFile leaves a box that has the focus alone.
    if (auto *name = dialog->findChild<QLineEdit *>(u"fileNameEdit"_s)) {
        name->setText(path);
    } else if (auto *fileName = dialog->findChild<QLineEdit *>(u"filename"_s)) {
        fileName->setText(path); // printing to a PDF file where no printer is installed
    }
    dialog->accept();
}

// A dialog to test, and a way to make its next dialog end as a user would.
struct Subject
{
    std::shared_ptr<CommonDialog> dialog;
    std::function<void(bool confirm, const QString &path)> userWill;
};

Subject subject(QObject *context, const QString &kind, const QString &pdfPath)
{
    if (kind == "scripted"_L1) {
        auto scripted = std::make_shared<ScriptedCommonDialog>(pdfPath);
        return { scripted, [scripted](bool confirm, const QString &path) {
                    scripted->cancel = !confirm;
                    scripted->path = path;
                } };
    }
    return { std::make_shared<DesktopCommonDialog>(), [context](bool confirm, const QString &path) {
                whenDialogOpens(context,
                                [=](QDialog *dialog) { confirmOrCancel(dialog, confirm, path); });
            } };
}

std::optional<int> failureOf(const std::function<void()> &step)
{
    try {
        step();
    } catch (const PlatformError &error) {
        return error.number();
    }
    return std::nullopt;
}

} // namespace

class tst_CommonDialog : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void contract_data();
    void contract();
    void printerDialogAsTheFlagsSay_data();
    void printerDialogAsTheFlagsSay();
    void saveDialogTitle_data();
    void saveDialogTitle();
    void overwriteAsksOnlyWithItsFlag_data();
    void overwriteAsksOnlyWithItsFlag();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_CommonDialog::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

// The real dialog and the tests' double behave alike.
void tst_CommonDialog::contract_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("printer"); // else save
    QTest::addColumn<int>("flags");
    QTest::addColumn<bool>("cancelError");
    QTest::addColumn<bool>("confirm");
    QTest::addColumn<int>("failure"); // 0: none
    QTest::addColumn<bool>("printerReturned");

    constexpr int cancel = ErrorCode::CommonDialogCancel;
    for (const char *kind : { "desktop", "scripted" }) {
        const auto row = [kind](const char *name) -> QTestData & {
            return QTest::addRow("%s: %s", kind, name) << QString::fromLatin1(kind);
        };
        row("printer confirmed") << true << 258 << true << true << 0 << true;
        row("printer confirmed, no printer asked for") << true << 2 << true << true << 0 << false;
        row("printer cancelled, cancel is an error")
            << true << 258 << true << false << cancel << false;
        row("printer cancelled quietly") << true << 258 << false << false << 0 << false;
        row("save confirmed") << false << 2 << false << true << 0 << true;
        row("save cancelled, cancel is an error") << false << 2 << true << false << cancel << true;
        row("save cancelled quietly") << false << 2 << false << false << 0 << true;
    }
}

void tst_CommonDialog::contract()
{
    QFETCH(QString, kind);
    QFETCH(bool, printer);
    QFETCH(int, flags);
    QFETCH(bool, cancelError);
    QFETCH(bool, confirm);
    QFETCH(int, failure);
    QFETCH(bool, printerReturned);

    Subject test = subject(this, kind, m_dir->filePath(u"scripted.pdf"_s));
    CommonDialog &dialog = *test.dialog;
    // A printer chosen before: what the dialog under test does replaces it, or keeps it.
    dialog.Flags = 258;
    test.userWill(true, m_dir->filePath(u"first.pdf"_s));
    dialog.ShowPrinter();
    QVERIFY_THROWS_NO_EXCEPTION(dialog.hDC());

    dialog.Flags = flags;
    dialog.CancelError = cancelError;
    dialog.FileName = u"kept"_s;
    const QString chosen = m_dir->filePath(u"chosen.txt"_s);
    test.userWill(confirm, chosen);
    const auto failed = failureOf([&] { printer ? dialog.ShowPrinter() : dialog.ShowSave(); });
    QCOMPARE(failed.value_or(0), failure);
    QCOMPARE(!failureOf([&] { dialog.hDC(); }), printerReturned);
    QCOMPARE(dialog.FileName, !printer && confirm ? chosen : u"kept"_s);
    QVERIFY(!QFile::exists(chosen));
}

void tst_CommonDialog::printerDialogAsTheFlagsSay_data()
{
    QTest::addColumn<int>("flags");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("shownTitle");
    QTest::addColumn<bool>("pagesChosen");
    QTest::newRow("page range option") << 258 << u"Print"_s << u"Print"_s << true;
    QTest::newRow("all pages") << 256 << u"Drucken"_s << u"Drucken"_s << false;
    QTest::newRow("no title set") << 258 << QString() << u"Print"_s << true;
}

void tst_CommonDialog::printerDialogAsTheFlagsSay()
{
    QFETCH(int, flags);
    QFETCH(QString, title);
    QFETCH(QString, shownTitle);
    QFETCH(bool, pagesChosen);

    DesktopCommonDialog dialog;
    dialog.Flags = flags;
    dialog.DialogTitle = title;
    QString seenTitle;
    std::optional<QAbstractPrintDialog::PrintRange> seenRange;
    bool offersSelection = true;
    whenDialogOpens(this, [&](QDialog *shown) {
        auto *printDialog = qobject_cast<QPrintDialog *>(shown);
        if (printDialog) {
            seenTitle = printDialog->windowTitle();
            seenRange = printDialog->printRange();
            offersSelection = printDialog->testOption(QAbstractPrintDialog::PrintSelection)
                || printDialog->testOption(QAbstractPrintDialog::PrintCurrentPage);
        }
        shown->reject();
    });
    dialog.ShowPrinter();
    QVERIFY(seenRange);
    QCOMPARE(seenTitle, shownTitle);
    QCOMPARE(*seenRange == QAbstractPrintDialog::PageRange, pagesChosen);
    // What is printed, the selection or all, is the caller's business.
    QVERIFY(!offersSelection);
}

void tst_CommonDialog::saveDialogTitle_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("shownTitle");
    QTest::newRow("left by the printer dialog") << u"Print"_s << u"Save As"_s;
    QTest::newRow("none") << QString() << u"Save As"_s;
    QTest::newRow("set for the save") << u"Export page"_s << u"Export page"_s;
}

void tst_CommonDialog::saveDialogTitle()
{
    QFETCH(QString, title);
    QFETCH(QString, shownTitle);

    DesktopCommonDialog dialog;
    dialog.DialogTitle = u"Print"_s;
    whenDialogOpens(this, [](QDialog *shown) { shown->reject(); });
    dialog.ShowPrinter();

    dialog.DialogTitle = title;
    QString seen;
    whenDialogOpens(this, [&](QDialog *shown) {
        seen = shown->windowTitle();
        shown->reject();
    });
    dialog.ShowSave();
    QCOMPARE(seen, shownTitle);
}

void tst_CommonDialog::overwriteAsksOnlyWithItsFlag_data()
{
    QTest::addColumn<int>("flags");
    QTest::addColumn<bool>("asks");
    QTest::newRow("flag 2") << 2 << true;
    QTest::newRow("no flags") << 0 << false;
}

void tst_CommonDialog::overwriteAsksOnlyWithItsFlag()
{
    QFETCH(int, flags);
    QFETCH(bool, asks);

    const QString existing = m_dir->filePath(u"existing.txt"_s);
    QFile file(existing);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();

    DesktopCommonDialog dialog;
    dialog.Flags = flags;
    bool asked = false;
    QObject questionAnswer; // none is wanted when the dialog does not ask
    whenDialogOpens(this, [&](QDialog *shown) {
        whenDialogOpens(&questionAnswer, [&](QDialog *question) {
            asked = qobject_cast<QMessageBox *>(question) != nullptr;
            if (auto *box = qobject_cast<QMessageBox *>(question))
                box->button(QMessageBox::Yes)->click();
        });
        confirmOrCancel(shown, true, existing);
    });
    dialog.ShowSave();
    QCOMPARE(dialog.FileName, existing);
    QCOMPARE(asked, asks);
}

KESTRAV_TEST_MAIN(tst_CommonDialog)
#include "tst_commondialog.moc"
