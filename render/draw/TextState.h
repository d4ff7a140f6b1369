#pragma once
// The device state of text output: the current call's text position and the device-font
// values that the realization computes and the string writers read.
#include "platform/WinTypes.h"

struct TextState {
    POINTL Position;          // text position of the current character; (-1, -1) at a call's start
};
