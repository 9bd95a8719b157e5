#include "dialogs/IconColoursBox.h"

#include "core/Prompter.h"
#include "dialogs/DialogParts.h"
#include "icons/TrayIconPainter.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace trevisk {

IconColoursBox::IconColoursBox(Prompter& prompter, const IconColours& colours, QWidget* parent)
    : QGroupBox(tr("Default Icon Colors"), parent)
    , m_prompter(prompter)
    , m_colours(colours)
{
    auto* layout = new QGridLayout(this);
    const std::array<std::tuple<const char*, const char*, const char*, quint32*>, 3> samples{
        {{QT_TRANSLATE_NOOP("trevisk::IconColoursBox", "Normal"), "previewNorm", "colourNorm", &m_colours.normal},
         {QT_TRANSLATE_NOOP("trevisk::IconColoursBox", "Friend"),
          "previewFriend",
          "colourFriend",
          &m_colours.friendColour},
         {QT_TRANSLATE_NOOP("trevisk::IconColoursBox", "Offline"), "previewOff", "colourOff", &m_colours.off}}};
    int column = 0;
    for (const auto& [caption, previewName, buttonName, colour] : samples) {
        m_previews[column] = new QLabel(this);
        m_previews[column]->setObjectName(QString::fromLatin1(previewName));
        auto* choose = new QPushButton(QStringLiteral("..."), this);
        choose->setObjectName(QString::fromLatin1(buttonName));
        choose->setAutoDefault(false);
        choose->setAccessibleName(tr("Choose the %1 icon colour").arg(tr(caption)));
        connect(choose, &QPushButton::clicked, this, [this, colour = colour] { pick(*colour); });
        layout->addWidget(new QLabel(tr(caption), this), 0, column, Qt::AlignHCenter);
        layout->addWidget(m_previews[column], 1, column, Qt::AlignHCenter);
        layout->addWidget(choose, 2, column);
        ++column;
    }
    auto* background = new QPushButton(tr("Background"), this);
    background->setObjectName(QStringLiteral("colourBack"));
    background->setAutoDefault(false);
    connect(background, &QPushButton::clicked, this, [this] { pick(m_colours.back); });
    layout->addWidget(background, 3, 0, 1, 3);
    redraw();
}

void IconColoursBox::setColours(const IconColours& colours)
{
    m_colours = colours;
    redraw();
}

void IconColoursBox::pick(quint32& colour)
{
    // Cancelling the colour dialog changes nothing.
    if (const auto chosen = m_prompter.pickColour(colour)) {
        colour = *chosen;
        redraw();
    }
}

void IconColoursBox::redraw()
{
    const auto previews = paintIconPreviews(m_colours);
    const std::array<std::pair<const char*, quint32>, 3> shown{
        {{QT_TRANSLATE_NOOP("trevisk::IconColoursBox", "Normal"), m_colours.normal},
         {QT_TRANSLATE_NOOP("trevisk::IconColoursBox", "Friend"), m_colours.friendColour},
         {QT_TRANSLATE_NOOP("trevisk::IconColoursBox", "Offline"), m_colours.off}}};
    for (int i = 0; i < 3; ++i) {
        m_previews[i]->setPixmap(QPixmap::fromImage(previews[size_t(i)]));
        m_previews[i]->setAccessibleName(QStringLiteral("%1 icon colour: %2 on %3")
                                             .arg(QString::fromLatin1(shown[size_t(i)].first),
                                                  colourName(colourOf(shown[size_t(i)].second)),
                                                  colourName(colourOf(m_colours.back))));
    }
}

} // namespace trevisk
