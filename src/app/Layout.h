#pragma once
// Anchoring of the main window's controls: records captured once, placements computed
// afresh from them on every resize. All values are dialog units; no Win32 in here.
#include <cstdint>

namespace kestrap {

enum LayoutFlags : uint32_t {
    LAYOUT_GROW_WIDTH = 0x0002,
    LAYOUT_GROW_HEIGHT = 0x0004,
    LAYOUT_MOVE_X = 0x0008,
    LAYOUT_MOVE_Y = 0x0010,
    LAYOUT_CENTER_X = 0x0020,
    LAYOUT_CENTER_Y = 0x0040,
    LAYOUT_TOP = 0x0400,
    LAYOUT_BOTTOM = 0x0800,
    LAYOUT_LEFT = 0x1000,
    LAYOUT_RIGHT = 0x2000,
};

struct Rect {
    int x = 0, y = 0, w = 0, h = 0;
};

struct LayoutRecord {
    uint32_t flags = 0;
    int originX = 0, originY = 0, originWidth = 0, originHeight = 0;
    int widthPercent = 0, heightPercent = 0;
};

// The flags and percentages that the main window gives a control (0 for unknown ids).
LayoutRecord InitialLayoutRecord(int controlId);

// Records a control's geometry at capture time (flags 0 become MOVE_X | MOVE_Y).
void CaptureControl(LayoutRecord& record, Rect atCapture, int clientWidth, int clientHeight);

// Where a control goes for the current client size.
Rect PlaceControl(const LayoutRecord& record, int originClientWidth, int originClientHeight,
                  int clientWidth, int clientHeight);

// pixels to dialog units: v * 1024 / pixelsPer1024, halves up
int PixelsToDialogUnits(int pixels, int pixelsPer1024);

}  // namespace kestrap
