#pragma once

namespace velbrin::app {

// The windows ask for the faces "宋体" (Song) and "隶书" (clerical script). Where they are not
// installed, this maps them once to installed faces: Song to Noto Serif CJK SC or AR PL UMing CN;
// clerical script, which no free Debian font has, to the brush style of AR PL UKai CN, then Song.
void mapChineseFaces();

} // namespace velbrin::app
