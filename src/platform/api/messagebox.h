#pragma once

#include <QString>

// Modal message box: OK button only, no icon, the application's title.
class MessageBox
{
public:
    virtual ~MessageBox() = default;
    virtual void MsgBox(const QString &prompt) = 0;
};
