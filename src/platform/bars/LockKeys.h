#pragma once

// The state of the keyboard's lock keys, as far as the windowing system tells it.
struct LockKeyState {
    bool known = false;
    bool capsLock = false;
    bool numLock = false;
    bool scrollLock = false;
};

LockKeyState currentLockKeys();
