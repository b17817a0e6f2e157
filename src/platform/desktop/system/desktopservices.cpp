#include "desktopservices.h"

#include <QApplication>
#include <QCursor>
#include <QMessageBox>
#include <QStandardPaths>

DesktopMessageBox::DesktopMessageBox(QString title)
    : m_title(std::move(title))
{
}

void DesktopMessageBox::MsgBox(const QString &prompt)
{
    QMessageBox box(QMessageBox::NoIcon, m_title, prompt, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

DesktopScreenPointer::~DesktopScreenPointer()
{
    setMousePointer(Default);
}

void DesktopScreenPointer::setMousePointer(int pointer)
{
    // One override cursor at most, so that "default" always takes the hourglass away,
    // however many times it was set.
    if (pointer == Hourglass) {
        if (m_pointer == Hourglass)
            return;
        QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    } else if (m_pointer == Hourglass) {
        QApplication::restoreOverrideCursor();
    }
    m_pointer = pointer == Hourglass ? Hourglass : Default;
}

QString DesktopAppInfo::Path() const
{
    return QCoreApplication::applicationDirPath();
}

QString DesktopAppInfo::DataPath() const
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

QString DesktopAppInfo::Title() const
{
    return QCoreApplication::applicationName();
}

void DesktopAppInfo::End()
{
    QCoreApplication::exit(0);
}
