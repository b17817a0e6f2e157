#include "unavailableservices.h"

#include "platformerror.h"

namespace Unavailable {

void fail(const char *service)
{
    throw PlatformError(
        ErrorCode::CannotCreateObject,
        QStringLiteral("The %1 is not available on this desktop.").arg(QLatin1String(service)));
}

WebBrowserControl *createWebBrowserControl(QWidget *)
{
    fail("web browser control");
}

std::unique_ptr<RichTextArea> createRichTextArea(QWidget *)
{
    fail("text area");
}

std::unique_ptr<InternetTransfer> createInternetTransfer()
{
    fail("internet transfer");
}

} // namespace Unavailable
