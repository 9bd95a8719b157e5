#include "players/ColourCodeDelegate.h"

#include "players/ColourCodes.h"

#include <QApplication>
#include <QPainter>

#include <cmath>

namespace trevisk {

double relativeLuminance(const QColor& colour)
{
    const auto linear = [](double channel) {
        return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) + 0.0722 * linear(colour.blueF());
}

bool isLightColour(const QColor& colour)
{
    // Above this luminance the contrast with black exceeds the contrast with white.
    return relativeLuminance(colour) > 0.179;
}

QColor codeColour(int code, const QColor& text)
{
    if (isLightColour(text)) {
        switch (code) {
        case 0:
            return text; // black would vanish on a dark background
        case 1:
            return QColor(255, 110, 110);
        case 2:
            return QColor(110, 230, 110);
        case 3:
            return QColor(240, 220, 90);
        case 4:
            return QColor(130, 150, 255);
        case 5:
            return QColor(90, 220, 235);
        case 6:
            return QColor(240, 120, 240);
        default:
            return text;
        }
    }
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
