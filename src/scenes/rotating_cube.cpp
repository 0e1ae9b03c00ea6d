#include "scenes/rotating_cube.h"

#include "display/display_link.h"
#include "fx/line_tracer.h"
#include "fx/precision.h"
#include "fx/wipes.h"

namespace {

// Milliseconds per radian of the two turns and of the two wobbles.
constexpr double rotating_cube_turn_x_ms = 500.0;
constexpr double rotating_cube_turn_y_ms = 700.0;
constexpr double rotating_cube_wobble_x_ms = 195.0;
constexpr double rotating_cube_wobble_y_ms = 240.0;

// Model space: the unit cube scaled, pushed off the centre of rotation and
// wobbled by up to this much.
constexpr double rotating_cube_scale = 10.0;
constexpr double rotating_cube_offset_x = -3.0;
constexpr double rotating_cube_offset_y = -4.0;
constexpr double rotating_cube_wobble_x = 3.0;
constexpr double rotating_cube_wobble_y = 4.0;

// Perspective: the eye looks from 40 units away; the divisor is negative
// (the cube never reaches within 14 units of the eye), which mirrors both
// axes onto the grid around its centre.
constexpr double rotating_cube_eye_distance = 40.0;
constexpr double rotating_cube_focal_x = 25.0;
constexpr double rotating_cube_focal_y = 20.0;
constexpr int32_t rotating_cube_centre_x = grid_columns / 2;  // 10
constexpr int32_t rotating_cube_centre_y = grid_rows / 2;     // 8

// Four edges (the face z = -1) at first, one more every second.
constexpr int rotating_cube_first_edges = 4;
constexpr int32_t rotating_cube_edge_ms = 1000;
constexpr int32_t rotating_cube_all_edges_ms =
    (cube_edge_count - rotating_cube_first_edges) * rotating_cube_edge_ms;  // 8000

}  // namespace

void rotating_cube_init() {
    upload_glyph_set(sub_row_glyphs);
}

void rotating_cube_update(int32_t t, Screen& screen) {
    fill_screen(screen, blank_code);
    PixelGrid grid;
    rotating_cube_draw(t, grid);
    map_four_sub_rows(grid, screen);
    wipe_in(screen, t);
    wipe_out(screen, t, rotating_cube_out_start_ms);
}

void rotating_cube_draw(int32_t t, PixelGrid& grid) {
    clear_grid(grid);
    GridPoint points[cube_vertex_count];
    rotating_cube_project(t, points);
    const int shown = rotating_cube_edges_shown(t);
    for (int e = 0; e < shown; ++e) {
        const GridPoint from = points[cube_edges[e].from];
        const GridPoint to = points[cube_edges[e].to];
        draw_line(from.x, from.y, to.x, to.y, grid);
    }
}

void rotating_cube_project(int32_t t, GridPoint points[cube_vertex_count]) {
    // Angles, sines, cosines and coordinates are single precision; every
    // product and sum between them is widened to double first (in single
    // precision the points would move).
    const float tf = static_cast<float>(t);
    const float sa = sin_single(tf / rotating_cube_turn_x_ms);
    const float ca = cos_single(tf / rotating_cube_turn_x_ms);
    const float sb = sin_single(tf / rotating_cube_turn_y_ms);
    const float cb = cos_single(tf / rotating_cube_turn_y_ms);
    const double wx = rotating_cube_wobble_x * cos_single(tf / rotating_cube_wobble_x_ms);
    const double wy = rotating_cube_wobble_y * sin_single(tf / rotating_cube_wobble_y_ms);
    for (int v = 0; v < cube_vertex_count; ++v) {
        const CubeVertex& vertex = cube_vertices[v];
        const float x =
            static_cast<float>(rotating_cube_scale * vertex.x + rotating_cube_offset_x + wx);
        const float y =
            static_cast<float>(rotating_cube_scale * vertex.y + rotating_cube_offset_y + wy);
        const float z = static_cast<float>(rotating_cube_scale * vertex.z);
        // Turn about the x axis by A, then about the y axis by B.
        const float y1 = static_cast<float>(double{y} * ca + double{z} * sa);
        const float z1 = static_cast<float>(double{z} * ca - double{y} * sa);
        const float x2 = static_cast<float>(double{x} * cb + double{z1} * sb);
        const float z2 = static_cast<float>(double{z1} * cb - double{x} * sb);
        const double depth = double{z2} - rotating_cube_eye_distance;
        points[v].x = truncate_to_int(rotating_cube_focal_x * x2 / depth) + rotating_cube_centre_x;
        points[v].y = truncate_to_int(rotating_cube_focal_y * y1 / depth) + rotating_cube_centre_y;
    }
}

int rotating_cube_edges_shown(int32_t t) {
    // (t + 4000) / 1000 truncated, at most 12; the bounds are tested first
    // so that no t overflows the sum. The timeline never gives a negative
    // t; one would show fewer edges, down to none.
    constexpr int32_t lead_ms = rotating_cube_first_edges * rotating_cube_edge_ms;
    if (t >= rotating_cube_all_edges_ms) return cube_edge_count;
    if (t <= -lead_ms) return 0;
    return (t + lead_ms) / rotating_cube_edge_ms;
}

// clang-format off
const CubeVertex cube_vertices[cube_vertex_count] = {
    {-1, -1, -1},  // 0
    {-1,  1, -1},  // 1
    { 1,  1, -1},  // 2
    { 1, -1, -1},  // 3
    {-1, -1,  1},  // 4
    {-1,  1,  1},  // 5
    { 1,  1,  1},  // 6
    { 1, -1,  1},  // 7
};

// Drawing order: the face z = -1, the face z = 1, then the four joins.
const CubeEdge cube_edges[cube_edge_count] = {
    {0, 1}, {1, 2}, {2, 3}, {3, 0},
    {4, 5}, {5, 6}, {6, 7}, {7, 4},
    {0, 4}, {3, 7}, {1, 5}, {2, 6},
};
// clang-format on
