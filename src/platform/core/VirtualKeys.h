#pragma once

class QKeyEvent;

// Key codes and modifier masks in the classic numbering that the key handlers use.
namespace vk
{
constexpr int Back = 8;
constexpr int Tab = 9;
constexpr int Return = 13;
constexpr int ShiftKey = 16;
constexpr int ControlKey = 17;
constexpr int Menu = 18;
constexpr int Escape = 27;
constexpr int Space = 32;
constexpr int Prior = 33;
constexpr int Next = 34;
constexpr int End = 35;
constexpr int Home = 36;
constexpr int Left = 37;
constexpr int Up = 38;
constexpr int Right = 39;
constexpr int Down = 40;
constexpr int Insert = 45;
constexpr int Delete = 46;
constexpr int F1 = 112;
constexpr int F3 = 114;

constexpr int ShiftMask = 1;
constexpr int CtrlMask = 2;
constexpr int AltMask = 4;

// The key code of a Qt key event (letters as capitals, digits as themselves), 0 if it has none.
int keyCode(const QKeyEvent& event);
// The modifier mask of a Qt key event.
int shiftState(const QKeyEvent& event);
} // namespace vk
