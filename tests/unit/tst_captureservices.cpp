// The desktop's clipboard, picture writer and key injection, on the offscreen platform.

#include "platform/api/platformerror.h"
#include "platform/desktop/system/desktopclipboard.h"
#include "platform/desktop/system/desktopkeyboardevents.h"
#include "platform/desktop/system/picturefilewriter.h"
#include "recordingclipboard.h"
#include "testsupport.h"

#include <functional>
#include <memory>
#include <optional>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImageReader>
#include <QtEndian>
#include <QWidget>

using namespace Qt::StringLiterals;

namespace {

// Pictures compared by their pixels, whatever format the clipboard or the file kept them in.
bool samePixels(const QImage &a, const QImage &b)
{
    return a.convertToFormat(QImage::Format_RGB32) == b.convertToFormat(QImage::Format_RGB32);
}

// A clipboard under test and the ways another program would fill it.
struct ClipboardSubject
{
    std::unique_ptr<Clipboard> clipboard;
    std::function<void(const QImage &)> putPicture;
    std::function<void(const QString &)> putText;
};

using MakeClipboard = std::function<ClipboardSubject()>;

// Keys as (virtual key, flags).
using Strokes = QList<std::pair<int, int>>;

} // namespace

Q_DECLARE_METATYPE(MakeClipboard)

class tst_CaptureServices : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void clipboardContract_data();
    void clipboardContract();
    void picturesTakeTheirNamesFormat_data();
    void picturesTakeTheirNamesFormat();
    void pictureWriteFailures_data();
    void pictureWriteFailures();
    void snapshotKeys_data();
    void snapshotKeys();
};

void tst_CaptureServices::clipboardContract_data()
{
    QTest::addColumn<MakeClipboard>("make");
    QTest::addColumn<QString>("content"); // "picture", "text" or "nothing"

    const MakeClipboard desktop = [] {
        return ClipboardSubject {
            std::make_unique<DesktopClipboard>(),
            [](const QImage &p) { QGuiApplication::clipboard()->setImage(p); },
            [](const QString &t) { QGuiApplication::clipboard()->setText(t); }
        };
    };
    // The double that the window tests use must behave as the desktop's clipboard does.
    const MakeClipboard recording = [] {
        auto owned = std::make_unique<RecordingClipboard>(std::make_shared<QStringList>());
        RecordingClipboard *raw = owned.get();
        return ClipboardSubject { std::move(owned), [raw](const QImage &p) { raw->picture = p; },
                                  [raw](const QString &t) { raw->text = t; } };
    };
    for (const auto &[name, make] :
         { std::pair("desktop", desktop), std::pair("double", recording) }) {
        for (const char *content : { "picture", "text", "nothing" })
            QTest::addRow("%s, %s", name, content) << make << QString::fromLatin1(content);
    }
}

void tst_CaptureServices::clipboardContract()
{
    QFETCH(MakeClipboard, make);
    QFETCH(QString, content);

    QGuiApplication::clipboard()->clear();
    ClipboardSubject subject = make();
    Clipboard &clipboard = *subject.clipboard;
    const QImage picture = solidPicture(QSize(6, 4), Qt::darkYellow);
    if (content == u"picture"_s)
        subject.putPicture(picture);
    else if (content == u"text"_s)
        subject.putText(u"not a picture"_s);

    const bool hasPicture = content == u"picture"_s;
    QCOMPARE(clipboard.GetFormat(2), hasPicture);
    QCOMPARE(clipboard.GetFormat(8), hasPicture);
    QCOMPARE(clipboard.GetFormat(3), false);
    QCOMPARE(clipboard.GetFormat(9), false);
    if (hasPicture) {
        QVERIFY(samePixels(clipboard.GetData(0), picture));
    } else {
        QCOMPARE(failureNumber([&] { clipboard.GetData(0); }), ErrorCode::ClipboardFormatMismatch);
    }
    QCOMPARE(failureNumber([&] { clipboard.GetData(3); }), ErrorCode::InvalidClipboardFormat);

    clipboard.Clear();
    QCOMPARE(clipboard.GetFormat(2), false);
    QVERIFY(failureOf([&] { clipboard.GetData(0); }));
}

void tst_CaptureServices::picturesTakeTheirNamesFormat_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("existing"); // what the file held before, if anything
    QTest::addColumn<QByteArray>("format"); // as read from the content

    QTest::newRow("png") << "shot.png" << QByteArray() << QByteArray("png");
    QTest::newRow("upper-case JPEG") << "shot.JPEG" << QByteArray() << QByteArray("jpeg");
    QTest::newRow("jpg replaces a longer file")
        << "shot.jpg" << QByteArray(200'000, 'x') << QByteArray("jpeg");
    QTest::newRow("no extension") << "shot" << QByteArray() << QByteArray("bmp");
    QTest::newRow("unknown extension") << "shot.capture" << QByteArray() << QByteArray("bmp");
    QTest::newRow("bmp replaces a longer file")
        << "shot.bmp" << QByteArray(200'000, 'x') << QByteArray("bmp");
}

void tst_CaptureServices::picturesTakeTheirNamesFormat()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, existing);
    QFETCH(QByteArray, format);

    QTemporaryDir folder;
    const QString path = folder.filePath(name);
    if (!existing.isEmpty())
        QVERIFY(writeAll(path, existing));
    const QImage picture = solidPicture(QSize(33, 17), QColor(10, 160, 70));
    PictureFileWriter().SavePicture(picture, path);

    // Decided from the content, not the name.
    QCOMPARE(QImageReader::imageFormat(path), format);
    const QByteArray bytes = readAll(path);
    if (format == "bmp") {
        // The size in the header is the file's size: nothing of the old file is left behind.
        QCOMPARE(qFromLittleEndian<quint32>(bytes.constData() + 2), quint32(bytes.size()));
        QVERIFY(samePixels(QImage(path, "bmp"), picture));
    } else if (format == "png") {
        QVERIFY(samePixels(QImage(path, "png"), picture));
    } else {
        // Lossy, but a solid colour comes back close, and the old bytes are gone.
        const QImage read(path, "jpg");
        QCOMPARE(read.size(), picture.size());
        const QColor centre = read.pixelColor(16, 8);
        QVERIFY2(qAbs(centre.green() - 160) < 8 && qAbs(centre.red() - 10) < 8,
                 qPrintable(centre.name()));
        QVERIFY(bytes.size() < existing.size() || existing.isEmpty());
    }
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList { name });
}

void tst_CaptureServices::pictureWriteFailures_data()
{
    QTest::addColumn<bool>("nullPicture");
    QTest::addColumn<QString>("obstacle"); // "", "missing folder" or "disk full"
    QTest::addColumn<int>("number");

    QTest::newRow("no picture") << true << "" << ErrorCode::InvalidPicture;
    QTest::newRow("missing folder") << false << "missing folder" << ErrorCode::PathFileAccess;
    QTest::newRow("write cut short") << false << "disk full" << ErrorCode::PathFileAccess;
}

void tst_CaptureServices::pictureWriteFailures()
{
    QFETCH(bool, nullPicture);
    QFETCH(QString, obstacle);
    QFETCH(int, number);

    QTemporaryDir folder;
    const QString old = folder.filePath(u"old.bmp"_s);
    QVERIFY(writeAll(old, "the old picture"));
    const QString path
        = obstacle == u"missing folder"_s ? folder.filePath(u"missing/new.bmp"_s) : old;
    // Large enough to pass QSaveFile's buffer, which would notice a short write by itself.
    const QImage picture
        = nullPicture ? QImage() : solidPicture(QSize(200, 200), QColor(10, 160, 70));

    std::optional<PlatformError> error;
    if (obstacle == u"disk full"_s) {
        if (!withFileSizeLimit(60'000, [&] {
                error = failureOf([&] { PictureFileWriter().SavePicture(picture, path); });
            }))
            QSKIP("needs a POSIX file-size limit");
    } else {
        error = failureOf([&] { PictureFileWriter().SavePicture(picture, path); });
    }

    QVERIFY(error);
    QCOMPARE(error->number(), number);
    QCOMPARE(readAll(old), QByteArray("the old picture"));
    QCOMPARE(QDir(folder.path())
                 .entryList(QDir::Files | QDir::Hidden | QDir::Dirs | QDir::NoDotAndDotDot),
             QStringList { u"old.bmp"_s });
}

void tst_CaptureServices::snapshotKeys_data()
{
    QTest::addColumn<Strokes>("strokes");
    QTest::addColumn<bool>("screenAllowed");
    QTest::addColumn<QString>("picture"); // "window", "screen" or "none"

    const std::pair altDown(18, 0), altUp(18, 2), printScreen(44, 0), printScreenUp(44, 2);
    QTest::newRow("Alt+PrintScreen") << Strokes { altDown, printScreen, altUp } << true << "window";
    QTest::newRow("PrintScreen alone") << Strokes { printScreen } << true << "screen";
    QTest::newRow("PrintScreen, display refuses the screen")
        << Strokes { printScreen } << false << "window";
    QTest::newRow("Alt released before PrintScreen")
        << Strokes { altDown, altUp, printScreen } << true << "screen";
    QTest::newRow("PrintScreen released only") << Strokes { printScreenUp } << true << "none";
    QTest::newRow("another key") << Strokes { altDown, { 65, 0 }, altUp } << true << "none";
}

void tst_CaptureServices::snapshotKeys()
{
    QFETCH(Strokes, strokes);
    QFETCH(bool, screenAllowed);
    QFETCH(QString, picture);

    const QColor windowColour(10, 160, 70);
    QWidget window;
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, windowColour);
    window.setPalette(palette);
    window.setAutoFillBackground(true);
    window.resize(120, 90);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));

    const QPixmap screen = QPixmap::fromImage(solidPicture(QSize(7, 5), Qt::red));
    DesktopKeyboardEvents keyboard([&] { return screenAllowed ? screen : QPixmap(); });
    QGuiApplication::clipboard()->setText(u"before"_s);
    for (const auto &[key, flags] : strokes)
        keyboard.keybd_event(key, key == 44 ? 1 : 0, flags, 0);

    const QImage taken = QGuiApplication::clipboard()->image();
    if (picture == u"none"_s) {
        QVERIFY(taken.isNull());
        QCOMPARE(QGuiApplication::clipboard()->text(), u"before"_s);
    } else if (picture == u"screen"_s) {
        QVERIFY(samePixels(taken, screen.toImage()));
    } else {
        QCOMPARE(taken.size(), window.size() * window.devicePixelRatio());
        QCOMPARE(taken.pixelColor(taken.rect().center()), windowColour);
    }
}

KESTRAV_TEST_MAIN(tst_CaptureServices)
#include "tst_captureservices.moc"
