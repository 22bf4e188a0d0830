// The rotation tables of the rotating sprite modes, one set for the whole program.
//
// sinTable[i] and cosTable[i] hold the sine and cosine of i * 360/256 degrees in fixed point (1024 = 1.0),
// read from "sintab.dat" (512 little-endian int32: 256 sines, then 256 cosines). rotationStartU/V hold,
// per angle, the texture coordinate (10 fraction bits) where a rotated box's walk starts, for the
// texture size given last to loadSineTable: every rotating sprite uses the size of the one built last.
// With these signs angle 0 shows the texture turned half a turn: the box's walk starts at its bottom-right
// pixel with texture row 0 and, going left and up, the texture columns and rows increase.
#pragma once

#include <cstdint>
#include <string>

extern int32_t sinTable[256];
extern int32_t cosTable[256];
extern int32_t rotationStartU[256];
extern int32_t rotationStartV[256];
extern bool rotationTablesLoaded;

constexpr const char* kSineTableFile = "sintab.dat";

// Reads "sintab.dat" from the working directory and builds the start tables for a w x h texture.
// A missing or short file is fatal ("Can't read sintab.dat", caption "Error", exit status 0), with a
// line naming the file and the cause: the table is never read from garbage.
void loadSineTable(int w, int h);
