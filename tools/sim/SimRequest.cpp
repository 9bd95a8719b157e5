#include "sim/SimRequest.h"

namespace trevisk {

namespace {

const QByteArray Header(4, '\xFF');

// Servers read a connectionless command as one line: line ends and a closing zero are not part of it.
QByteArray commandLine(const QByteArray& datagram)
{
    QByteArray line = datagram.mid(Header.size());
    while (!line.isEmpty() && (line.endsWith('\n') || line.endsWith('\r') || line.endsWith('\0')))
        line.chop(1);
    return line;
}

bool isWord(const QByteArray& line, const char* word)
{
    const QByteArray w(word);
    return line == w || (line.startsWith(w + ' '));
}

// Takes the next blank-separated word off the front of `text`; a word in double quotes may hold blanks.
QByteArray takeWord(QByteArray& text)
{
    int i = 0;
    while (i < text.size() && text.at(i) == ' ')
        ++i;
    QByteArray word;
    if (i < text.size() && text.at(i) == '"') {
        const int close = text.indexOf('"', i + 1);
        const int end = close < 0 ? text.size() : close;
        word = text.mid(i + 1, end - i - 1);
        i = close < 0 ? text.size() : close + 1;
    } else {
        const int space = text.indexOf(' ', i);
        const int end = space < 0 ? text.size() : space;
        word = text.mid(i, end - i);
        i = end;
    }
    text = text.mid(i);
    return word;
}

SimRequest rcon(QByteArray rest, bool withChallenge)
{
    SimRequest request;
    request.kind = SimRequest::Kind::Rcon;
    if (withChallenge)
        request.challenge = takeWord(rest);
    request.password = takeWord(rest);
    request.command = rest.trimmed();
    return request;
}

SimRequest gameSpy(const QString& engine, const QByteArray& d)
{
    SimRequest request;
    if (d.size() < 8 || !d.startsWith(QByteArray("\xFE\xFD\x00", 3)))
        return request;
    const auto count = static_cast<unsigned char>(d.at(7));
    if (engine == QLatin1String("HALO")) {
        if (d.size() >= 11 && d.mid(7, 4) == Header) {
            request.kind = SimRequest::Kind::Status;
            request.requestId = d.mid(3, 4);
        }
    } else if (count != 0xFF && d.size() >= 8 + count) {
        request.kind = SimRequest::Kind::Status;
        request.requestId = d.mid(3, 4);
        request.keys = d.mid(8, count);
    }
    return request;
}

} // namespace

SimRequest SimRequest::read(const QString& engine, const QByteArray& datagram)
{
    if (engine == QLatin1String("UT") || engine == QLatin1String("UT2003")) {
        SimRequest request;
        if (datagram.startsWith("\\status\\"))
            request.kind = Kind::Status;
        return request;
    }
    if (engine == QLatin1String("HALO") || engine == QLatin1String("NWN"))
        return gameSpy(engine, datagram);
    if (engine == QLatin1String("RVS")) {
        SimRequest request;
        if (datagram.trimmed() == "REPORT")
            request.kind = Kind::Status;
        return request;
    }

    SimRequest request;
    if (!datagram.startsWith(Header))
        return request;
    const bool halfLife = engine == QLatin1String("HL");
    if (halfLife && datagram.size() >= 5) {
        static const QByteArray infoQuery = QByteArrayLiteral("TSource Engine Query") + '\0';
        const char kind = datagram.at(4);
        if (datagram.mid(4).startsWith(infoQuery)) {
            request.kind = Kind::A2sInfo;
            request.challenge = datagram.mid(4 + infoQuery.size(), 4);
            return request;
        }
        if ((kind == 'U' || kind == 'V') && datagram.size() == 9) {
            request.kind = kind == 'U' ? Kind::A2sPlayers : Kind::A2sRules;
            request.challenge = datagram.mid(5, 4);
            return request;
        }
    }
    const QByteArray line = commandLine(datagram);
    if (line.startsWith("rcon ")
        && (halfLife || engine == QLatin1String("Q2") || engine == QLatin1String("Q3")
            || engine == QLatin1String("QW")))
        return rcon(line.mid(5), halfLife);
    const bool quake2Family = engine == QLatin1String("Q2") || engine == QLatin1String("QW");
    if ((engine == QLatin1String("Q3") && isWord(line, "getstatus")) || (quake2Family && isWord(line, "status"))
        || (halfLife && line == "infostring")) {
        request.kind = Kind::Status;
        if (engine == QLatin1String("Q3"))
            request.challenge = line.mid(10).trimmed();
    } else if (engine == QLatin1String("Q3") && isWord(line, "getinfo")) {
        request.kind = Kind::Info;
        request.challenge = line.mid(8).trimmed();
    } else if (halfLife && line == "players")
        request.kind = Kind::Players;
    else if (halfLife && line == "challenge rcon")
        request.kind = Kind::RconChallenge;
    return request;
}

} // namespace trevisk
