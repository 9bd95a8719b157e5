#pragma once

#include <QString>
#include <QStringList>

namespace trevisk {

// The desktop's autostart entry of the program: $XDG_CONFIG_HOME/autostart/trevisk.desktop.
class Autostart
{
public:
    static constexpr char FileName[] = "trevisk.desktop";

    // $XDG_CONFIG_HOME/autostart, or ~/.config/autostart when that is unset or not absolute.
    static QString defaultFolder();

    explicit Autostart(QString folder = defaultFolder());

    QString path() const;
    // True when the entry exists and the desktop was not told to skip it (Hidden, or GNOME's switch).
    bool enabled() const;
    // Writes an entry that runs `command` (the program and its arguments), or removes the entry.
    // On failure returns false and says why in `error`.
    bool setEnabled(bool on, const QStringList& command, QString* error) const;

private:
    QString m_folder;
};

// The entry's text for `command`, each argument quoted as desktop entries want.
QByteArray autostartEntry(const QStringList& command);
// One argument of an Exec line, in the quoting and escaping of desktop entries.
QString desktopExecArgument(const QString& argument);
// What the entry should run: this program, with the --data-dir and --config it was started with.
QStringList autostartCommand(const QString& program, const QStringList& arguments);

} // namespace trevisk
