#pragma once

#include <QString>
#include <QTemporaryDir>

// A hermetic place for one test: a temporary program folder, and the per-user locations
// switched to Qt's test locations.
class TestSandbox
{
public:
    TestSandbox();
    QString programFolder() const { return m_programFolder.path(); }

private:
    QTemporaryDir m_programFolder;
};
