#include "platform/api/openquestion.h"

namespace OpenQuestion {

namespace {

int openQuestions = 0;

} // namespace

Asking::Asking()
{
    ++openQuestions;
}

Asking::~Asking()
{
    --openQuestions;
}

bool isAsking()
{
    return openQuestions > 0;
}

} // namespace OpenQuestion
