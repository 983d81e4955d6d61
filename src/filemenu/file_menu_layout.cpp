#include "filemenu/file_menu_layout.h"

FileMenuLayout ComputeFileMenuLayout(int screenWidth, int screenHeight) {
    FileMenuLayout layout;
    layout.gap = screenHeight / 120;
    layout.rowHeight = 9 * layout.gap;
    layout.rowWidth = (screenWidth / 20) * 19;
    layout.left = (screenWidth / 20) / 2;
    layout.titleTop = (screenHeight - 12 * layout.rowHeight - 11 * layout.gap) / 2;
    layout.hintsTop = layout.titleTop + 11 * (layout.rowHeight + layout.gap);
    layout.fontHeight = 12 - layout.rowHeight;
    layout.nextLeft = screenWidth - kNextRightMargin - kNextWidth;
    return layout;
}
