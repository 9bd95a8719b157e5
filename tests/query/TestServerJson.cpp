#include "query/ServerJson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QRandomGenerator>
#include <QTest>

using namespace trevisk;

// `query --json` writes its text itself: it must be the text QJsonDocument writes for the values it
// reads back, whatever a server put in its strings.
class TestServerJson : public QObject
{
    Q_OBJECT

    // Any UTF-16 code units: controls, quotes, backslashes, DEL, the BMP, pairs and lone surrogates.
    static QString anyText(QRandomGenerator& random)
    {
        static const char16_t awkward[] = {0,    8,    9,     10,    12,     13,     31,     '"',    '\\',   '/',
                                           0x7f, 0x80, 0x7ff, 0x800, 0xd800, 0xdbff, 0xdc00, 0xdfff, 0xfffe, 0xffff};
        QString text;
        for (int i = random.bounded(12); i > 0; --i) {
            const QString choices[] = {QChar(awkward[random.bounded(int(std::size(awkward)))]),
                                       QChar(char16_t(random.bounded(0x10000))),
                                       QStringLiteral("\U0001F600"),
                                       QChar(char16_t(0x20 + random.bounded(0x5f)))};
            text += choices[random.bounded(4)];
        }
        return text;
    }

    static QueryRound::Result resultOf(QRandomGenerator& random, int kind)
    {
        QueryRound::Result result;
        result.game = QStringLiteral("Quake 3");
        result.address = QStringLiteral("127.0.0.1:27960");
        result.answered = kind == 0;
        result.state =
            std::array{ServerState::Up, ServerState::BadAnswer, ServerState::Refused, ServerState::Waiting}[kind];
        result.stateReason = anyText(random);
        result.hostname = anyText(random);
        result.map = anyText(random);
        result.maxPlayers = std::array{QStringLiteral("16"), QStringLiteral(" 8 "), QString(), anyText(random)}[kind];
        result.ping = random.bounded(1000);
        if (kind != 3) {
            result.players.emplace();
            for (int i = random.bounded(4); i > 0; --i) {
                result.players->push_back(
                    {anyText(random), QString::number(random.bounded(-50, 50)), QString(), false, {}, anyText(random)});
            }
        }
        for (int i = random.bounded(4); i > 0; --i)
            result.settings.push_back({anyText(random), anyText(random)});
        return result;
    }

private slots:
    void textIsWhatQtWritesAndReadsBack()
    {
        QRandomGenerator random(20261207);
        for (int round = 0; round < 400; ++round) {
            const QueryRound::Result result = resultOf(random, round % 4);
            QByteArray text;
            appendQueryResultJson(text, result);
            // Text that does not parse reads back as {}, which no result writes.
            const QJsonObject read = QJsonDocument::fromJson(text).object();
            QCOMPARE(text + '\n', QJsonDocument(read).toJson(QJsonDocument::Indented));

            QCOMPARE(read.value(QStringLiteral("hostname")).toString(), result.hostname);
            QCOMPARE(read.value(QStringLiteral("map")).toString(), result.map);
            const QJsonArray players = read.value(QStringLiteral("players")).toArray();
            QCOMPARE(players.size(), qsizetype(result.players ? result.players->size() : 0));
            for (qsizetype i = 0; i < players.size(); ++i) {
                const Player& player = result.players->at(size_t(i));
                QCOMPARE(players[i][QStringLiteral("name")].toString(), player.name);
                QCOMPARE(players[i][QStringLiteral("score")].toInt(), player.score.toInt());
                QVERIFY(players[i][QStringLiteral("ping")].isNull());
                QCOMPARE(players[i][QStringLiteral("time")].toString(), player.time);
            }
            QJsonArray settings;
            for (const ServerSetting& setting : result.settings)
                settings.append(QJsonArray{setting.setting, setting.value});
            QCOMPARE(read.value(QStringLiteral("settings")).toArray(), settings);
            // Per kind: the status, and the maximum read back (the last kind's is any text).
            const int kind = round % 4;
            const char* const statuses[] = {"up", "bad_answer", "refused", "timeout"};
            const QJsonValue maxima[] = {16, 8, QJsonValue::Null};
            QCOMPARE(read.value(QStringLiteral("status")).toString(), QLatin1String(statuses[kind]));
            QVERIFY(kind == 3 || read.value(QStringLiteral("maxplayers")) == maxima[kind]);
            const QJsonValue reason = read.value(QStringLiteral("reason"));
            QVERIFY(kind == 0 ? reason.isUndefined() : kind != 1 || reason.toString() == result.stateReason);

            // One level deeper, as an element of the list's array.
            QByteArray element;
            appendQueryResultJson(element, result, 1);
            QCOMPARE(element, text.replace("\n", "\n    "));
        }
    }
};

QTEST_GUILESS_MAIN(TestServerJson)
#include "TestServerJson.moc"
