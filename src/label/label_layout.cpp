// Corner arithmetic and opacity of the label, apart from any window.
#include "label/label_layout.h"

LabelPosition label_corner_position(int corner, int screen_width, int screen_height,
                                    int work_area_bottom, int label_width, int label_height) {
    LabelPosition p = {screen_width, screen_height};
    const int bottom_row = work_area_bottom - label_height;
    switch (corner) {
    case 1: p.x = 0; p.y = 0; break;
    case 2: p.x = screen_width - label_width; p.y = 0; break;
    case 3: p.x = 0; p.y = bottom_row; break;
    case 4: p.x = screen_width - label_width; p.y = bottom_row; break;
    default: break;
    }
    return p;
}

int transparency_alpha(int amount) {
    if (amount < 0 || amount > 100) return -1;
    return amount * 255 / 100;
}
