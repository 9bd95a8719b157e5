#include "find/MasterSettings.h"

#include "core/Settings.h"

#include <QHostAddress>
#include <QRegularExpression>
#include <QSettings>

namespace trevisk {

namespace {

const QString Section = QStringLiteral("Masters");

bool isHostName(const QString& host)
{
    if (host.isEmpty() || host.size() > 253 || !host.front().isLetterOrNumber())
        return false;
    for (QChar c : host) {
        if (c.unicode() > 127 || (!c.isLetterOrNumber() && c != QLatin1Char('.') && c != QLatin1Char('-')))
            return false;
    }
    return true;
}

} // namespace

QString MasterAddress::text() const
{
    const QString port = QString::number(this->port);
    return host.contains(QLatin1Char(':')) ? QLatin1Char('[') + host + QStringLiteral("]:") + port
                                           : host + QLatin1Char(':') + port;
}

std::optional<MasterAddress> parseMasterAddress(const QString& text, MasterKind kind)
{
    const QString trimmed = text.trimmed();
    MasterAddress address;
    QString portText;
    if (trimmed.startsWith(QLatin1Char('['))) {
        const qsizetype close = trimmed.indexOf(QLatin1Char(']'));
        if (close < 0)
            return std::nullopt;
        address.host = trimmed.mid(1, close - 1);
        const QString rest = trimmed.mid(close + 1);
        if (!rest.isEmpty() && !rest.startsWith(QLatin1Char(':')))
            return std::nullopt;
        portText = rest.mid(1);
        if (QHostAddress(address.host).protocol() != QAbstractSocket::IPv6Protocol)
            return std::nullopt;
    } else {
        const qsizetype colon = trimmed.indexOf(QLatin1Char(':'));
        address.host = colon < 0 ? trimmed : trimmed.left(colon);
        portText = colon < 0 ? QString() : trimmed.mid(colon + 1);
        if (!isHostName(address.host))
            return std::nullopt;
    }
    if (portText.isEmpty()) {
        address.port = masterDefaultPort(kind);
    } else {
        bool ok = false;
        const uint port = portText.toUInt(&ok);
        if (!ok || port == 0 || port > 65535)
            return std::nullopt;
        address.port = static_cast<quint16>(port);
    }
    if (address.port == 0)
        return std::nullopt;
    return address;
}

QStringList splitMasterList(const QString& text)
{
    static const QRegularExpression separators(QStringLiteral("[\\s,;]+"));
    return text.split(separators, Qt::SkipEmptyParts);
}

QStringList shippedMasters(const QString& game)
{
    // The open masters that answer today; a game without one starts with none.
    if (game == QLatin1String("Quake 3"))
        return {QStringLiteral("master.ioquake3.org:27950"), QStringLiteral("dpmaster.deathmask.net:27950")};
    if (game == QLatin1String("QuakeWorld"))
        return {QStringLiteral("master.quakeservers.net:27000")};
    if (game == QLatin1String("Half Life"))
        return {QStringLiteral("hl1master.steampowered.com:27011")};
    return {};
}

QStringList mastersFor(QSettings& store, const QString& game)
{
    // Never set: the shipped ones. Set to nothing: none.
    if (!store.contains(Section + QLatin1Char('/') + game))
        return shippedMasters(game);
    return splitMasterList(readText(store, Section, game, QString()));
}

void setMastersFor(QSettings& store, const QString& game, const QStringList& masters)
{
    writeText(store, Section, game, masters.join(QLatin1Char(' ')));
}

} // namespace trevisk
