#pragma once

class Panel;

// The selection a screen keeps over its panels, and the mouse handlers every such screen shares:
// a press shows the panel pressed and selects it, the release shows it released. What a click
// does is the screen's own Panel_Click. The panels' parent is the one their highlight recolours.
class PanelSelection {
public:
    int PrevTag = 101;
    int CurTag = 100;

    void Panel_MouseDown(Panel& panel);
    void Panel_MouseUp(Panel& panel);
    virtual void Panel_Click(Panel& panel) = 0;

protected:
    PanelSelection() = default;
    ~PanelSelection() = default;
    // Hands the panel's mouse events to the three handlers.
    void BindPanel(Panel& panel);
};
