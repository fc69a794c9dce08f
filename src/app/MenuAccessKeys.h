#pragma once

class QMenu;
class QMenuBar;

namespace marrowlight {

// Set to true on an item whose caption follows changing data (a recent file):
// commands choose their access keys first and keep them.
inline constexpr char TransientCaptionProperty[] = "marrowlightTransientCaption";

// Gives every item of the menu, or every menu of the bar, an access key of
// its own (see AssignAccessKeys in support/core). Run again whenever a caption
// changes; unchanged captions keep their keys.
void AssignMenuAccessKeys(QMenu& menu);
void AssignMenuAccessKeys(QMenuBar& bar);

} // namespace marrowlight
