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
