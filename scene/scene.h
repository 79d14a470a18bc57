// Scene drawing. Every routine draws relative to the current modelview matrix,
// in scene units on and around the plane z = 0.
#pragma once

#include "app/view_state.h"

// Axis gizmo length used by the frame, scene units.
constexpr float kAxisLength = 0.5f;

// One whole frame: clear, an exercise's faint target if one is under way,
// the gizmo, the road, both cars with the posts, the eye's inset if shown,
// then the text (the exercise's and the matrices') handed to the platform to
// show (app/platform.h), flush, swap. Leaves the modelview matrix as it found it.
void drawFrame();

// For drawing over the frame: pushes both matrices and loads the identity
// into both, leaving GL_MODELVIEW current; popBothMatrices undoes it.
void pushBothMatrices();
void popBothMatrices();

// The scene's pieces under the current modelview matrix: the gizmo if shown,
// the road, both cars and the posts. Leaves the matrix as it found it.
void drawScene();
void drawRoadCarsAndPosts();  // all but the gizmo

// The view as text: the projection as set, sceneOffset and the modelview
// matrix as four rows the way it reads on paper (row i holds elements i, i+4,
// i+8 and i+12 of the column-major array), in aligned columns of fixed
// decimals, never "-0.000"; then the last move: a title naming what made it
// and the product that made the modelview matrix from the one before, M, on
// one line or, where it is long, two.
constexpr int kViewTextLines = 14;
constexpr int kViewTextColumns = 72;  // room for each line and its end
constexpr int kViewTextWidth = 61;    // columns the widest line fills (488 pixels); the page's text is as wide
struct ViewText {
  char lines[kViewTextLines][kViewTextColumns];
};
void formatViewText(const ViewState& state, const float modelview[16], ViewText* text);
// The lines shown: up to the last that holds anything.
int viewTextLinesUsed(const ViewText& text);

// The exercise under way (ViewState::practice): reached when the live view is
// within half a key step of its target: each entry of the modelview's 3 x 3
// turn within sin(2.5 degrees) of the target's, the scene origin's eye-space
// position within 0.05 of the target's, and the projection the target's if
// it fixes one.
constexpr double kReachedTurn = 0.043619387365336;  // sin(2.5 degrees)
constexpr double kReachedDistance = 0.05;           // scene units
bool practiceReached(const ViewState& state, const float modelview[16]);
// Its road, cars and posts at the target's modelview matrix and the current
// projection, in one dim colour, drawn before the live scene, which lies over it.
void drawTarget();
// The live scene under an exercise: as drawScene, but while the view is
// reached its road, cars and posts in the reached colour instead of white.
void drawLiveScene();
// Its lines, before the matrices': "Exercise N of M: " and the task, wrapped
// at kViewTextWidth columns into kTaskLines at most, then "Moves: K (par P)",
// or "Reached in K moves (par P)" and, once reached, its lesson (kLessonLines
// at most) and "Par: " with the moves par was made from; for a target from a
// link, "Exercise: " (or "Exercise N of M: " for one of a set) and the task,
// then "Moves: K" or "Reached in K moves". Returns how many lines it set,
// none with no exercise, and in *countLine, if given, the count's line.
constexpr int kTaskLines = 2;
constexpr int kLessonLines = 3;
constexpr int kPracticeLines = kTaskLines + 1 + kLessonLines + 1;
int formatPracticeText(const ViewState& state, const float modelview[16], char (*lines)[kViewTextColumns],
                       int* countLine = nullptr);

// The text a frame shows, each line with its kind: the exercise's lines (its
// title line, the task going on, the count, the lesson and par's moves) if one is under way, then the
// matrices' (titles and values) if they are shown; no lines otherwise.
enum TextKind { kTitleLine, kValueLine, kTaskLine, kCountLine, kLessonLine };
constexpr int kShownLinesMax = kPracticeLines + kViewTextLines;
struct ShownText {
  int count;
  TextKind kinds[kShownLinesMax];
  char lines[kShownLinesMax][kViewTextColumns];
};
// Reads the modelview matrix from GL.
void gatherViewText(const ViewState& state, ShownText* shown);
// The desktop's way to show it: over the window's top-left corner on a dark
// backing, titles in their own colour. Leaves every GL state as it found it.
void drawTextOverView(const ShownText& shown);

// The eye seen from outside: its position, the direction it looks in and the
// corners of its view volume cut short (first the four at the near depth,
// then the four at the far one, each set going round), in scene units, from
// the inverse of the modelview matrix. The modelview holds only turns and
// moves, so its inverse is the turn transposed and the move undone.
constexpr double kEyeVolumeDepth = 3.0;  // how far the drawn view volume reaches from the eye, scene units
struct EyeVolume {
  double eye[3];
  double direction[3];  // unit length
  double corners[8][3];
};
void computeEyeVolume(const ViewState& state, const float modelview[16], EyeVolume* volume);

// The fixed observer of the inset, in scene units: it sees the road, the cars,
// the posts and the eye's start position (0, 0, 6).
constexpr double kObserverEye[3] = {2.25, -14.0, 10.0};
constexpr double kObserverTarget[3] = {2.25, 0.0, 2.4};
constexpr double kObserverFieldOfView = 50.0;  // vertical, degrees
constexpr double kObserverNear = 1.0;
constexpr double kObserverFar = 100.0;

// The inset over the window's bottom-right third: cleared to dark grey,
// framed, the scene from the observer with the eye drawn in it. Leaves every
// GL state as it found it.
void drawEyeView();

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
