// Layout arithmetic of the main window, from the creation geometry of its controls.
#include <gtest/gtest.h>

#include <map>

#include "app/ControlIds.h"
#include "app/Layout.h"

namespace kestrap {
namespace {

constexpr int ClientWidth = 315;
constexpr int ClientHeight = 234;

const std::map<int, Rect> Created = {
    {IDC_RESULTS_FILE_LABEL, {6, 7, 44, 10}}, {IDC_RESULTS_FILE, {50, 5, 85, 140}},
    {IDC_LOAD, {140, 5, 35, 15}},             {IDC_SAVE, {180, 5, 35, 15}},
    {IDC_SEARCH, {255, 5, 55, 15}},           {IDC_RESULTS_LIST, {5, 25, 305, 65}},
    {IDC_CITIES_LABEL, {5, 95, 70, 10}},      {IDC_CITIES, {5, 105, 180, 78}},
    {IDC_TERMS_LABEL, {190, 95, 70, 10}},     {IDC_TERMS, {190, 105, 120, 78}},
    {IDC_STATUS1, {5, 190, 305, 10}},         {IDC_STATUS2, {5, 200, 305, 10}},
    {IDC_STATUS3, {5, 210, 305, 10}},         {IDC_PROGRESS, {5, 220, 305, 10}},
};

std::map<int, LayoutRecord> CaptureAll() {
    std::map<int, LayoutRecord> records;
    for (const auto& [id, rect] : Created) {
        LayoutRecord record = InitialLayoutRecord(id);
        CaptureControl(record, rect, ClientWidth, ClientHeight);
        records[id] = record;
    }
    return records;
}

Rect Place(const LayoutRecord& record, int width, int height) {
    return PlaceControl(record, ClientWidth, ClientHeight, width, height);
}

void ExpectRect(const Rect& actual, const Rect& expected, const char* what) {
    EXPECT_EQ(actual.x, expected.x) << what;
    EXPECT_EQ(actual.y, expected.y) << what;
    EXPECT_EQ(actual.w, expected.w) << what;
    EXPECT_EQ(actual.h, expected.h) << what;
}

TEST(Layout, WiderBy40AndHigherBy20) {
    auto records = CaptureAll();
    auto at = [&](int id) { return Place(records[id], ClientWidth + 40, ClientHeight + 20); };
    ExpectRect(at(IDC_RESULTS_LIST), {5, 25, 345, 85}, "list");
    ExpectRect(at(IDC_SEARCH), {295, 5, 55, 15}, "search");
    ExpectRect(at(IDC_CITIES), {5, 125, 180, 78}, "cities");
    ExpectRect(at(IDC_TERMS), {190, 125, 160, 78}, "terms");
    ExpectRect(at(IDC_PROGRESS), {5, 240, 345, 10}, "progress");
    ExpectRect(at(IDC_STATUS1), {5, 210, 305, 10}, "status1");
    ExpectRect(at(IDC_STATUS3), {5, 230, 305, 10}, "status3");
    ExpectRect(at(IDC_CITIES_LABEL), {5, 115, 70, 10}, "cities label");
    for (int id : {IDC_RESULTS_FILE_LABEL, IDC_RESULTS_FILE, IDC_LOAD, IDC_SAVE})
        ExpectRect(at(id), Created.at(id), "top row");
}

TEST(Layout, BackToInitialSizeIsExactAfterAnyResizes) {
    auto records = CaptureAll();
    const int sizes[][2] = {{316, 235}, {0, 0}, {1001, 17}, {333, 999}, {317, 233}};
    for (const auto& size : sizes)
        for (const auto& [id, record] : records) Place(record, size[0], size[1]);
    for (const auto& [id, record] : records)
        ExpectRect(Place(record, ClientWidth, ClientHeight), Created.at(id), "initial");
}

TEST(Layout, EachStepRoundsItsSumHalfToEven) {
    LayoutRecord grow{LAYOUT_GROW_WIDTH, 0, 0, 10, 5, 50, 100};
    EXPECT_EQ(PlaceControl(grow, 100, 100, 103, 100).w, 12);  // 11.5
    grow.originWidth = 11;
    EXPECT_EQ(PlaceControl(grow, 100, 100, 103, 100).w, 12);  // 12.5
    grow.originWidth = 10;
    EXPECT_EQ(PlaceControl(grow, 100, 100, 97, 100).w, 8);    // 8.5
    grow.originWidth = 11;
    EXPECT_EQ(PlaceControl(grow, 100, 100, 97, 100).w, 10);   // 9.5

    LayoutRecord center{LAYOUT_CENTER_X | LAYOUT_CENTER_Y, 0, 0, 10, 11, 100, 100};
    Rect centred = PlaceControl(center, 315, 234, 315, 234);
    EXPECT_EQ(centred.x, 152);  // 152.5
    EXPECT_EQ(centred.y, 112);  // 111.5

    // centring uses the grown width, then a move adds its own share
    LayoutRecord both{LAYOUT_GROW_WIDTH | LAYOUT_CENTER_X | LAYOUT_MOVE_X, 0, 0, 10, 5, 50, 100};
    Rect placed = PlaceControl(both, 100, 100, 101, 100);
    EXPECT_EQ(placed.w, 10);  // 10.5
    EXPECT_EQ(placed.x, 46);  // centred at 45.5 -> 46, moved to 46.5 -> 46
}

TEST(Layout, ControlWithoutFlagsMovesByTheWholeChange) {
    LayoutRecord record = InitialLayoutRecord(4242);
    EXPECT_EQ(record.flags, 0u);
    CaptureControl(record, {20, 30, 40, 50}, 315, 234);
    EXPECT_EQ(record.flags, uint32_t{LAYOUT_MOVE_X | LAYOUT_MOVE_Y});
    EXPECT_EQ(record.widthPercent, 100);
    EXPECT_EQ(record.heightPercent, 100);
    ExpectRect(PlaceControl(record, 315, 234, 300, 264), {5, 60, 40, 50}, "moved");
}

TEST(PixelsToDialogUnits, HalvesGoUp) {
    EXPECT_EQ(PixelsToDialogUnits(3, 2048), 2);     // 1.5
    EXPECT_EQ(PixelsToDialogUnits(5, 2048), 3);     // 2.5
    EXPECT_EQ(PixelsToDialogUnits(7, 3072), 2);     // 2.33
    EXPECT_EQ(PixelsToDialogUnits(473, 1536), 315); // 315.33
    EXPECT_EQ(PixelsToDialogUnits(-3, 2048), -1);   // -1.5
    EXPECT_EQ(PixelsToDialogUnits(0, 1536), 0);
    EXPECT_EQ(PixelsToDialogUnits(10, 0), 0);
}

}  // namespace
}  // namespace kestrap
