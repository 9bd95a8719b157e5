#include "query/engines/NwnProtocol.h"

#include "core/Routines.h"
#include "query/engines/AnswerText.h"

namespace trevisk {

QList<QByteArray> NwnProtocol::requests() const
{
    static const char request[] = {'\xFE', '\xFD', '\x00', '\xE0', '\xEB', '\x2D', '\x0E', '\x14', '\x01', '\x0B',
                                   '\x01', '\x05', '\x08', '\x0A', '\x33', '\x34', '\x35', '\x13', '\x04', '\x36',
                                   '\x37', '\x38', '\x39', '\x14', '\x3A', '\x3B', '\x3C', '\x3D', '\x00', '\x00'};
    return {QByteArray(request, sizeof request)};
}

bool NwnProtocol::recognises(const QByteArray& answer) const
{
    return recognisesGameSpyAnswer(answer, requests().constFirst());
}

AnswerUpdate NwnProtocol::parse(const QByteArray& answer, const QString&, const FriendList&) const
{
    return saveNwnData(answer);
}

AnswerUpdate saveNwnData(const QByteArray& answer)
{
    // Field k, from 2 on, holds the value of the k-th key asked for.
    const QList<QByteArray> fields = splitFields(answer, '\0');
    AnswerUpdate update;
    if (fields.size() <= 5)
        return update;
    update.numPlayers = decodeText(fields.at(5));
    if (fields.size() <= 6)
        return update;
    update.maxPlayers = decodeText(fields.at(6));
    update.hostname = decodeText(fields.at(3));
    if (fields.size() <= 14)
        return update;
    const auto row = [&](const char* setting, qsizetype field) {
        return ServerSetting{QString::fromLatin1(setting), decodeText(fields.at(field))};
    };
    update.settings = SettingsTable{
        row("Player Pause", 13),
        row("Version Number", 14),
        row("LevelMax", 8),
        row("LevelMin", 7),
        row("Password", 10),
    };
    return update;
}

} // namespace trevisk
