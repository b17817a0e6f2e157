#pragma once

#include <functional>
#include <QString>

namespace HtmlTools {

// Addresses longer than this are shortened in the middle, so that the reason still shows.
inline constexpr qsizetype MaxNoticeAddressLength = 100;

// The one line that tells why a linked document could not be fetched, built from the
// address and the transfer's own description of the failure, e.g.
// "Could not fetch http://host/x: connection refused".
QString fetchFailureNotice(const QString &address, const QString &reason);

// Runs a step of showing a document; when it fails because the document is too large to
// show (overflow), keeps the reason in notice for the status bar. The failure goes on.
void noteTooLarge(QString &notice, const std::function<void()> &step);

} // namespace HtmlTools
