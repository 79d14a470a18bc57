// Viewport and projection, kept in step with the window and the projection mode.
#pragma once

constexpr double kRadiansPerDegree = 3.14159265358979323846 / 180.0;

// Perspective: vertical field of view in degrees, near and far planes.
constexpr double kFieldOfView = 45.0;
constexpr double kPerspectiveNear = 0.1;
constexpr double kPerspectiveFar = 50.0;

// Orthographic: a fixed 6 x 6 box, whatever the window's aspect ratio.
constexpr double kOrthoHalfSize = 3.0;
constexpr double kOrthoNear = -10.0;
constexpr double kOrthoFar = 10.0;

// Rebuilds the projection matrix for the current mode and stored window size.
// Touches neither the viewport nor the modelview matrix; leaves GL_MODELVIEW current.
void applyProjection();

// Reshape callback: viewport as received, stored size with a height of 0 taken as 1.
void onReshape(int width, int height);

// Flips between perspective and orthographic projection.
void toggleProjection();
