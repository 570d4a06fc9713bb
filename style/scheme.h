#pragma once

// The colour schemes of the style window. A scheme paints the main window's background and the
// backgrounds of seven of its labels; the style window reaches them only through SchemeTargets,
// which the main window implements.

#include "style/colour.h"

#include <array>

namespace velbrin::style {

// In the order a scheme paints them.
enum class SchemeTarget { Form1, Label1, Label2, Label3, text2, Label4, Label5, Label6 };

inline constexpr std::array<SchemeTarget, 8> schemeTargets {
    SchemeTarget::Form1,
    SchemeTarget::Label1,
    SchemeTarget::Label2,
    SchemeTarget::Label3,
    SchemeTarget::text2,
    SchemeTarget::Label4,
    SchemeTarget::Label5,
    SchemeTarget::Label6,
};

class SchemeTargets
{
public:
    virtual ~SchemeTargets() = default;
    virtual void setBackground(SchemeTarget target, ColourValue colour) = 0;
};

// Sets the background of every target, in order, to `colour`. Nothing else changes.
void ApplyColourScheme(SchemeTargets& targets, ColourValue colour);

} // namespace velbrin::style
