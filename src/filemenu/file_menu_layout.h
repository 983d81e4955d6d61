#pragma once

// The folder list screen's geometry from the screen size, in integer arithmetic: twelve rows of
// height h (title, ten entry rows, the hint labels) centred vertically, gap u apart.
struct FileMenuLayout {
    int gap = 0;        // u
    int rowHeight = 0;  // h
    int rowWidth = 0;   // w
    int left = 0;       // x
    int titleTop = 0;   // t
    int hintsTop = 0;   // top of [Prev], [Next] and "[Clear] Go to Main"
    int fontHeight = 0; // 12 - h: negative, the characters are h - 12 pixels high
    int nextLeft = 0;   // [Next] keeps its right end 11 pixels from the screen's right edge

    // Top of row panel k (1..10).
    int RowTop(int k) const { return titleTop + k * (rowHeight + gap); }
};

constexpr int kPrevLeft = 16;
constexpr int kPrevWidth = 601;
constexpr int kNextWidth = 605;
constexpr int kNextRightMargin = 11;

FileMenuLayout ComputeFileMenuLayout(int screenWidth, int screenHeight);
