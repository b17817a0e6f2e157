#pragma once

// Whether the user is being asked something now. A question is modal for the whole program,
// so this is the program's state: the questions, a page's own dialogs and the print preview
// mark themselves open with Asking, so that they wait for each other.
namespace OpenQuestion {

// Marks a question as open for as long as it lives.
class Asking
{
public:
    Asking();
    ~Asking();
    Asking(const Asking &) = delete;
    Asking &operator=(const Asking &) = delete;
};

// Whether a question is open now, anywhere in the program.
bool isAsking();

} // namespace OpenQuestion
