#pragma once

class QSpinBox;

// Limits a spin box to the values the settings table offers for a key, counted in `scale` file
// units (the period is kept in milliseconds and edited in seconds).
void SetOfferedRange(QSpinBox* spin, const char* section, const char* key, int scale = 1);
