#pragma once

#include "platform/api/appinfo.h"
#include "platform/api/desktopfiles.h"
#include "platform/api/messagebox.h"
#include "platform/api/screenpointer.h"

// The desktop's message box, mouse pointer, application object and file handlers.

class DesktopMessageBox final : public MessageBox
{
public:
    explicit DesktopMessageBox(QString title);
    void MsgBox(const QString &prompt) override;

private:
    QString m_title;
};

class DesktopScreenPointer final : public ScreenPointer
{
public:
    ~DesktopScreenPointer() override;
    void setMousePointer(int pointer) override;
    int mousePointer() const override { return m_pointer; }

private:
    int m_pointer = Default;
};

class DesktopAppInfo final : public AppInfo
{
public:
    QString Path() const override;
    QString DataPath() const override;
    QString Title() const override;
    void End() override;
};

class DesktopFileHandlers final : public DesktopFiles
{
public:
    void openFile(const QString &path) override;
    void showInFolder(const QString &path) override;
};
