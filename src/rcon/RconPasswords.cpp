#include "rcon/RconPasswords.h"

#include "rcon/RconScramble.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include <algorithm>

namespace trevisk {

namespace {

constexpr QFileDevice::Permissions OwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

QString path(const QString& key)
{
    return QString::fromLatin1(RconPasswords::Section) + QLatin1Char('/') + key;
}

// Settings keys treat "/" and "\" as group separators.
QString escaped(QString key)
{
    key.replace(QLatin1Char('%'), QLatin1String("%25"));
    key.replace(QLatin1Char('/'), QLatin1String("%2F"));
    key.replace(QLatin1Char('\\'), QLatin1String("%5C"));
    return key;
}

QString makePrivate(QSettings& store)
{
    if (store.format() != QSettings::IniFormat)
        return {};
    const QString file = store.fileName();
    QDir().mkpath(QFileInfo(file).absolutePath());
    QFile f(file);
    if (!f.exists() && !f.open(QIODevice::WriteOnly))
        return QCoreApplication::translate("RconPasswords", "The settings file %1 cannot be created: %2")
            .arg(file, f.errorString());
    f.close();
    if (!f.setPermissions(OwnerOnly))
        return QCoreApplication::translate("RconPasswords", "The settings file %1 cannot be made private: %2")
            .arg(file, f.errorString());
    return {};
}

} // namespace

RconPasswords::RconPasswords(QSettings& store, QStringList listed)
    : m_store(store)
    , m_listed(std::move(listed))
{}

QString RconPasswords::keyFor(const QString& address)
{
    return escaped(address);
}

QString RconPasswords::olderKeyFor(const QString& address)
{
    return escaped(QString(address).remove(QLatin1Char(':')));
}

bool RconPasswords::olderKeyIsOurs(const QString& address) const
{
    const QString older = olderKeyFor(address);
    return std::none_of(m_listed.cbegin(), m_listed.cend(), [&](const QString& other) {
        return other != address && olderKeyFor(other) == older;
    });
}

QString RconPasswords::load(const QString& address) const
{
    QString stored;
    if (m_store.contains(path(keyFor(address))))
        stored = m_store.value(path(keyFor(address))).toString();
    else if (olderKeyIsOurs(address))
        stored = m_store.value(path(olderKeyFor(address))).toString();
    return unscrambleRcon(stored).value_or(stored);
}

RconPasswords::Saved RconPasswords::save(
    const QString& address, const QString& password, bool remember, bool scramble, QRandomGenerator& random)
{
    Saved saved;
    QString value;
    if (remember && !password.isEmpty()) {
        const std::optional<QString> scrambled = scramble ? scrambleRcon(password, random) : std::nullopt;
        saved.plain = scramble && !scrambled;
        value = scrambled.value_or(password);
        // Tighten the file before the password reaches it; a rewrite keeps the mode.
        saved.error = makePrivate(m_store);
        if (!saved.error.isEmpty())
            return saved;
    }
    m_store.setValue(path(keyFor(address)), value);
    // The value has moved to the new key; a forgotten password must not linger under the old one.
    const QString older = olderKeyFor(address);
    if (older != keyFor(address) && m_store.contains(path(older)) && olderKeyIsOurs(address))
        m_store.remove(path(older));
    m_store.sync();
    if (m_store.status() != QSettings::NoError)
        saved.error = QCoreApplication::translate("RconPasswords", "The settings could not be written to %1.")
                          .arg(m_store.fileName());
    else if (!value.isEmpty())
        saved.error = makePrivate(m_store);
    return saved;
}

} // namespace trevisk
