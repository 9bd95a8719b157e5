#pragma once

#include <QStyledItemDelegate>

namespace trevisk {

// Draws a name in the colours of its Quake 3 colour codes when the model offers them; other
// cells as usual. White is drawn in the text colour, so it stays readable on a light grid, and a
// light text colour (a dark palette's) takes the codes' light shades.
class ColourCodeDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

// The colour of a code's digit beside the cell's text colour: dark shades with dark text, light
// shades with light text, so that each reads on the background that goes with that text.
QColor codeColour(int code, const QColor& text);

// The relative luminance of a colour, 0 for black to 1 for white, as contrast ratios weigh it.
double relativeLuminance(const QColor& colour);
// Whether a colour reads better on black than on white.
bool isLightColour(const QColor& colour);

} // namespace trevisk
