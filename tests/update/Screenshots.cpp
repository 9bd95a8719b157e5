// Saves pictures of the splash and of a pop-up as people see them, for the documentation:
//   xvfb-run -a build/tests/trevisk_update_screenshots docs
#include "core/Clock.h"
#include "core/Settings.h"
#include "notify/NotificationQueue.h"
#include "notify/NotifyWindow.h"
#include "update/SplashWindow.h"

#include <QApplication>
#include <QDir>
#include <QTimer>

#include <cstdio>

using namespace trevisk;

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QDir out(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));

    SplashWindow splash;
    splash.setShowTime(std::chrono::hours(1));
    splash.start(QUrl());

    SystemClock clock;
    NotificationQueue queue(clock);
    NotifyWindow popup(queue);
    const AppSettings settings = AppSettings::defaults(QString());
    queue.setColours(settings.notifyFore, settings.notifyBack);
    queue.setMessage(QStringLiteral("Lab Arena (Quake 3 Arena) has a friend on it: Visor"));

    int failures = 0;
    QTimer::singleShot(500, &app, [&] {
        const auto save = [&](QWidget& widget, const QString& name) {
            if (!widget.grab().save(out.filePath(name))) {
                std::fprintf(stderr, "cannot write %s\n", qPrintable(out.filePath(name)));
                ++failures;
            }
        };
        save(splash, QStringLiteral("splash.png"));
        save(popup, QStringLiteral("popup.png"));
        app.quit();
    });
    app.exec();
    return failures == 0 ? 0 : 1;
}
