// Corner arithmetic and opacity of the label, apart from any window.
#pragma once

struct LabelPosition {
    int x;
    int y;
};

// Outer top-left position of a label of the given size in corner 1 (top-left), 2 (top-right),
// 3 (bottom-left) or 4 (bottom-right); any other corner gives (screen width, screen height),
// just outside the screen. Bottom corners sit on the work area's bottom edge.
LabelPosition label_corner_position(int corner, int screen_width, int screen_height,
                                    int work_area_bottom, int label_width, int label_height);

// Alpha for an opacity in percent (amount * 255 / 100, fraction dropped); -1 when the amount
// is outside 0..100 and the window is left alone.
int transparency_alpha(int amount);
