#pragma once

#include <QString>

// The application object: the program's folder, its title, and its end.
class AppInfo
{
public:
    virtual ~AppInfo() = default;
    virtual QString Path() const = 0;
    // The program's per-user data folder; it may not exist yet.
    virtual QString DataPath() const = 0;
    virtual QString Title() const = 0;
    // Ends the program at once.
    virtual void End() = 0;
};
