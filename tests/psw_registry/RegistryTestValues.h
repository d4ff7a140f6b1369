#pragma once
// Values shared by the status window's registry tests.

/// The per-user settings key of the tests' printer P1.
inline constexpr char16_t kUserKey[] = u"Software\\ZEV\\Stanvel\\P1\\PSW";
