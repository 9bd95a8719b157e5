#pragma once

#include "update/VersionCheck.h"

#include <QTimer>
#include <QWidget>

#include <chrono>

class QLabel;

namespace trevisk {

// The start-up picture: shows the version while it asks for a newer one, and ends after its
// time or at a double-click, whatever the request is doing.
class SplashWindow : public QWidget
{
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds ShowTime{3000};
    static constexpr QSize Size{420, 240};

    explicit SplashWindow(QWidget* parent = nullptr);

    void setShowTime(std::chrono::milliseconds time) { m_timer.setInterval(time); }
    // Shows the splash, asks `versionUrl` (nothing at all when it is empty) and starts the clock.
    void start(const QUrl& versionUrl);

    // What the check found by the time the splash ended; a later answer is never looked at.
    const VersionCheck& versionCheck() const { return m_check; }

signals:
    // Once, when the time is up or at a double-click, with the splash already hidden.
    void done();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void finish();

    VersionCheck m_check{this};
    QTimer m_timer{this};
    QLabel* m_version = nullptr;
    QLabel* m_checking = nullptr;
    bool m_done = false;
};

} // namespace trevisk
