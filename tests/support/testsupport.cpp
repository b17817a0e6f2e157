#include "testsupport.h"

#include <QStandardPaths>

TestSandbox::TestSandbox()
{
    QStandardPaths::setTestModeEnabled(true);
}
