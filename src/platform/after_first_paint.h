#pragma once

#include <functional>

class QWidget;

// Runs work once, after the window (or a child of it) has been painted and handed to the window
// system for the first time: what the first look does not need waits until the screen is up. The
// work is dropped if the window goes first.
void AfterFirstPaint(QWidget* window, std::function<void()> work);
