// Bitmap text in the page: the characters the frame draws are kept, a line
// per raster position, and the page shows those of the last whole frame as
// its own text (web/frames.js).
#pragma once

// The frame is whole: its text becomes the text the page is given.
void keepFrameText();
