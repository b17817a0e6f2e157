#pragma once

#include <exception>
#include <QString>

// The error object of the hosted components and services: a classic error number
// and the component's own description. Thrown by every failing platform operation.
class PlatformError : public std::exception
{
public:
    PlatformError(int number, QString description)
        : m_number(number)
        , m_description(std::move(description))
        , m_what(m_description.toLocal8Bit())
    {
    }

    int number() const noexcept { return m_number; }
    const QString &description() const noexcept { return m_description; }
    const char *what() const noexcept override { return m_what.constData(); }

private:
    int m_number;
    QString m_description;
    QByteArray m_what;
};

// The error numbers the program meets, with the values the original components used.
namespace ErrorCode {
constexpr int InvalidProcedureCall = 5;
constexpr int Overflow = 6;
constexpr int SubscriptOutOfRange = 9;
constexpr int FileNotFound = 53;
constexpr int DiskFull = 61;
constexpr int PermissionDenied = 70;
constexpr int PathFileAccess = 75;
constexpr int ObjectNotSet = 91;
constexpr int InvalidPropertyValue = 380;
constexpr int CannotCreateObject = 429;
constexpr int Unexpected = 440;
constexpr int InvalidClipboardFormat = 460;
constexpr int ClipboardFormatMismatch = 461;
constexpr int InvalidPicture = 481;
constexpr int PrinterError = 482;
constexpr int CommonDialogCancel = 32755;
constexpr int ElementNotFound = 35601;
constexpr int TransferTimedOut = 35761;
} // namespace ErrorCode
