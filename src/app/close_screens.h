#pragma once

class ScreenStack;

// Closes every open screen, topmost first, the way Esc closes each (so each writes its
// preferences), then the main menu itself. Modal boxes and dialogs over a screen are cancelled
// first. Steps run from the event loop, so each dialog's own modal run has ended before the next.
void CloseEveryScreen(ScreenStack& window);
