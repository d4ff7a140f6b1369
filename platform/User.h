#pragma once
// The user side of the platform: window classes, windows, per-thread message queues, timers,
// dialogs built from binary templates, menus, accelerators, icons and cursors, monitors and
// system metrics, and the rectangle helpers.
//
// Windows belong to the thread that created them. A window procedure runs on that thread
// only: SendMessageW from another thread waits until the owner pumps (GetMessageW,
// PeekMessageW or a SendMessageW of its own), PostMessageW queues. Handles of destroyed
// windows are never reused; calls on them fail with ERROR_INVALID_WINDOW_HANDLE.
//
// Screen geometry, metrics and monitors come from the stand-in's settings
// (platform/StandInUi.h); nothing is ever shown on a display. The drawing side (device
// contexts, GDI objects, BeginPaint/EndPaint), the built-in control classes, MessageBoxW and
// MessageBeep are the controls family's work; they are declared with the window side where it
// refers to them.
//
// The declarations live in one header per part; this one brings them all in.
#include "platform/UserTypes.h"
#include "platform/UserMessages.h"
#include "platform/UserStyles.h"
#include "platform/UserWindows.h"
#include "platform/UserDialogs.h"
#include "platform/UserMenus.h"
#include "platform/UserResources.h"
#include "platform/UserAtoms.h"
