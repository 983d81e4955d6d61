#pragma once

class QWidget;

// Start-up measurement hook for bench/run: when the environment variable
// COUCHFRAME_REPORT_FIRST_PAINT is "1", prints "couchframe-first-paint SECONDS" (CLOCK_MONOTONIC)
// to stderr once the window has been painted and handed to the window system for the first time.
// Without the variable nothing is installed and nothing is printed.
void ReportFirstPaintWhenAsked(QWidget* window);
