#pragma once

#include "webenginebrowsercontrol.h"

#include <memory>

class QWidget;
class UserQuestions;

// The real web control filling a shown window of its own, as the engine tests drive it.
WebEngineBrowserControl *showInHost(QWidget &host, std::shared_ptr<UserQuestions> questions = {});

// Navigates and waits until the load has ended.
bool loadAndWait(WebBrowserControl &control, const QString &url);
