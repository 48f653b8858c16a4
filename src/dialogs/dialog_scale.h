// The dialogs' scale: their tables are laid out in pixels for 96 pixels per inch and the Western
// default dialog font; at start-up the system's dialog font gives one factor per axis, and every
// position and size is multiplied by it. Arithmetic only, apart from any window.
#pragma once

// Factors are fixed-point numbers: kScaleOne stands for 1. A factor is never below 1 and never
// above kScaleMost, so that no font, however odd, makes a dialog larger than any screen by far.
const int kScaleOne = 4096;
const int kScaleMost = 16 * kScaleOne;

struct DialogScale {
    int x;
    int y;
};

// The factor a dialog font's base unit gives against the unit the tables were laid out for
// (measured / laid_out); 1 for a unit at or below it, or an unmeasured one (0 or less).
int unit_factor(int measured, int laid_out);
// The factor widened, where needed, so that a length of the tables scaled by it holds needed
// pixels (rounded up, never narrowed). A length of 0 or less holds nothing and changes nothing.
int factor_to_hold(int factor, int length, int needed);
// A table length or position in pixels at the factor, rounded to the nearest pixel.
int scale_length(int length, int factor);
