#include "platform/desktop/profiledata/diskcaches.h"

#include <QByteArray>
#include <QStandardPaths>
#include <QStorageInfo>

namespace DiskCaches {

namespace {

// Far more than a start writes to the caches, and little enough that only a disk that is
// nearly full goes without them.
constexpr qint64 RoomNeeded = 128 * 1024 * 1024;

bool decided = false;
bool keptOnDisk = true;

bool hasRoom(QStandardPaths::StandardLocation location)
{
    // A folder not made yet lies on the disk of its nearest existing parent.
    QString folder = QStandardPaths::writableLocation(location);
    QStorageInfo disk(folder);
    while (!disk.isValid() && folder.contains(u'/')) {
        folder.truncate(folder.lastIndexOf(u'/'));
        disk.setPath(folder.isEmpty() ? QStringLiteral("/") : folder);
    }
    return !disk.isValid() || disk.bytesAvailable() >= RoomNeeded;
}

void setUnlessSet(const char *name, const QByteArray &value)
{
    if (!qEnvironmentVariableIsSet(name))
        qputenv(name, value);
}

} // namespace

void decideAtStart()
{
    decided = true;
    keptOnDisk = hasRoom(QStandardPaths::GenericCacheLocation)
        && hasRoom(QStandardPaths::GenericDataLocation);
    if (keptOnDisk)
        return;
    // Qt's and Mesa's shader caches live in the per-user cache folder; Mesa's under both its
    // names, old and new.
    setUnlessSet("QT_DISABLE_SHADER_DISK_CACHE", "1");
    setUnlessSet("MESA_SHADER_CACHE_DISABLE", "true");
    setUnlessSet("MESA_GLSL_CACHE_DISABLE", "true");
    // The engine's own compiled shaders, kept beside its profile.
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    if (!flags.contains("--disable-gpu-shader-disk-cache"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS",
                (flags + " --disable-gpu-shader-disk-cache").trimmed());
}

bool onDisk()
{
    return !decided || keptOnDisk;
}

} // namespace DiskCaches
