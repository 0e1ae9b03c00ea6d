#include "render/scene_names.h"

#include "scenes/big_scroller.h"
#include "scenes/box.h"
#include "scenes/circles.h"
#include "scenes/credits_sparkle.h"
#include "scenes/four_row_scrollers.h"
#include "scenes/ready_screen.h"
#include "scenes/rotating_cube.h"
#include "scenes/sine_bars.h"
#include "scenes/spectrum_bars.h"
#include "scenes/title_logo.h"
#include "scenes/wave_pattern.h"

namespace {

struct SceneName {
    SceneUpdate update;
    const char* name;
};

// By routine rather than by timeline row, so that the names follow the
// scenes wherever the timeline puts them.
constexpr SceneName scene_names[] = {
    {spectrum_bars_update, "spectrum bars"},
    {big_scroller_a_update, "big-text scroller"},
    {big_scroller_b_update, "big-text scroller"},
    {title_logo_update, "title logo"},
    {credits_sparkle_update, "credits sparkle"},
    {wave_pattern_update, "wave pattern"},
    {circles_update, "circles"},
    {sine_bars_update, "sine bars"},
    {box_update, "box"},
    {four_row_scrollers_update, "four-row scrollers"},
    {ready_screen_update, "ready screen"},
    {rotating_cube_update, "rotating cube"},
};

}  // namespace

const char* scene_name(SceneUpdate update) {
    for (const SceneName& s : scene_names)
        if (s.update == update) return s.name;
    return "scene";
}
