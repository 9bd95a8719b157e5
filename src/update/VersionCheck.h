#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <chrono>
#include <compare>
#include <optional>

class QNetworkAccessManager;
class QNetworkReply;

namespace trevisk {

struct VersionNumber
{
    int major = 0;
    int minor = 0;
    int revision = 0;

    // NOLINTNEXTLINE(modernize-use-nullptr): clang-tidy 14 reads the 0 the compiler writes into a defaulted <=>.
    auto operator<=>(const VersionNumber&) const = default;
};

// "major.minor.revision", split at the first two dots (the revision is all after the second);
// nothing when a dot is missing or a part is no whole number.
std::optional<VersionNumber> parseVersion(const QString& text);
// Newer when the major is greater, or the majors are equal and the minor is greater, or both
// are equal and the revision is greater.
bool isNewer(const VersionNumber& candidate, const VersionNumber& current);
// The text between the first "<VERSION>" and the "</VERSION>" after it, without any tags;
// empty when either tag is missing.
QString versionElement(const QString& answer);
// The version an answer names, as it writes it, when it is newer than `current`.
std::optional<QString> newerVersionIn(const QString& answer, const VersionNumber& current);
// The running program's version.
VersionNumber currentVersion();

// Asks the version address once over HTTP and tells whether it names a newer version. It never
// holds anything up: a request that fails, answers with an error or is too slow simply never
// says newer.
class VersionCheck : public QObject
{
    Q_OBJECT
public:
    // A version file is a few bytes; an answer far larger is not one.
    static constexpr qint64 LargestAnswer = qint64{64} * 1024;
    static constexpr std::chrono::milliseconds TransferTimeout{30000};

    explicit VersionCheck(QObject* parent = nullptr);

    // Asks `url` (http or https). Any other address, an empty one included, makes no request
    // and reports "no newer version" before returning.
    void start(const QUrl& url);
    // Stops listening: an answer that has not arrived yet never counts, and finished is not emitted.
    void abort();

    bool isRunning() const { return !m_reply.isNull(); }
    bool newerAvailable() const { return !m_found.isEmpty(); }
    // The newer version as the answer wrote it; empty when none was found.
    const QString& versionFound() const { return m_found; }

signals:
    // Once per start, unless aborted.
    void finished(bool newer);

private:
    void readAnswer();

    QNetworkAccessManager* m_network = nullptr; // made with the first request
    QPointer<QNetworkReply> m_reply;
    QString m_found;
};

} // namespace trevisk
