// Block capitals four rows tall, built from eight block glyphs.
#pragma once

// The scene_init of the rows that draw with the big font.
void upload_font_glyphs();
