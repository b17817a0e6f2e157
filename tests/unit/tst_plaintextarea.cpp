#include "plaintextarea.h"
#include "platformerror.h"

#include <optional>
#include <QDir>
#include <QPrinter>
#include <QRegularExpression>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

enum class Setter { Text, Content, TextRTF };

void put(PlainTextArea &area, Setter setter, const QString &text)
{
    switch (setter) {
    case Setter::Text:
        area.setText(text);
        break;
    case Setter::Content:
        area.setContent(text);
        break;
    case Setter::TextRTF:
        area.setTextRTF(text);
        break;
    }
}

template<typename Work> std::optional<PlatformError> platformErrorOf(Work &&work)
{
    try {
        work();
    } catch (const PlatformError &error) {
        return error;
    }
    return std::nullopt;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

QByteArray systemBytes(const QString &text)
{
    QStringEncoder encoder(QStringConverter::System);
    return encoder.encode(text);
}

// The PDF streams, inflated where they are compressed.
QList<QByteArray> pdfStreams(const QByteArray &pdf)
{
    QList<QByteArray> streams;
    qsizetype from = 0;
    while (true) {
        const qsizetype keyword = pdf.indexOf("stream", from);
        if (keyword < 0)
            break;
        qsizetype begin = keyword + 6;
        if (pdf.mid(begin, 2) == "\r\n")
            begin += 2;
        else if (pdf.at(begin) == '\n')
            begin += 1;
        else {
            from = begin; // "endstream", or the word inside text
            continue;
        }
        const qsizetype end = pdf.indexOf("endstream", begin);
        if (end < 0)
            break;
        const qsizetype object = pdf.lastIndexOf(" obj", keyword);
        const QByteArray dictionary = pdf.mid(object, keyword - object);
        QByteArray data = pdf.mid(begin, end - begin);
        if (dictionary.contains("/FlateDecode")) {
            // qUncompress wants the expected size in front; it grows past a small guess.
            data = qUncompress(QByteArray("\0\0\4\0", 4) + data);
        }
        streams.append(data);
        from = end + 9;
    }
    return streams;
}

// The characters a Qt-written PDF draws, in drawing order, without white space: pages show
// glyph numbers, and the font's ToUnicode map turns them back into text.
QString pdfText(const QByteArray &pdf)
{
    const QList<QByteArray> streams = pdfStreams(pdf);
    QHash<uint, QString> toUnicode;
    static const QRegularExpression range(
        u"<([0-9A-Fa-f]+)>\\s*<([0-9A-Fa-f]+)>\\s*(\\[[^\\]]*\\]|<[0-9A-Fa-f]+>)"_s);
    static const QRegularExpression hex(u"<([0-9A-Fa-f]+)>"_s);
    auto unicodeOf = [](const QString &hexText) {
        QString text;
        for (qsizetype i = 0; i + 4 <= hexText.size(); i += 4)
            text.append(QChar(char16_t(hexText.mid(i, 4).toUInt(nullptr, 16))));
        return text;
    };
    int fontMaps = 0;
    for (const QByteArray &stream : streams) {
        const qsizetype ranges = stream.indexOf("beginbfrange");
        if (ranges < 0)
            continue;
        ++fontMaps;
        const QString body
            = QString::fromLatin1(stream.mid(ranges, stream.lastIndexOf("endbfrange") - ranges));
        for (const auto &match : range.globalMatch(body)) {
            const uint first = match.captured(1).toUInt(nullptr, 16);
            const uint last = match.captured(2).toUInt(nullptr, 16);
            const QString target = match.captured(3);
            if (target.startsWith(u'[')) {
                uint glyph = first;
                for (const auto &item : hex.globalMatch(target))
                    toUnicode.insert(glyph++, unicodeOf(item.captured(1)));
            } else {
                const QString base = unicodeOf(target.mid(1, target.size() - 2));
                for (uint glyph = first; glyph <= last; ++glyph)
                    toUnicode.insert(glyph, QString(QChar(base.at(0).unicode() + glyph - first)));
            }
        }
    }
    if (fontMaps != 1)
        return u"<expected one font, found %1>"_s.arg(fontMaps);

    QString text;
    static const QRegularExpression shown(u"<([0-9A-Fa-f]+)>\\s*Tj"_s);
    for (const QByteArray &stream : streams) {
        if (stream.contains("beginbfrange"))
            continue;
        for (const auto &match : shown.globalMatch(QString::fromLatin1(stream)))
            text += toUnicode.value(match.captured(1).toUInt(nullptr, 16), u"?"_s);
    }
    text.remove(QRegularExpression(u"\\s"_s));
    return text;
}

} // namespace

Q_DECLARE_METATYPE(Setter)

class tst_PlainTextArea : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void textLooksLikeMarkupButStaysText_data();
    void textLooksLikeMarkupButStaysText();
    void lineEndsReadAsCrLf_data();
    void lineEndsReadAsCrLf();
    void saveFileWritesCrLfInSystemEncoding_data();
    void saveFileWritesCrLfInSystemEncoding();
    void saveFileFailures_data();
    void saveFileFailures();
    void selPrintPrintsSelectionOrAll_data();
    void selPrintPrintsSelectionOrAll();
    void selPrintToUnwritableOutputFails();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_PlainTextArea::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void tst_PlainTextArea::textLooksLikeMarkupButStaysText_data()
{
    QTest::addColumn<Setter>("setter");
    QTest::addColumn<QString>("text");
    const QList<std::pair<const char *, Setter>> setters { { "Text", Setter::Text },
                                                           { "content", Setter::Content },
                                                           { "TextRTF", Setter::TextRTF } };
    for (const auto &[setterName, setter] : setters) {
        auto row = [&](const char *name, const QString &text) {
            QTest::addRow("%s: %s", setterName, name) << setter << text;
        };
        row("RTF", u"{\\rtf1\\ansi{\\fonttbl\\f0 Arial;}\\b hello\\b0\\par}"_s);
        row("HTML tags", u"<b>x</b> <i>y</i> <br>"_s);
        row("HTML document", u"<!DOCTYPE html><html><body><p>Hi</p></body></html>"_s);
        row("entities", u"&lt;p&gt; &amp; &nbsp; &#65;"_s);
        row("no-break space and tab", u"a\u00A0b\tc"_s);
        row("non-ASCII", u"Zürich – 東京"_s);
    }
}

void tst_PlainTextArea::textLooksLikeMarkupButStaysText()
{
    QFETCH(Setter, setter);
    QFETCH(QString, text);

    PlainTextArea area;
    area.setText(u"previous content\r\nof two lines"_s);
    put(area, setter, text);
    QCOMPARE(area.Text(), text);
}

void tst_PlainTextArea::lineEndsReadAsCrLf_data()
{
    QTest::addColumn<Setter>("setter");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    const QList<std::pair<const char *, Setter>> setters { { "Text", Setter::Text },
                                                           { "content", Setter::Content },
                                                           { "TextRTF", Setter::TextRTF } };
    for (const auto &[setterName, setter] : setters) {
        auto row = [&](const char *name, const QString &text, const QString &expected) {
            QTest::addRow("%s: %s", setterName, name) << setter << text << expected;
        };
        row("empty", u""_s, u""_s);
        row("CR LF", u"a\r\nb"_s, u"a\r\nb"_s);
        row("LF", u"a\nb"_s, u"a\r\nb"_s);
        row("lone CR", u"a\rb"_s, u"a\r\nb"_s);
        row("LF CR is two ends", u"a\n\rb"_s, u"a\r\n\r\nb"_s);
        row("blank line kept", u"a\r\n\r\nb"_s, u"a\r\n\r\nb"_s);
        row("trailing line end", u"a\n"_s, u"a\r\n"_s);
        row("only line ends", u"\n\r\n\r"_s, u"\r\n\r\n\r\n"_s);
        row("mixed", u"1\r\n2\n3\r4"_s, u"1\r\n2\r\n3\r\n4"_s);
    }
}

void tst_PlainTextArea::lineEndsReadAsCrLf()
{
    QFETCH(Setter, setter);
    QFETCH(QString, text);
    QFETCH(QString, expected);

    PlainTextArea area;
    area.setText(u"previous content\r\nof two lines"_s);
    put(area, setter, text);
    QCOMPARE(area.Text(), expected);
}

void tst_PlainTextArea::saveFileWritesCrLfInSystemEncoding_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expectedText");
    QTest::addColumn<QByteArray>("existingContent");
    QTest::newRow("new file") << u"<html>\n<body>x</body>\n</html>"_s
                              << u"<html>\r\n<body>x</body>\r\n</html>"_s << QByteArray();
    QTest::newRow("replaces a longer file")
        << u"short\n"_s << u"short\r\n"_s << QByteArray(4096, 'x');
    QTest::newRow("non-ASCII") << u"Zürich\r\nåäö ß €"_s << u"Zürich\r\nåäö ß €"_s
                               << QByteArray("old");
    QTest::newRow("empty area empties the file") << u""_s << u""_s << QByteArray("old content");
}

void tst_PlainTextArea::saveFileWritesCrLfInSystemEncoding()
{
    QFETCH(QString, text);
    QFETCH(QString, expectedText);
    QFETCH(QByteArray, existingContent);

    const QString path = m_dir->filePath(u"page.txt"_s);
    if (!existingContent.isEmpty()) {
        QFile existing(path);
        QVERIFY(existing.open(QIODevice::WriteOnly));
        existing.write(existingContent);
    }

    PlainTextArea area;
    area.setText(text);
    area.SaveFile(path, 1);

    QCOMPARE(readAll(path), systemBytes(expectedText));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList { u"page.txt"_s });
}

void tst_PlainTextArea::saveFileFailures_data()
{
    QTest::addColumn<QString>("relativePath");
    QTest::addColumn<int>("fileType");
    QTest::addColumn<int>("errorNumber");
    QTest::newRow("missing folder") << u"missing/page.txt"_s << 1 << ErrorCode::PathFileAccess;
    QTest::newRow("path is a folder") << u"folder"_s << 1 << ErrorCode::PathFileAccess;
    QTest::newRow("rich-text file type") << u"page.rtf"_s << 0 << ErrorCode::InvalidProcedureCall;
    QTest::newRow("unknown file type") << u"page.txt"_s << 2 << ErrorCode::InvalidProcedureCall;
}

void tst_PlainTextArea::saveFileFailures()
{
    QFETCH(QString, relativePath);
    QFETCH(int, fileType);
    QFETCH(int, errorNumber);

    QVERIFY(QDir(m_dir->path()).mkdir(u"folder"_s));
    const QString path = m_dir->filePath(relativePath);
    PlainTextArea area;
    area.setText(u"some text"_s);

    const auto error = platformErrorOf([&] { area.SaveFile(path, fileType); });
    QVERIFY(error);
    QCOMPARE(error->number(), errorNumber);
    if (errorNumber == ErrorCode::PathFileAccess)
        QVERIFY2(error->description().contains(QDir::toNativeSeparators(path)),
                 qPrintable(error->description()));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList());
}

void tst_PlainTextArea::selPrintPrintsSelectionOrAll_data()
{
    QTest::addColumn<int>("selectionStart");
    QTest::addColumn<int>("selectionEnd");
    QTest::addColumn<QString>("printed");
    // "alpha bravo\ncharlie delta\necho foxtrot": positions count one per line break.
    QTest::newRow("nothing highlighted") << 3 << 3 << u"alphabravocharliedeltaechofoxtrot"_s;
    QTest::newRow("one word") << 12 << 19 << u"charlie"_s;
    QTest::newRow("across lines") << 6 << 23 << u"bravocharliedel"_s;
    QTest::newRow("highlighted backwards") << 35 << 31 << u"foxt"_s;
    QTest::newRow("everything highlighted") << 0 << 38 << u"alphabravocharliedeltaechofoxtrot"_s;
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

    const QString output = m_dir->filePath(u"printed.pdf"_s);
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(output);
    area.SelPrint(printer);

    // One page: the text, then the page number in the footer.
    QCOMPARE(pdfText(readAll(output)), printed + u"1"_s);
    // Printing leaves the area as it was.
    QCOMPARE(area.textCursor().selectionStart(), qMin(selectionStart, selectionEnd));
    QCOMPARE(area.textCursor().selectionEnd(), qMax(selectionStart, selectionEnd));
}

void tst_PlainTextArea::selPrintToUnwritableOutputFails()
{
    PlainTextArea area;
    area.setText(u"text"_s);
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(m_dir->filePath(u"missing/printed.pdf"_s));

    QTest::ignoreMessage(QtWarningMsg, "QPainter::begin(): Returned false");
    const auto error = platformErrorOf([&] { area.SelPrint(printer); });
    QVERIFY(error);
    QCOMPARE(error->number(), ErrorCode::Unexpected);
    QVERIFY2(error->description().contains(QDir::toNativeSeparators(printer.outputFileName())),
             qPrintable(error->description()));
}

QTEST_MAIN(tst_PlainTextArea)
#include "tst_plaintextarea.moc"
