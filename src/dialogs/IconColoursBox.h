#pragma once

#include "icons/ServerIcon.h"

#include <QGroupBox>

class QLabel;

namespace trevisk {

class Prompter;

// "Default Icon Colors": the four colours of a tray icon, previewed as the tray draws them
// (6 players, 4 with a friend, offline) and chosen through the colour dialog.
class IconColoursBox : public QGroupBox
{
    Q_OBJECT
public:
    IconColoursBox(Prompter& prompter, const IconColours& colours, QWidget* parent = nullptr);

    const IconColours& colours() const { return m_colours; }
    void setColours(const IconColours& colours);

private:
    void pick(quint32& colour);
    void redraw();

    Prompter& m_prompter;
    IconColours m_colours;
    QLabel* m_previews[3]{};
};

} // namespace trevisk
