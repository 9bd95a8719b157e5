#pragma once

#include <QStyledItemDelegate>

namespace trevisk {

// Draws a name in the colours of its Quake 3 colour codes when the model offers them; other
// cells as usual. White is drawn in the text colour, so it stays readable on a light grid.
class ColourCodeDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

// The colour of a code's digit on a light background.
QColor codeColour(int code, const QColor& text);

} // namespace trevisk
