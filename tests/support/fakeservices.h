#pragma once

#include "platform/api/appinfo.h"
#include "platform/api/internettransfer.h"
#include "platform/api/messagebox.h"
#include "platform/api/screenpointer.h"
#include "platform/api/userquestions.h"

#include <functional>
#include <memory>
#include <optional>
#include <QList>
#include <QStringList>

// Records every message instead of showing it; shown, when set, sees each as it would show.
class RecordingMessageBox final : public MessageBox
{
public:
    void MsgBox(const QString &prompt) override
    {
        prompts.append(prompt);
        if (shown)
            shown(prompt);
    }
    QStringList prompts;
    std::function<void(const QString &)> shown;
};

// Records every pointer change; the current value is the last one set.
class RecordingScreenPointer final : public ScreenPointer
{
public:
    void setMousePointer(int pointer) override { history.append(pointer); }
    int mousePointer() const override { return history.isEmpty() ? Default : history.last(); }
    QList<int> history;
};

class FakeAppInfo final : public AppInfo
{
public:
    explicit FakeAppInfo(QString path)
        : path(std::move(path))
        , dataPath(this->path + QStringLiteral("/user-data"))
    {
    }
    QString Path() const override { return path; }
    QString DataPath() const override { return dataPath; }
    QString Title() const override { return QStringLiteral("Kestrav"); }
    void End() override { ++endCount; }
    QString path;
    QString dataPath;
    int endCount = 0;
};

class FakeInternetTransfer final : public InternetTransfer
{
public:
    QString OpenURL(const QString &url) override;
    void Cancel() override { ++*cancels; }
    QStringList requested;
    QString document;
    bool fail = false;
    // Outlives the transfer, which goes with its window.
    std::shared_ptr<int> cancels = std::make_shared<int>(0);
};

// Answers every question as the test has set it, and records what was asked.
class ScriptedUserQuestions final : public UserQuestions
{
public:
    QString whereToSave(const QString &suggestedPath) override;
    bool proceedDespiteCertificate(const QString &host, const QString &problem) override;
    PermissionAnswer allowPermission(const QString &host, Permission permission) override;
    bool cancelDownloads(int running) override;
    bool quitCancellingDownloads(int running) override;
    std::optional<Credentials> credentials(const QString &site, const QString &realm) override;
    bool stopUnresponsivePage(const QString &site) override;

    // "save <suggested path>", "certificate <host>: <problem>", "permission <host> <number>",
    // "cancel <running>", "quit <running>", "credentials <site>: <realm>", "not responding <site>"
    QStringList asked;
    QString savePath; // "" declines
    bool proceed = false;
    bool allow = false;
    bool remember = true; // a permission answered for good, not this time only
    bool cancel = false;
    bool quit = false;
    std::optional<Credentials> given; // nothing declines
    bool stopPage = false;
};
