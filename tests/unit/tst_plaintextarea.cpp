#include "platform/api/platformerror.h"
#include "platform/api/shownlimits.h"
#include "platform/desktop/text/plaintextarea.h"
#include "testsupport.h"

#include <QDir>
#include <QPrinter>
#include <QProcess>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

class tst_PlainTextArea : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void textIsHeldAsPlainText_data();
    void textIsHeldAsPlainText();
    void saveFileWritesCrLfInSystemEncoding();
    void saveFileInFolderThatTakesNoNewFile();
    void selPrintPrintsSelectionOrAll_data();
    void selPrintPrintsSelectionOrAll();
    void failuresRaisePlatformError();
    void contentOverTheBoundsIsRefused_data();
    void contentOverTheBoundsIsRefused();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_PlainTextArea::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void tst_PlainTextArea::textIsHeldAsPlainText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected"); // as Text reads it back
    auto same = [](const char *name, const QString &text) { QTest::newRow(name) << text << text; };
    same("RTF", u"{\\rtf1\\ansi{\\fonttbl\\f0 Arial;}\\b hello\\b0\\par}"_s);
    same("HTML", u"<!DOCTYPE html><html><body><p>Hi &amp; &lt;</p><br></body></html>"_s);
    same("no-break space, tab, non-ASCII", u"a\u00A0b\tZürich – 東京"_s);
    QTest::newRow("line ends") << u"1\r\n2\n3\r4\n\r5\n"_s << u"1\r\n2\r\n3\r\n4\r\n\r\n5\r\n"_s;
    // The source view fills a long text in pieces of 256 Ki characters.
    const QString lead(256 * 1024 - 1, u'a');
    QTest::newRow("CR LF across a piece's end") << lead + u"\r\nb\rc"_s << lead + u"\r\nb\r\nc"_s;
    QTest::newRow("many pieces") << u"line\n"_s.repeated(200'000) + u"end"_s
                                 << u"line\r\n"_s.repeated(200'000) + u"end"_s;
}

void tst_PlainTextArea::textIsHeldAsPlainText()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);

    PlainTextArea area;
    for (auto put :
         { &PlainTextArea::setText, &PlainTextArea::setContent, &PlainTextArea::setTextRTF }) {
        area.setText(u"previous content\r\nof two lines"_s);
        (area.*put)(text);
        QCOMPARE(area.Text(), expected);
    }
}

void tst_PlainTextArea::saveFileWritesCrLfInSystemEncoding()
{
    const QString path = m_dir->filePath(u"page.txt"_s);
    QFile existing(path);
    QVERIFY(existing.open(QIODevice::WriteOnly));
    existing.write(QByteArray(4096, 'x'));
    existing.close();

    PlainTextArea area;
    area.setText(u"<p>Zürich</p>\nåäö ß €\n"_s);
    area.SaveFile(path, 1);

    QCOMPARE(readAll(path),
             QStringEncoder(QStringConverter::System).encode(u"<p>Zürich</p>\r\nåäö ß €\r\n"_s));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList { u"page.txt"_s });
}

void tst_PlainTextArea::saveFileInFolderThatTakesNoNewFile()
{
    const QString folder = m_dir->filePath(u"locked"_s);
    QVERIFY(QDir().mkdir(folder));
    const QString existing = folder + u"/page.txt"_s;
    QFile old(existing);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("an older and longer content");
    old.close();
    QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
    const auto unlock = qScopeGuard([&] {
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    });

    PlainTextArea area;
    area.setText(u"new\ntext"_s);
    if (!withFilePermissions([&] { QVERIFY_THROWS_NO_EXCEPTION(area.SaveFile(existing, 1)); }))
        QSKIP("This process writes in any folder and cannot give that up.");
    QCOMPARE(readAll(existing), QByteArray("new\r\ntext"));
    QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList { u"page.txt"_s });
}

void tst_PlainTextArea::selPrintPrintsSelectionOrAll_data()
{
    QTest::addColumn<int>("selectionStart");
    QTest::addColumn<int>("selectionEnd");
    QTest::addColumn<QString>("printed");
    // Positions count one per line break.
    QTest::newRow("nothing highlighted") << 3 << 3 << u"alpha bravo charlie delta echo foxtrot"_s;
    QTest::newRow("across lines") << 6 << 23 << u"bravo charlie del"_s;
    QTest::newRow("highlighted backwards") << 35 << 31 << u"foxt"_s;
}

void tst_PlainTextArea::selPrintPrintsSelectionOrAll()
{
    QFETCH(int, selectionStart);
    QFETCH(int, selectionEnd);
    QFETCH(QString, printed);

    PlainTextArea area;
    area.setText(u"alpha bravo\r\ncharlie delta\r\necho foxtrot"_s);
    QTextCursor cursor = area.textCursor();
    cursor.setPosition(selectionStart);
    cursor.setPosition(selectionEnd, QTextCursor::KeepAnchor);
    area.setTextCursor(cursor);

    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(m_dir->filePath(u"printed.pdf"_s));
    area.SelPrint(printer);

    // One page: the text, then the page number in the footer.
    QCOMPARE(pdfWords(printer.outputFileName()), printed + u" 1"_s);
    QCOMPARE(area.textCursor().selectionStart(), qMin(selectionStart, selectionEnd));
    QCOMPARE(area.textCursor().selectionEnd(), qMax(selectionStart, selectionEnd));
}

void tst_PlainTextArea::failuresRaisePlatformError()
{
    PlainTextArea area;
    area.setText(u"text"_s);
    QVERIFY_THROWS_EXCEPTION(PlatformError, area.SaveFile(m_dir->filePath(u"no/page.txt"_s), 1));
    QVERIFY_THROWS_EXCEPTION(PlatformError, area.SaveFile(m_dir->filePath(u"page.rtf"_s), 0));
    QVERIFY(QDir(m_dir->path()).isEmpty());

    // Printing stays silent when the job cannot start; the caller must hear of it.
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(m_dir->filePath(u"no/printed.pdf"_s));
    QTest::ignoreMessage(QtWarningMsg, "QPainter::begin(): Returned false");
    QVERIFY_THROWS_EXCEPTION(PlatformError, area.SelPrint(printer));
}

void tst_PlainTextArea::contentOverTheBoundsIsRefused_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("shown");
    const QString line = QString(99, u'x') + u'\n';
    const qsizetype lines = ShownLimits::MaxTextChars / line.size();
    const QString full
        = line.repeated(lines) + QString(ShownLimits::MaxTextChars - lines * 100, u'y');
    QTest::newRow("at the text bound") << full << true;
    QTest::newRow("one character over it") << full + u'z' << false;
    QTest::newRow("a line at the line bound, after others")
        << line.repeated(5000) + QString(ShownLimits::MaxLineChars, u'l') << true;
    QTest::newRow("a line one over it, after others")
        << line.repeated(5000) + QString(ShownLimits::MaxLineChars + 1, u'l') + u"\nend"_s << false;
}

void tst_PlainTextArea::contentOverTheBoundsIsRefused()
{
    QFETCH(QString, text);
    QFETCH(bool, shown);
    PlainTextArea area;
    area.setText(u"earlier"_s);
    const auto failure = failureOf([&] { area.setContent(text); });
    QCOMPARE(failure.has_value(), !shown);
    if (failure)
        QCOMPARE(failure->number(), int(ErrorCode::Overflow));
    // All of it, or nothing.
    QCOMPARE(area.SearchText().size(), shown ? text.size() : 0);
}

KESTRAV_TEST_MAIN(tst_PlainTextArea)
#include "tst_plaintextarea.moc"
