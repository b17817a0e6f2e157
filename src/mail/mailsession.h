#pragma once

#include "mail/mailfolders.h"

#include <memory>

class MailApplication;
class MailAutomation;
class MailFolder;
class MailNamespace;

// The steps of a Mail command on the mail program's automation object model.
namespace Mail {

// The running mail program, else a newly started one. Neither failure is reported here: when
// both fail, the result is an empty application whose first use fails with ObjectNotSet and
// the reason the program could not be started, so the error box can say what to do.
std::shared_ptr<MailApplication> attachOrStart(MailAutomation &automation);

// The program's "MAPI" name space.
std::shared_ptr<MailNamespace> mapiNamespace(MailApplication &application);

// A logon of its own, with the default profile; the program may ask the user for one.
void logOn(MailNamespace &mailNamespace);

std::shared_ptr<MailFolder> defaultFolder(MailNamespace &mailNamespace, DefaultFolder folder);

} // namespace Mail
