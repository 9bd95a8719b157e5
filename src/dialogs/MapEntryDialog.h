#pragma once

#include <QDialog>
#include <QString>

class QComboBox;
class QLineEdit;

namespace trevisk {

class Prompter;

struct MapEntry
{
    QString game;
    QString map;
    bool operator==(const MapEntry&) const = default;
};

// Asks for a game and a map name; Add leaves the game unchosen, Edit starts from the row's values.
class MapEntryDialog : public QDialog
{
    Q_OBJECT
public:
    explicit MapEntryDialog(Prompter& prompter, QWidget* parent = nullptr);

    // Prepares the dialog for editing: caption "Edit Map" and the row's values.
    void setMap(const QString& game, const QString& map);
    MapEntry entry() const;

    // Checks the entries, then closes with Accepted.
    void accept() override;

private:
    Prompter& m_prompter;
    QComboBox* m_games;
    QLineEdit* m_map;
};

} // namespace trevisk
