#pragma once

#include <QString>

// Hands a file to the desktop: to the program that opens its kind, or to the file manager.
// Both fail with PlatformError.
class DesktopFiles
{
public:
    virtual ~DesktopFiles() = default;

    virtual void openFile(const QString &path) = 0;
    // Shows the file selected in its folder, or at least the folder.
    virtual void showInFolder(const QString &path) = 0;
};
