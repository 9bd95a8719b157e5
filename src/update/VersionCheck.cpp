#include "update/VersionCheck.h"

#include "core/Version.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace trevisk {

namespace {

const QString StartTag = QStringLiteral("<VERSION>");
const QString EndTag = QStringLiteral("</VERSION>");

std::optional<int> wholeNumber(const QString& text)
{
    const QString digits = text.trimmed();
    if (digits.isEmpty())
        return std::nullopt;
    for (const QChar c : digits) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
    }
    bool ok = false;
    const int value = digits.toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

} // namespace

std::optional<VersionNumber> parseVersion(const QString& text)
{
    const qsizetype first = text.indexOf(QLatin1Char('.'));
    if (first < 0)
        return std::nullopt;
    const qsizetype second = text.indexOf(QLatin1Char('.'), first + 1);
    if (second < 0)
        return std::nullopt;
    const auto major = wholeNumber(text.left(first));
    const auto minor = wholeNumber(text.mid(first + 1, second - first - 1));
    const auto revision = wholeNumber(text.mid(second + 1));
    if (!major || !minor || !revision)
        return std::nullopt;
    return VersionNumber{*major, *minor, *revision};
}

bool isNewer(const VersionNumber& candidate, const VersionNumber& current)
{
    return candidate > current;
}

QString versionElement(const QString& answer)
{
    const qsizetype start = answer.indexOf(StartTag);
    if (start < 0)
        return {};
    const qsizetype end = answer.indexOf(EndTag, start);
    if (end < 0)
        return {};
    QString element = answer.mid(start, end - start);
    element.remove(StartTag);
    element.remove(EndTag);
    return element;
}

std::optional<QString> newerVersionIn(const QString& answer, const VersionNumber& current)
{
    const QString element = versionElement(answer);
    if (element.isEmpty())
        return std::nullopt;
    const std::optional<VersionNumber> version = parseVersion(element);
    if (!version || !isNewer(*version, current))
        return std::nullopt;
    return element;
}

VersionNumber currentVersion()
{
    static const VersionNumber version = parseVersion(QString::fromLatin1(VersionText)).value_or(VersionNumber{});
    return version;
}

VersionCheck::VersionCheck(QObject* parent)
    : QObject(parent)
{}

void VersionCheck::start(const QUrl& url)
{
    abort();
    m_found.clear();
    const QString scheme = url.scheme().toLower();
    const bool web = scheme == QLatin1String("http") || scheme == QLatin1String("https");
    if (!url.isValid() || !web || url.host().isEmpty()) {
        emit finished(false);
        return;
    }
    if (!m_network)
        m_network = new QNetworkAccessManager(this);
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::UserAgentHeader,
                      QString(QLatin1String(ProductName) + QLatin1Char('/') + QLatin1String(VersionText)));
    request.setTransferTimeout(static_cast<int>(TransferTimeout.count()));
    // Unencoded, so that a stated length can be held against what arrived.
    request.setRawHeader("Accept-Encoding", "identity");
    m_reply = m_network->get(request);
    connect(m_reply, &QNetworkReply::finished, this, &VersionCheck::readAnswer);
    connect(m_reply, &QNetworkReply::downloadProgress, this, [this](qint64 received, qint64) {
        if (received > LargestAnswer && m_reply)
            m_reply->abort();
    });
}

void VersionCheck::abort()
{
    if (!m_reply)
        return;
    QNetworkReply* reply = m_reply;
    m_reply = nullptr;
    disconnect(reply, nullptr, this, nullptr);
    reply->abort();
    reply->deleteLater();
}

void VersionCheck::readAnswer()
{
    QNetworkReply* reply = m_reply;
    if (!reply)
        return;
    m_reply = nullptr;
    reply->deleteLater();
    // The tags may arrive in different blocks, so only the whole answer is searched.
    if (reply->error() == QNetworkReply::NoError) {
        const QByteArray answer = reply->read(LargestAnswer + 1);
        // A connection closed before the stated length is not always reported as an error.
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        const bool whole = !length.isValid() || length.toLongLong() == answer.size();
        if (whole && answer.size() <= LargestAnswer)
            m_found = newerVersionIn(QString::fromLatin1(answer), currentVersion()).value_or(QString());
    }
    emit finished(newerAvailable());
}

} // namespace trevisk
