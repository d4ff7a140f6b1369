#pragma once
// The device state of path, clip and rectangle output: what one path call leaves for the
// next piece of the same hook, and the clip path the printer holds.
#include "platform/WinTypes.h"

/// One point of the stored clip path: page dots (the FIX coordinates shifted right by 4).
struct StoredClipPoint {
    SHORT x;
    SHORT y;
};

struct VectorState {
    DWORD Operation;          // 1 stroke, 2 fill, 3 fill and stroke, 4 stroke with a closed figure
    DWORD OutlineFlag;        // 0 or 1
    RECTL ClipPiece;          // clip rectangle of the current piece (right, bottom exclusive)
    RECTL RectangleResult;    // what DetectRectangle found
    BYTE ClipSent;            // DetectRectangle sent the clip piece itself
    BYTE ClipEnumEnded;       // the engine handed the last clip rectangle; the next call ends the loop
    /// The clip path the printer holds (Draw.ClipPathPoints points), on the device's
    /// allocation chain; NULL when none is stored.
    StoredClipPoint* ClipPathBlock;
};
