#include "ui/panel_selection.h"

#include "ui/panel.h"

void PanelSelection::Panel_MouseDown(Panel& panel) {
    PrevTag = CurTag;
    const int tag = PressPanel(panel);
    if (tag >= 100) {
        CurTag = tag;
        HighlightPanel(panel.parentWidget(), PrevTag, tag);
    }
}

void PanelSelection::Panel_MouseUp(Panel& panel) {
    const int tag = ReleasePanel(panel);
    if (tag >= 100)
        CurTag = tag;
}

void PanelSelection::BindPanel(Panel& panel) {
    panel.onMouseDown = [this](Panel& p) { Panel_MouseDown(p); };
    panel.onMouseUp = [this](Panel& p) { Panel_MouseUp(p); };
    panel.onClick = [this](Panel& p) { Panel_Click(p); };
}
