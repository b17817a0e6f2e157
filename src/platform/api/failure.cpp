#include "platform/api/failure.h"

Q_LOGGING_CATEGORY(lcSkipped, "kestrav.skipped", QtInfoMsg)
