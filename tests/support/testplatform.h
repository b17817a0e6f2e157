#pragma once

#include "fakecontentblocking.h"
#include "fakehistorystore.h"
#include "fakekeyring.h"
#include "fakeservices.h"
#include "fakesettingsstore.h"
#include "fakesitedata.h"
#include "fakewebbrowsercontrol.h"
#include "platform/api/platform.h"
#include "recordingclipboard.h"
#include "recordingkeyboardevents.h"
#include "recordingmailautomation.h"
#include "recordingpicturewriter.h"
#include "scriptedcommondialog.h"

#include <QPointer>

// A platform of doubles for the window tests; the test keeps handles to each double. The
// rich-text area is the real one: it is plain Qt and needs no desktop.
struct TestPlatform
{
    explicit TestPlatform(const QString &programFolder);

    Platform platform;
    std::shared_ptr<RecordingMessageBox> messages;
    std::shared_ptr<RecordingScreenPointer> pointer;
    std::shared_ptr<FakeAppInfo> app;
    std::shared_ptr<FakeSettingsStore> settings;
    std::shared_ptr<ScriptedCommonDialog> dialog;
    std::shared_ptr<RecordingMailAutomation> mail;
    // The desktop tools' calls of the clipboard, key injection and picture writer, in order.
    std::shared_ptr<QStringList> journal;
    std::shared_ptr<RecordingClipboard> clipboard;
    std::shared_ptr<RecordingKeyboardEvents> keyboard;
    std::shared_ptr<RecordingPictureWriter> pictures;
    std::shared_ptr<ScriptedUserQuestions> questions;
    std::shared_ptr<FakeContentBlocking> blocking;
    std::shared_ptr<FakeHistoryStore> history;
    std::shared_ptr<FakeKeyring> keyring = std::make_shared<FakeKeyring>();
    // Shared by every web control made, as the real downloads are.
    std::shared_ptr<FakeDownloads> downloads;
    std::shared_ptr<RecordingDesktopFiles> files;
    std::shared_ptr<FakeSiteData> siteData;
    // The hosted components of the last window made; they go with the window.
    QPointer<FakeWebBrowserControl> browser;
    QPointer<FakeWebBrowserControl> sourceBrowser; // of the window that shows a page's source
    RichTextArea *text = nullptr;
    FakeInternetTransfer *transfer = nullptr;
    // Cancels of the last window's transfer, counted past the window's end.
    std::shared_ptr<int> transferCancels;
};
