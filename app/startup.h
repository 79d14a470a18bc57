// Window creation, starting GL state and callback registration.
#pragma once

constexpr const char* kWindowTitle = "Velmora";
constexpr int kWindowX = 100;  // screen position of the window, pixels
constexpr int kWindowY = 150;
constexpr int kWindowWidth = 500;  // starting window size, pixels
constexpr int kWindowHeight = 500;

// Takes a view to start at from the command line (--view TEXT,
// app/view_link.h), hands the rest to the toolkit and creates the one window
// with its double-buffered RGB context (no depth buffer is requested).
void openWindow(int* argc, char** argv);

// Black clear colour, depth test on, and the persistent modelview matrix: a
// translation to the scene offset, or the view taken from the command line.
// Leaves GL_MODELVIEW current.
void initGl();

// The persistent modelview matrix from scratch: a translation to the scene
// offset, with no turns. Leaves GL_MODELVIEW current.
void placeScene();

// Every record of the program as at start, for the tests (the view, the move
// being made, the drag, the linked view, the menu's labels); the window stays.
void resetState();

// Display, keyboard, reshape, idle and special-key callbacks, in that order;
// then the mouse and the right-button menu.
void registerCallbacks();
