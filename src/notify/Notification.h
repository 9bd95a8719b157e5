#pragma once

#include <QDateTime>
#include <QString>

namespace trevisk {

// One notification text and the local time it was queued or logged.
struct Notification
{
    QDateTime stamp;
    QString message;

    bool operator==(const Notification&) const = default;
};

} // namespace trevisk
