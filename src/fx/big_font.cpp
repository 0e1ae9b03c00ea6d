#include "fx/big_font.h"

// Placeholder until the big font is built: uploads nothing.
void upload_font_glyphs() {}
