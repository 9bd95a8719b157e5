#include "session/Autostart.h"

#include "core/Translations.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace trevisk {

QString Autostart::defaultFolder()
{
    const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    const QString base = QDir::isAbsolutePath(config) ? config : QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/autostart");
}

Autostart::Autostart(QString folder)
    : m_folder(std::move(folder))
{}

QString Autostart::path() const
{
    return m_folder + QLatin1Char('/') + QString::fromLatin1(FileName);
}

bool Autostart::enabled() const
{
    QFile file(path());
    if (!file.open(QIODevice::ReadOnly))
        return false;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine().trimmed();
        if (line == "Hidden=true" || line == "X-GNOME-Autostart-enabled=false")
            return false;
    }
    return true;
}

bool Autostart::setEnabled(bool on, const QStringList& command, QString* error) const
{
    if (!on) {
        if (!QFile::exists(path()) || QFile::remove(path()))
            return true;
        *error = Translations::text("Autostart",
                                    QT_TRANSLATE_NOOP("Autostart", "The autostart entry %1 could not be removed."))
                     .arg(path());
        return false;
    }
    if (!QDir().mkpath(m_folder)) {
        *error = Translations::text("Autostart",
                                    QT_TRANSLATE_NOOP("Autostart", "The autostart folder %1 could not be made."))
                     .arg(m_folder);
        return false;
    }
    QSaveFile file(path());
    const QByteArray entry = autostartEntry(command);
    if (!file.open(QIODevice::WriteOnly) || file.write(entry) != entry.size() || !file.commit()) {
        *error = Translations::text("Autostart",
                                    QT_TRANSLATE_NOOP("Autostart", "The autostart entry %1 could not be written: %2"))
                     .arg(path(), file.errorString());
        return false;
    }
    return true;
}

QString desktopExecArgument(const QString& argument)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    bool quote = argument.isEmpty();
    for (const QChar c : argument)
        quote = quote || reserved.contains(c);
    QString word;
    if (quote) {
        word += QLatin1Char('"');
        for (const QChar c : argument) {
            if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
                word += QLatin1Char('\\');
            word += c;
        }
        word += QLatin1Char('"');
    } else {
        word = argument;
    }
    // Field codes start with '%'; then the value is a string, whose own escapes come last.
    word.replace(QLatin1Char('%'), QStringLiteral("%%"));
    QString escaped;
    for (const QChar c : word) {
        if (c == QLatin1Char('\\'))
            escaped += QStringLiteral("\\\\");
        else if (c == QLatin1Char('\n'))
            escaped += QStringLiteral("\\n");
        else if (c == QLatin1Char('\t'))
            escaped += QStringLiteral("\\t");
        else if (c == QLatin1Char('\r'))
            escaped += QStringLiteral("\\r");
        else
            escaped += c;
    }
    return escaped;
}

QByteArray autostartEntry(const QStringList& command)
{
    QStringList words;
    for (const QString& argument : command)
        words << desktopExecArgument(argument);
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Trevisk\n"
                          "Comment=Watch your game servers from the notification area\n"
                          "Exec=%1\n"
                          "Icon=trevisk\n"
                          "Terminal=false\n"
                          "X-GNOME-Autostart-enabled=true\n")
        .arg(words.join(QLatin1Char(' ')))
        .toUtf8();
}

QStringList autostartCommand(const QString& program, const QStringList& arguments)
{
    // The desktop starts the entry from another folder: relative paths are made whole.
    auto absolute = [](const QString& path) { return QFileInfo(path).absoluteFilePath(); };
    QStringList command{program};
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        for (const QLatin1String option : {QLatin1String("--data-dir"), QLatin1String("--config")}) {
            if (argument.startsWith(option + QLatin1Char('=')))
                command << option + QLatin1Char('=') + absolute(argument.mid(option.size() + 1));
            else if (argument == option && i + 1 < arguments.size())
                command << argument << absolute(arguments.at(i + 1));
        }
    }
    return command;
}

} // namespace trevisk
