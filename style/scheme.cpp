#include "style/scheme.h"

namespace velbrin::style {

void ApplyColourScheme(SchemeTargets& targets, ColourValue colour)
{
    for (SchemeTarget target : schemeTargets)
        targets.setBackground(target, colour);
}

} // namespace velbrin::style
