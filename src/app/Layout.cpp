#include "app/Layout.h"

#include <cstdint>

#include "app/ControlIds.h"

namespace kestrap {

namespace {

// numerator / denominator (denominator > 0) to the nearest integer, exact halves to even;
// integer arithmetic keeps the halves exact
int DivideRoundHalfEven(int64_t numerator, int64_t denominator) {
    int64_t quotient = numerator / denominator;
    int64_t remainder = numerator % denominator;
    if (remainder < 0) {
        --quotient;
        remainder += denominator;
    }
    int64_t twice = 2 * remainder;
    if (twice > denominator || (twice == denominator && quotient % 2 != 0)) ++quotient;
    return static_cast<int>(quotient);
}

// value + change * percent / 100, rounded as one sum
int AddShare(int value, int change, int percent) {
    return DivideRoundHalfEven(int64_t{value} * 100 + int64_t{change} * percent, 100);
}

}  // namespace

LayoutRecord InitialLayoutRecord(int controlId) {
    LayoutRecord record;
    switch (controlId) {
    case IDC_RESULTS_FILE_LABEL:
    case IDC_RESULTS_FILE:
    case IDC_LOAD:
    case IDC_SAVE:
        record.flags = LAYOUT_LEFT | LAYOUT_TOP;
        break;
    case IDC_RESULTS_LIST:
        record.flags = LAYOUT_GROW_WIDTH | LAYOUT_GROW_HEIGHT;
        break;
    case IDC_SEARCH:
        record.flags = LAYOUT_RIGHT | LAYOUT_TOP;
        break;
    case IDC_CITIES:
    case IDC_CITIES_LABEL:
    case IDC_TERMS_LABEL:
    case IDC_STATUS1:
    case IDC_STATUS2:
    case IDC_STATUS3:
        record.flags = LAYOUT_LEFT | LAYOUT_BOTTOM;
        break;
    case IDC_TERMS:
        record.flags = LAYOUT_BOTTOM | LAYOUT_GROW_WIDTH;
        record.widthPercent = 100;
        record.heightPercent = 50;
        break;
    case IDC_PROGRESS:
        record.flags = LAYOUT_BOTTOM | LAYOUT_GROW_WIDTH;
        break;
    default:
        break;
    }
    return record;
}

void CaptureControl(LayoutRecord& record, Rect atCapture, int clientWidth, int clientHeight) {
    if (record.flags == 0) {
        record.flags = LAYOUT_MOVE_X | LAYOUT_MOVE_Y;
        record.widthPercent = 100;
        record.heightPercent = 100;
    }
    int x = atCapture.x;
    int y = atCapture.y;
    // right- and bottom-anchored controls keep their margin instead of their position
    if (record.flags & LAYOUT_RIGHT) x = clientWidth - atCapture.w - x;
    if (record.flags & LAYOUT_BOTTOM) y = clientHeight - atCapture.h - y;
    record.originX = x;
    record.originY = y;
    record.originWidth = atCapture.w;
    record.originHeight = atCapture.h;
    if (record.widthPercent == 0 && record.heightPercent == 0) {
        record.widthPercent = 100;
        record.heightPercent = 100;
    }
}

Rect PlaceControl(const LayoutRecord& record, int originClientWidth, int originClientHeight,
                  int clientWidth, int clientHeight) {
    const int dW = clientWidth - originClientWidth;
    const int dH = clientHeight - originClientHeight;
    const uint32_t flags = record.flags;
    Rect r{record.originX, record.originY, record.originWidth, record.originHeight};
    if (flags & LAYOUT_GROW_WIDTH) r.w = AddShare(r.w, dW, record.widthPercent);
    if (flags & LAYOUT_GROW_HEIGHT) r.h = AddShare(r.h, dH, record.heightPercent);
    if (flags & LAYOUT_CENTER_X) r.x = DivideRoundHalfEven(int64_t{clientWidth} - r.w, 2);
    if (flags & LAYOUT_CENTER_Y) r.y = DivideRoundHalfEven(int64_t{clientHeight} - r.h, 2);
    if (flags & LAYOUT_MOVE_X) r.x = AddShare(r.x, dW, record.widthPercent);
    if (flags & LAYOUT_MOVE_Y) r.y = AddShare(r.y, dH, record.heightPercent);
    if (flags & LAYOUT_RIGHT) r.x = clientWidth - r.w - r.x;
    if (flags & LAYOUT_BOTTOM) r.y = clientHeight - r.h - r.y;
    return r;
}

int PixelsToDialogUnits(int pixels, int pixelsPer1024) {
    if (pixelsPer1024 <= 0) return 0;
    // floor(pixels * 1024 / p + 1/2), as one integer division
    int64_t numerator = int64_t{pixels} * 2048 + pixelsPer1024;
    int64_t denominator = int64_t{pixelsPer1024} * 2;
    int64_t quotient = numerator / denominator;
    if (numerator % denominator != 0 && numerator < 0) --quotient;
    return static_cast<int>(quotient);
}

}  // namespace kestrap
