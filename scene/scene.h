// Scene drawing. Every routine draws relative to the current modelview matrix,
// in scene units on and around the plane z = 0.
#pragma once

// Axis gizmo length used by the frame, scene units.
constexpr float kAxisLength = 0.5f;

// One whole frame: clear, gizmo, road, both cars with the posts, flush, swap.
// Leaves the modelview matrix as it found it.
void drawFrame();

// Red x, green y and blue z axes, each with a solid arrow head of its positive
// end at `length`; `full` non-zero draws each shaft from -length. Changes no
// matrix; leaves blue current and fill as the polygon mode.
void drawAxes(float length, int full);

// Three white road lines in the road's own 2-D coordinates; leaves its scale
// on the matrix and white as the current colour.
void drawRoad();

// A wire box of edges size*sx x size*sy x size*sz, centred at (tx, ty) plus
// (ox, oy) turned by `angle` degrees about z. Leaves its placement on the matrix.
void drawBox(float tx, float ty, float angle, float ox, float oy, float sx, float sy, float sz, float size);

// The first car: six boxes at the origin of the road's centre line.
void drawCar1();

// The second car, 1.5 units along +x, and the two posts.
void drawCar2();
