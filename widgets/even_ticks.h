#pragma once

class QSlider;

// Draws the slider's tick marks on whole device pixels, all of one width: at a pixel density
// such as 1.5 the style's own one-pixel lines come out one or two pixels wide by position.
void giveEvenTicks(QSlider *slider);
