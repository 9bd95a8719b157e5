#include "tray/ColourCodeDelegate.h"

#include "players/ColourCodes.h"

#include <QApplication>
#include <QPainter>

namespace trevisk {

QColor codeColour(int code, const QColor& text)
{
    switch (code) {
    case 0:
        return Qt::black;
    case 1:
        return QColor(210, 0, 0);
    case 2:
        return QColor(0, 140, 0);
    case 3:
        return QColor(170, 130, 0); // yellow, darkened to be read on white
    case 4:
        return QColor(0, 0, 210);
    case 5:
        return QColor(0, 140, 160);
    case 6:
        return QColor(170, 0, 170);
    default:
        return text;
    }
}

void ColourCodeDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const QString coloured = index.data(ColouredTextRole).toString();
    if (coloured.isEmpty()) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    item.text.clear();
    const QStyle* style = item.widget ? item.widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &item, painter, item.widget);
    const bool selected = item.state & QStyle::State_Selected;
    const QColor text = item.palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
    QRect area = style->subElementRect(QStyle::SE_ItemViewItemText, &item, item.widget).adjusted(2, 0, -2, 0);
    painter->save();
    painter->setFont(item.font);
    const QFontMetrics metrics(item.font);
    for (const ColourRun& run : colourRuns(coloured)) {
        if (area.width() <= 0)
            break;
        painter->setPen(selected ? text : codeColour(run.colour, text));
        const QString shown = metrics.elidedText(run.text, Qt::ElideRight, area.width());
        painter->drawText(area, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown);
        area.setLeft(area.left() + metrics.horizontalAdvance(shown));
    }
    painter->restore();
}

} // namespace trevisk
