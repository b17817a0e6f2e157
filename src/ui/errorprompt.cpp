#include "errorprompt.h"

QString errorPrompt(const QString &name, int number, const QString &description)
{
    return name + QStringLiteral("\r\n") + QString::number(number) + QStringLiteral("     ")
        + description;
}
