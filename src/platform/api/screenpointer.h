#pragma once

// The application-wide mouse pointer (Screen.MousePointer).
class ScreenPointer
{
public:
    static constexpr int Default = 0;
    static constexpr int Hourglass = 11;

    virtual ~ScreenPointer() = default;
    virtual void setMousePointer(int pointer) = 0;
    virtual int mousePointer() const = 0;
};

// The hourglass while a command works, and the default pointer again when the command ends,
// by a failure too.
class BusyPointer
{
public:
    explicit BusyPointer(ScreenPointer &pointer)
        : m_pointer(pointer)
    {
        m_pointer.setMousePointer(ScreenPointer::Hourglass);
    }
    ~BusyPointer()
    {
        try {
            m_pointer.setMousePointer(ScreenPointer::Default);
        } catch (...) {
            // The command has ended either way; a pointer that cannot be set is not news.
        }
    }
    BusyPointer(const BusyPointer &) = delete;
    BusyPointer &operator=(const BusyPointer &) = delete;

private:
    ScreenPointer &m_pointer;
};
