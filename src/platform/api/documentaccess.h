#pragma once

#include <QString>
#include <QStringList>

// What the window reads of the page shown and saves of it. Operations fail with PlatformError.
class DocumentAccess
{
public:
    virtual ~DocumentAccess() = default;

    // Document.Body.innerHTML, and Document.Links(i).href in document order with relative
    // references resolved. Fail when there is no document or body. A control may refuse a
    // body larger than the source view shows (overflow), and stop listing links after the
    // first thousands.
    virtual QString DocumentBodyInnerHTML() = 0;
    virtual QStringList DocumentLinkHrefs() = 0;

    // ExecWB(SaveAsCommand, DontPromptUser, name): saves the displayed document's text
    // under name without asking; other commands fail.
    static constexpr int SaveAsCommand = 4;
    static constexpr int DontPromptUser = 2;
    virtual void ExecWB(int command, int option, const QString &name) = 0;
    // Saves the page as the engine keeps it: complete (the document and a folder of what it
    // uses) or as a single file; the save goes on like a download.
    virtual void SavePage(const QString &path, bool singleFile) = 0;
};
