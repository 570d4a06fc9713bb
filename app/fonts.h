#pragma once

#include <QFont>

namespace velbrin::app {

// The windows ask for the faces "宋体" (Song) and "隶书" (clerical script). Where they are not
// installed, this maps them once to installed faces: Song to Noto Serif CJK SC or AR PL UMing CN;
// clerical script, which no free Debian font has, to the brush style of AR PL UKai CN, then Song.
void mapChineseFaces();

// A font of `family` ("宋体" or "隶书") at `points`, normal weight. Where a face for the name is
// installed, the font draws with that face alone: every font that may merge in other faces for
// missing characters costs a search through all installed fonts when it is first used, and the
// captions drawn with these faces are covered by them. Where none is installed, other faces fill
// in as usual.
QFont chineseFont(const char* family, qreal points);

} // namespace velbrin::app
