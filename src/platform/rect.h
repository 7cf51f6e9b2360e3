#pragma once
// A rectangle with the exclusive right and bottom edges of the original
// arithmetic (Qt's QRect makes them inclusive).
struct RECT
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const RECT&) const = default;
};
