#pragma once
// The layout of a picture in a pane.
#include "platform/rect.h"

// src fitted into dst: unchanged when smaller both ways, otherwise scaled
// keeping its proportions and centred along the free direction; then shrunk
// by margin on every side.
void FitRect(RECT& out, const RECT& src, const RECT& dst, int margin);
