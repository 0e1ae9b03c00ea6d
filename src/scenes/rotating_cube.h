// Timeline row 11: a wire-frame cube, pushed off its centre of rotation and
// wobbling, turning about two axes in perspective on a 20x16 pixel grid. It
// builds up edge by edge: four at first, one more each second, all twelve
// from 8000 ms.
#pragma once

#include <cstdint>

#include "display/screen.h"
#include "fx/four_sub_rows.h"

inline constexpr int cube_vertex_count = 8;
inline constexpr int cube_edge_count = 12;
inline constexpr int32_t rotating_cube_out_start_ms = 29500;

struct CubeVertex {
    float x;
    float y;
    float z;
};

// Indices into cube_vertices; each edge is drawn from `from` to `to`.
struct CubeEdge {
    int32_t from;
    int32_t to;
};

extern const CubeVertex cube_vertices[cube_vertex_count];
extern const CubeEdge cube_edges[cube_edge_count];

// Uploads sub_row_glyphs.
void rotating_cube_init();

// Draws the frame for t: the cube's lines on a grid, mapped onto glyphs,
// then the entry and exit wipes.
void rotating_cube_update(int32_t t, Screen& screen);

// The eight vertices at t in grid columns and rows, possibly off the grid.
void rotating_cube_project(int32_t t, GridPoint points[cube_vertex_count]);

// How many edges, from the first of cube_edges, are drawn at t.
int rotating_cube_edges_shown(int32_t t);

// The cube's lines at t on a cleared grid.
void rotating_cube_draw(int32_t t, PixelGrid& grid);
