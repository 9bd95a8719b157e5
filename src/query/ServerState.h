#pragma once

#include <QLatin1String>
#include <QString>

namespace trevisk {

// What a server's last query came to; the grid, the tray, the command line and the alert mail show it.
enum class ServerState
{
    Waiting,   // not queried to its end yet
    Up,        // answered as its engine does
    NoAnswer,  // every try timed out
    Refused,   // nothing listens at the port (ICMP port unreachable)
    BadAnswer, // something answered, but not its engine's answer or with impossible numbers
};

// For people: "up", "no answer", "refused", "bad answer"; "..." while waiting.
QString stateText(ServerState state);
// A fixed word for programs: "waiting", "up", "timeout", "refused", "bad_answer".
QLatin1String stateKey(ServerState state);
// The state as one line for people, with the reason of a bad answer.
QString stateLine(ServerState state, const QString& reason);
// The same in the user's language, for the windows (the mail and the status table keep English).
QString shownStateText(ServerState state);
QString shownStateLine(ServerState state, const QString& reason);

} // namespace trevisk
