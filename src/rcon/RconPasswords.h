#pragma once

#include <QString>
#include <QStringList>

class QRandomGenerator;
class QSettings;

namespace trevisk {

// The remembered rcon passwords of section "RCON": one value per server, plain or scrambled.
class RconPasswords
{
public:
    static constexpr char Section[] = "RCON";

    // `listed` are the addresses of every listed server, which decide whether a value under the
    // older key (the address without its colons) belongs to this server alone.
    RconPasswords(QSettings& store, QStringList listed);

    // The key that keeps host and port apart ("10.0.0.5:27960"), and the older one ("10.0.0.527960").
    static QString keyFor(const QString& address);
    static QString olderKeyFor(const QString& address);

    // The remembered password as typed; empty when none is remembered.
    QString load(const QString& address) const;

    struct Saved
    {
        bool plain = false; // scrambling was asked for, and the password was kept as typed
        QString error;      // empty when it was written
    };
    // Remembers `password` (scrambled when `scramble`), or forgets it when `remember` is false.
    Saved save(const QString& address, const QString& password, bool remember, bool scramble, QRandomGenerator& random);

private:
    bool olderKeyIsOurs(const QString& address) const;

    QSettings& m_store;
    QStringList m_listed;
};

} // namespace trevisk
