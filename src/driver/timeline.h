// The show's fixed table of scenes: which scene runs from which moment of
// the wall clock.
#pragma once

#include <cstdint>

#include "display/screen.h"

using SceneInit = void (*)();
using SceneUpdate = void (*)(int32_t t, Screen& screen);

struct SceneEntry {
    SceneInit init;  // null only in the sentinel row
    SceneUpdate update;
    int32_t start_ms;  // of the wall clock; the next row's start ends the window
};

inline constexpr int show_scene_rows = 13;
inline constexpr int32_t sentinel_start_ms = 999999;

// Thirteen scene rows in ascending start time, then the sentinel.
extern const SceneEntry show_timeline[show_scene_rows + 1];

// The scene_init of rows that upload nothing.
void empty_init();

// Rows before the first row whose init is null.
int count_scene_rows(const SceneEntry* timeline);

// Index of the scene row whose window holds clock_ms (lower bound
// inclusive, upper exclusive, signed compares), or -1 before the first row
// and from the sentinel's start on.
int timeline_row_at(const SceneEntry* timeline, int scene_rows, int32_t clock_ms);
