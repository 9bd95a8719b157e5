#pragma once

#include "core/Clock.h"

namespace trevisk {

// A clock that moves only when the test says so.
class ManualClock : public Clock
{
public:
    explicit ManualClock(QDateTime start = QDateTime(QDate(2026, 12, 6), QTime(12, 0)))
        : m_now(std::move(start))
    {}
    QDateTime now() const override { return m_now; }
    void advanceSecs(qint64 seconds) { m_now = m_now.addSecs(seconds); }

private:
    QDateTime m_now;
};

} // namespace trevisk
