#pragma once

class QProgressBar;
class QRect;
class QWidget;

// The thin strip along the bottom of the player and the viewer that shows how far playback or the
// list has got: positions 0 to kProgressStripMax, a green bar, no text, hidden at creation.
constexpr int kProgressStripMax = 1000;

QProgressBar* MakeProgressStrip(QWidget* parent);
// Its height on a screen of the given height.
int ProgressStripHeight(int screenHeight);
// Puts the strip along the bottom of its parent; returns the part of the parent above it, which is
// the whole parent while the strip is hidden.
QRect PlaceProgressStrip(QProgressBar& strip);
