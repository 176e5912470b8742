#pragma once

#include "app/apps/FileTags.h"

#include <QColor>
#include <vector>

class QPainter;

namespace zentrivo::tagDots {

/// The ring around each dot: the window background at 70 %.
QColor ringColor(bool dark);

/// Paints a row of tag dots (diameter 10, 8 apart, so neighbours overlap by 2) along the bottom
/// of a 70 × 70 icon painted at the origin of `painter`, `colors` leftmost first. The dots are
/// painted right to left, so the leftmost lies on top, each casting a small shadow onto its
/// right neighbour.
void draw(QPainter& painter, const std::vector<LabelColor>& colors, bool dark);

} // namespace zentrivo::tagDots
