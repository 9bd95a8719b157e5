#pragma once

#include "core/Prompter.h"

namespace trevisk {

// The prompt interface without a desktop: messages go to standard error, and nothing can be
// chosen, so every question is answered "No" (or cancelled) and every file dialog is cancelled.
class StdioPrompter : public Prompter
{
public:
    Answer ask(const QString& text, Icon icon, Buttons buttons) override;
    QString openFileName(const QString& title, const QString& filter, const QString& initialFile) override;
    QString saveFileName(const QString& title, const QString& filter) override;
    std::optional<quint32> pickColour(quint32 initial) override;
};

} // namespace trevisk
