#pragma once

#include "appinfo.h"
#include "clipboard.h"
#include "commondialog.h"
#include "internettransfer.h"
#include "keyboardevents.h"
#include "mailautomation.h"
#include "messagebox.h"
#include "picturewriter.h"
#include "richtextarea.h"
#include "screenpointer.h"
#include "settingsstore.h"
#include "userquestions.h"

#include <memory>

class WebBrowserControl;

// Stand-ins for services that this desktop does not offer: every call fails with a
// PlatformError (ErrorCode::CannotCreateObject) that names the missing service.
namespace Unavailable {

[[noreturn]] void fail(const char *service);

WebBrowserControl *createWebBrowserControl(QWidget *parent);
std::unique_ptr<RichTextArea> createRichTextArea(QWidget *parent);
std::unique_ptr<InternetTransfer> createInternetTransfer();

class CommonDialog final : public ::CommonDialog
{
public:
    void ShowPrinter() override { fail("printer dialog"); }
    void ShowSave() override { fail("save dialog"); }
    QPrinter &hDC() override { fail("printer"); }
};

class SettingsStore final : public ::SettingsStore
{
public:
    QString GetSetting(const QString &, const QString &, const QString &) const override
    {
        fail("settings store");
    }
    QList<Row> GetAllSettings(const QString &, const QString &) const override
    {
        fail("settings store");
    }
    void SaveSetting(const QString &, const QString &, const QString &, const QString &) override
    {
        fail("settings store");
    }
    void transaction(const std::function<void()> &) override { fail("settings store"); }
};

class Clipboard final : public ::Clipboard
{
public:
    void Clear() override { fail("clipboard"); }
    bool GetFormat(int) const override { fail("clipboard"); }
    QImage GetData(int) const override { fail("clipboard"); }
};

class PictureWriter final : public ::PictureWriter
{
public:
    void SavePicture(const QImage &, const QString &) override { fail("picture writer"); }
};

class KeyboardEvents final : public ::KeyboardEvents
{
public:
    void keybd_event(int, int, int, int) override { fail("keyboard event injection"); }
    void DoEvents() override { fail("event yield"); }
};

class MailAutomation final : public ::MailAutomation
{
public:
    std::shared_ptr<MailApplication> GetObject(const QString &) override { fail("mail program"); }
    std::shared_ptr<MailApplication> CreateObject(const QString &) override
    {
        fail("mail program");
    }
};

class MessageBox final : public ::MessageBox
{
public:
    void MsgBox(const QString &) override { fail("message box"); }
};

class ScreenPointer final : public ::ScreenPointer
{
public:
    void setMousePointer(int) override { fail("mouse pointer"); }
    int mousePointer() const override { return Default; }
};

class AppInfo final : public ::AppInfo
{
public:
    QString Path() const override { fail("program folder"); }
    QString DataPath() const override { fail("per-user data folder"); }
    QString Title() const override { fail("application title"); }
    void End() override { fail("program end"); }
};

class UserQuestions final : public ::UserQuestions
{
public:
    QString whereToSave(const QString &) override { fail("save question"); }
    bool proceedDespiteCertificate(const QString &, const QString &) override
    {
        fail("certificate question");
    }
    bool allowPermission(const QString &, Permission) override { fail("permission question"); }
    bool cancelDownloads(int) override { fail("download question"); }
};

} // namespace Unavailable
