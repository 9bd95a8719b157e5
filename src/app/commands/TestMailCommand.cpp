#include "app/Commands.h"
#include "core/Clock.h"
#include "core/Settings.h"
#include "notify/EmailSettings.h"
#include "notify/SmtpMailer.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QEventLoop>
#include <QSettings>

#include <optional>

namespace trevisk {

// Sends the settings dialog's test mail with the saved settings and waits for the outcome.
int runTestMailCommand(const CommonOptions& options, const QStringList& arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption dataDirOption(QStringLiteral("data-dir"), QString(), QStringLiteral("DIR"));
    const QCommandLineOption configOption(QStringLiteral("config"), QString(), QStringLiteral("FILE"));
    parser.addOptions({dataDirOption, configOption});
    if (!parser.parse(QStringList{QStringLiteral("test-mail")} + arguments)
        || !parser.positionalArguments().isEmpty()) {
        const QString problem = parser.errorText().isEmpty()
                                    ? QCoreApplication::translate("TestMailCommand", "Unexpected argument: %1")
                                          .arg(parser.positionalArguments().join(QLatin1Char(' ')))
                                    : parser.errorText();
        printLine(problem
                      + QCoreApplication::translate("TestMailCommand",
                                                    "\nUsage: trevisk test-mail [--config FILE] [--data-dir DIR]"),
                  stderr);
        return 2;
    }
    // The test mail reads only the settings; --data-dir is taken for the same command line as the others.
    const QString configFile = parser.isSet(configOption) ? parser.value(configOption) : options.configFile;
    const std::unique_ptr<QSettings> store = openSettings(configFile);
    if (store->status() != QSettings::NoError) {
        printLine(QCoreApplication::translate("TestMailCommand", "Test Failed! The settings file %1 cannot be read.")
                      .arg(store->fileName()),
                  stderr);
        return 1;
    }
    const EmailSettings settings = EmailSettings::load(*store);

    SystemClock clock;
    SmtpMailer mailer(clock);
    settings.prepareTestMail(mailer);
    QEventLoop loop;
    bool finished = false;
    std::optional<QString> failure;
    QObject::connect(&mailer, &SmtpMailer::sendComplete, &loop, [&] {
        finished = true;
        loop.quit();
    });
    QObject::connect(&mailer, &SmtpMailer::error, &loop, [&](const QString& description) {
        finished = true;
        failure = description;
        loop.quit();
    });
    mailer.send();
    // A missing setting fails before send() returns.
    if (!finished)
        loop.exec();
    if (failure) {
        printLine(QCoreApplication::translate("TestMailCommand", "Test Failed! ") + *failure, stderr);
        return 1;
    }
    printLine(QCoreApplication::translate("TestMailCommand", "Mail Sent!"));
    return 0;
}

} // namespace trevisk
