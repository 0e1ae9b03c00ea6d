// The scenes' names as people call them, for labels (the contact sheet).
#pragma once

#include "driver/timeline.h"

// The name of the scene that `update` draws; "scene" for a routine that
// is not one of the show's.
const char* scene_name(SceneUpdate update);
