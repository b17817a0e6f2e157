#include "fakeservices.h"

#include "platformerror.h"

QString FakeInternetTransfer::OpenURL(const QString &url)
{
    requested.append(url);
    if (fail)
        throw PlatformError(ErrorCode::TransferTimedOut, QStringLiteral("Request timed out"));
    return document;
}
