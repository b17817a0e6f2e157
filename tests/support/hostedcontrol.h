#pragma once

#include "platform/desktop/webengine/webenginebrowsercontrol.h"

#include <functional>
#include <memory>

class QWidget;
class UserQuestions;

// The real web control filling a shown window of its own, as the engine tests drive it.
WebEngineBrowserControl *showInHost(QWidget &host, std::shared_ptr<UserQuestions> questions = {});

// Navigates and waits until the load has ended.
bool loadAndWait(WebBrowserControl &control, const QString &url);

// The engine drops input until it has drawn the page, and may replace its input surface
// meanwhile: gives input to the control's current surface (the attempt counts from 0) until
// done holds, for about ten seconds at most. Whether done held in the end.
bool inputUntil(WebBrowserControl &control,
                const std::function<void(QWidget *surface, int attempt)> &input,
                const std::function<bool()> &done);
