// Shape run descriptions: each row, then each column, of a zone density grid
// (one count 0..15 per cell) as a list of dark and light runs.
//
// Layout (little-endian): u32 total length; u8 columns; u8 rows; u8 darkness
// percentage; u8 0; then one line list per row (top to bottom) and per column
// (left to right). A line list: u8 its length (4 + 4 x runs), three 0 bytes,
// then per run: dark flag (1/0), centre and length in eighths of a cell, and
// the line's index x 8 (each byte modulo 256). A cell of 8 or more is dark.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr int kRunGridMaxSide = 32;
constexpr int kRunDescriptionHeaderBytes = 8;

// Room that always holds the description of a cols x rows grid.
size_t ShapeRunDescriptionMaxBytes(int cols, int rows);

// Pulls the grid's darkness percentage toward target (0..100) by a uniform
// shift of the cells valued 1..14; within 5 points nothing changes.
void AdjustGridDarkness(uint8_t* grid, int cols, int rows, int target);

// Writes the description of the grid to out (room for
// ShapeRunDescriptionMaxBytes); target -1 takes the measured darkness,
// 0..100 first adjusts the grid in place. Returns 1, or 0 (nothing written)
// for a side outside 1..32 or a target outside -1..100.
int BuildShapeRunDescription(uint8_t* grid, int cols, int rows, int target, uint8_t* out);

// The grid's darkness: sum of the cells x 100 / (cells x 15).
int GridDarknessPercent(const uint8_t* grid, int cols, int rows);
