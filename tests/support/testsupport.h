#pragma once

#include "platform/api/platformerror.h"

#include <functional>
#include <optional>
#include <QColor>
#include <QImage>
#include <QString>
#include <QTemporaryDir>
#include <QtTest>

// Per-user folders of a test process: HOME and the XDG config, data, cache and runtime
// folders all point into one temporary folder, made before the application object and
// removed at exit. Nothing is read from the real home, and nothing (the web profile, the
// settings file) survives from one run to the next.
class HermeticHome
{
public:
    HermeticHome();

private:
    QTemporaryDir m_home;
};

// The test mains: QTEST_MAIN and QTEST_GUILESS_MAIN inside a hermetic home.
#define KESTRAV_TEST_MAIN(TestObject)                                                              \
    static HermeticHome kestravHermeticHome;                                                       \
    QTEST_MAIN(TestObject)
#define KESTRAV_TEST_GUILESS_MAIN(TestObject)                                                      \
    static HermeticHome kestravHermeticHome;                                                       \
    QTEST_GUILESS_MAIN(TestObject)

// The file's bytes, or "<missing>" when it cannot be read.
QByteArray readAll(const QString &path);
// A picture of one colour.
QImage solidPicture(const QSize &size, const QColor &colour);
// Writes the whole file; false when it could not.
bool writeAll(const QString &path, const QByteArray &bytes);
// The words a PDF shows, as a separate text extractor (pdftotext) reads them.
QString pdfWords(const QString &path);
// The failure of an operation, or nothing when it succeeded.
std::optional<PlatformError> failureOf(const std::function<void()> &operation);
// The error number of that failure, 0 when the operation succeeded.
int failureNumber(const std::function<void()> &operation);

// Waits until the spy has seen count signals. A spy's own event loop lets the engine run at
// full speed; QTRY_* and qWaitFor sleep between rounds and make every load take a second.
bool waitFor(QSignalSpy &spy, int count = 1, int timeoutMs = 60'000);

// A small HTML page with the title (none when empty) and the body.
QByteArray htmlPage(const QByteArray &title, const QByteArray &body = "<p>text</p>");

// Runs work with writes cut off once a file reaches `bytes`, as a full disk cuts them (even
// for root). False when this system has no such limit; work has not run then.
bool withFileSizeLimit(qint64 bytes, const std::function<void()> &work);

// Runs work with file permissions checked as for any user, even when the test runs as root.
// False when they cannot be; work has not run then.
bool withFilePermissions(const std::function<void()> &work);

// A hermetic place for one test: a temporary program folder of its own.
class TestSandbox
{
public:
    TestSandbox();
    QString programFolder() const { return m_programFolder.path(); }

private:
    QTemporaryDir m_programFolder;
};

// A real, small filesystem: a tmpfs mounted on a temporary folder (this needs root), so that
// a test meets a full disk as the program would. Unmounted when it goes.
class SmallDisk
{
public:
    // Mounted on folder when one is given (an empty one the test owns), else on a folder of
    // its own.
    explicit SmallDisk(qint64 bytes, const QString &folder = QString());
    ~SmallDisk();
    SmallDisk(const SmallDisk &) = delete;
    SmallDisk &operator=(const SmallDisk &) = delete;

    // Why no disk could be mounted, or "" when it is there.
    QString refusal() const { return m_refusal; }
    QString path() const { return m_path; }
    // Takes all the room but `bytes`, with one file that free() gives back.
    bool fill(qint64 bytes = 0);
    void free();
    qint64 bytesAvailable() const;

private:
    QString fillerPath() const;

    QTemporaryDir m_folder;
    QString m_path;
    QString m_refusal;
};

// Skips the test, saying why, when the disk is not there.
#define KESTRAV_REQUIRE_DISK(disk)                                                                 \
    do {                                                                                           \
        if (!(disk).refusal().isEmpty())                                                           \
            QSKIP(qPrintable((disk).refusal()));                                                   \
    } while (false)
