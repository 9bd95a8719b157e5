#include "dialogs/SettingsDialog.h"

#include "core/ErrorReporter.h"
#include "core/Prompter.h"
#include "core/SettingsForm.h"
#include "core/Sound.h"
#include "dialogs/DialogParts.h"
#include "dialogs/IconColoursBox.h"
#include "icons/TrayIconPainter.h"
#include "session/Autostart.h"
#include "session/Desktop.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace trevisk {

namespace {

const char* const SoundNames[SoundSlotCount] = {QT_TRANSLATE_NOOP("trevisk::SettingsDialog", "Server Offline"),
                                                QT_TRANSLATE_NOOP("trevisk::SettingsDialog", "Server Online"),
                                                QT_TRANSLATE_NOOP("trevisk::SettingsDialog", "Friend Logged On"),
                                                QT_TRANSLATE_NOOP("trevisk::SettingsDialog", "Friend Logged Off"),
                                                QT_TRANSLATE_NOOP("trevisk::SettingsDialog", "Server Activity"),
                                                QT_TRANSLATE_NOOP("trevisk::SettingsDialog", "Favorite Map")};

QCheckBox* checkBox(const char* text, const char* name, qint16 value, QWidget* parent)
{
    auto* box = new QCheckBox(SettingsDialog::tr(text), parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setChecked(value == 1);
    return box;
}

QLabel* swatch(const char* name, QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setFixedSize(40, 20);
    label->setFrameShape(QFrame::Box);
    label->setAutoFillBackground(true);
    return label;
}

void paintSwatch(QLabel* label, const char* what, quint32 colour)
{
    label->setStyleSheet(QStringLiteral("QLabel { background-color: %1; }").arg(colourOf(colour).name()));
    label->setAccessibleName(SettingsDialog::tr(what) + QStringLiteral(": ") + colourName(colourOf(colour)));
}

// A field's label, which names it to screen readers.
QLabel* labelFor(const QString& text, QWidget* field)
{
    auto* label = new QLabel(text, field->parentWidget());
    label->setBuddy(field);
    return label;
}

qint16 checked(const QCheckBox* box)
{
    return box->isChecked() ? 1 : 0;
}

} // namespace

SettingsDialog::SettingsDialog(const SettingsDialogServices& services, QWidget* parent)
    : QDialog(parent)
    , m_services(services)
{
    const AppSettings& s = services.settings;
    m_notifyFore = s.notifyFore;
    m_notifyBack = s.notifyBack;
    m_friendColour = s.friendColour;
    setWindowTitle(tr("Settings"));

    auto* general = new QGroupBox(tr("Settings"), this);
    auto* generalLayout = new QGridLayout(general);
    m_refresh = new QComboBox(general);
    m_refresh->setObjectName(QStringLiteral("refresh"));
    m_refresh->setEditable(true);
    m_refresh->addItems({QStringLiteral("10"),
                         QStringLiteral("30"),
                         QStringLiteral("60"),
                         QStringLiteral("90"),
                         QStringLiteral("120"),
                         QStringLiteral("240"),
                         QStringLiteral("300")});
    m_refresh->setEditText(QString::number(s.refresh));
    generalLayout->addWidget(labelFor(tr("Refresh Interval"), m_refresh), 0, 0);
    generalLayout->addWidget(m_refresh, 0, 1);
    generalLayout->addWidget(new QLabel(tr("seconds"), general), 0, 2);
    m_startInTray = checkBox(
        QT_TRANSLATE_NOOP("trevisk::SettingsDialog", "Start Main Window in Tray"), "mainTray", s.startInTray, general);
    m_encrypt = checkBox(QT_TRANSLATE_NOOP("trevisk::SettingsDialog", "Encrypt Saved RCON Passwords"),
                         "encrypt",
                         s.encryptRcon,
                         general);
    m_trayByDefault = checkBox(QT_TRANSLATE_NOOP("trevisk::SettingsDialog", "Default Servers to Load to Tray"),
                               "allTray",
                               s.trayByDefault,
                               general);
    m_autoRefreshOff = checkBox(
        QT_TRANSLATE_NOOP("trevisk::SettingsDialog", "Disable Auto-Refresh"), "noRefresh", s.autoRefreshOff, general);
    generalLayout->addWidget(m_startInTray, 1, 0, 1, 3);
    generalLayout->addWidget(m_encrypt, 2, 0, 1, 3);
    generalLayout->addWidget(m_trayByDefault, 3, 0, 1, 3);
    generalLayout->addWidget(m_autoRefreshOff, 4, 0, 1, 3);
    if (m_services.autostartFolder.isEmpty())
        m_services.autostartFolder = Autostart::defaultFolder();
    m_autostartWas = Autostart(m_services.autostartFolder).enabled();
    m_autostart = checkBox(QT_TRANSLATE_NOOP("trevisk::SettingsDialog", "Start with the desktop"),
                           "autostart",
                           m_autostartWas ? 1 : 0,
                           general);
    generalLayout->addWidget(m_autostart, 5, 0, 1, 3);

    auto* visual = new QGroupBox(tr("Visual Notifications"), this);
    auto* visualLayout = new QVBoxLayout(visual);
    m_popupStatusChange = checkBox(
        QT_TRANSLATE_NOOP("trevisk::SettingsDialog", "Server Status Change"), "nss", s.popupStatusChange, visual);
    m_popupFriends =
        checkBox(QT_TRANSLATE_NOOP("trevisk::SettingsDialog", "Friends Log On/Off"), "nFriend", s.popupFriends, visual);
    m_popupActivity =
        checkBox(QT_TRANSLATE_NOOP("trevisk::SettingsDialog", "Player Activity"), "nActive", s.popupActivity, visual);
    m_popupFavouriteMap = checkBox(
        QT_TRANSLATE_NOOP("trevisk::SettingsDialog", "Favorite Map"), "mapNotify", s.popupFavouriteMap, visual);
    for (QCheckBox* box : {m_popupStatusChange, m_popupFriends, m_popupActivity, m_popupFavouriteMap})
        visualLayout->addWidget(box);
    m_popupStyle = new QComboBox(visual);
    m_popupStyle->setObjectName(QStringLiteral("popupStyle"));
    m_popupStyle->addItem(tr("Automatic"), static_cast<int>(PopupStyle::Automatic));
    m_popupStyle->addItem(tr("Sliding Window"), static_cast<int>(PopupStyle::Window));
    m_popupStyle->addItem(tr("Desktop Notifications"), static_cast<int>(PopupStyle::Desktop));
    m_popupStyle->addItem(tr("Both"), static_cast<int>(PopupStyle::Both));
    m_popupStyle->setCurrentIndex(m_popupStyle->findData(static_cast<int>(s.popupStyle)));
    auto* styleRow = new QHBoxLayout;
    styleRow->addWidget(labelFor(tr("Show in"), m_popupStyle));
    styleRow->addWidget(m_popupStyle, 1, Qt::AlignLeft);
    visualLayout->addLayout(styleRow);
    visualLayout->addStretch();

    auto* audio = new QGroupBox(tr("Audio Notifications"), this);
    auto* audioLayout = new QGridLayout(audio);
    for (int i = 0; i < SoundSlotCount; ++i) {
        const QString digit = QString::number(i);
        m_soundPath[i] = new QLineEdit(s.soundPath[i], audio);
        m_soundPath[i]->setObjectName(QStringLiteral("soundPath") + digit);
        m_soundPath[i]->setMinimumWidth(260);
        auto* browse = namedButton(QStringLiteral("..."), "browse", audio);
        browse->setObjectName(QStringLiteral("browseSound") + digit);
        browse->setFixedWidth(browse->fontMetrics().horizontalAdvance(QStringLiteral("....")) + 16);
        browse->setAccessibleName(tr("Browse for the %1 sound").arg(tr(SoundNames[i])));
        auto* play = namedButton(tr("Play"), "play", audio);
        play->setObjectName(QStringLiteral("playSound") + digit);
        m_soundEnable[i] = checkBox(
            QT_TRANSLATE_NOOP("trevisk::SettingsDialog", "Enable"), "enable", s.soundEnabled(i) ? 1 : 0, audio);
        m_soundEnable[i]->setObjectName(QStringLiteral("enableSound") + digit);
        audioLayout->addWidget(labelFor(tr(SoundNames[i]), m_soundPath[i]), i, 0);
        audioLayout->addWidget(m_soundPath[i], i, 1);
        audioLayout->addWidget(browse, i, 2);
        audioLayout->addWidget(play, i, 3);
        audioLayout->addWidget(m_soundEnable[i], i, 4);
        connect(browse, &QPushButton::clicked, this, [this, i] {
            const QString file =
                m_services.prompter.openFileName(tr("Load File"), tr("Wave Files (*.wav)"), m_soundPath[i]->text());
            if (!file.isEmpty())
                m_soundPath[i]->setText(file);
        });
        // Plays what the box holds, whether or not the sound is enabled.
        connect(
            play, &QPushButton::clicked, this, [this, i] { playWave(m_services.sound, m_soundPath[i]->text(), 0); });
    }

    m_icons = new IconColoursBox(services.prompter, s.icons, this);

    auto* notifyColours = new QGroupBox(tr("Notification Colors"), this);
    auto* notifyLayout = new QGridLayout(notifyColours);
    m_notifyBackSwatch = swatch("notifyBack", notifyColours);
    m_notifyForeSwatch = swatch("notifyFore", notifyColours);
    notifyLayout->addWidget(new QLabel(tr("Background"), notifyColours), 0, 0);
    notifyLayout->addWidget(m_notifyBackSwatch, 0, 1);
    auto* pickBack = namedButton(QStringLiteral("..."), "pickNotifyBack", notifyColours);
    pickBack->setAccessibleName(tr("Choose the notification background colour"));
    notifyLayout->addWidget(pickBack, 0, 2);
    notifyLayout->addWidget(new QLabel(tr("Text"), notifyColours), 1, 0);
    notifyLayout->addWidget(m_notifyForeSwatch, 1, 1);
    auto* pickFore = namedButton(QStringLiteral("..."), "pickNotifyFore", notifyColours);
    pickFore->setAccessibleName(tr("Choose the notification text colour"));
    notifyLayout->addWidget(pickFore, 1, 2);
    auto* test = namedButton(tr("Test"), "testNotify", notifyColours);
    notifyLayout->addWidget(test, 2, 0, 1, 3);
    connect(pickBack, &QPushButton::clicked, this, [this] { pickColour(m_notifyBack); });
    connect(pickFore, &QPushButton::clicked, this, [this] { pickColour(m_notifyFore); });
    connect(test, &QPushButton::clicked, this, [this] {
        const PopupStyle style = resolvedPopupStyle(edited().popupStyle, windowsPlaceable());
        if (m_services.testMessage && (windowsPlaceable() || style != PopupStyle::Desktop))
            m_services.testMessage(tr(TestText), m_notifyFore, m_notifyBack);
        if (m_services.desktopTest && style != PopupStyle::Window)
            m_services.desktopTest(tr(TestText));
    });

    auto* friendBox = new QGroupBox(tr("Friend Color"), this);
    auto* friendLayout = new QHBoxLayout(friendBox);
    m_friendSwatch = swatch("friendColour", friendBox);
    auto* pickFriend = namedButton(QStringLiteral("..."), "pickFriendColour", friendBox);
    pickFriend->setAccessibleName(tr("Choose the friend colour"));
    friendLayout->addWidget(new QLabel(tr("Text"), friendBox));
    friendLayout->addWidget(m_friendSwatch);
    friendLayout->addWidget(pickFriend);
    connect(pickFriend, &QPushButton::clicked, this, [this] { pickColour(m_friendColour); });

    auto* logging = new QGroupBox(tr("Logging"), this);
    auto* loggingLayout = new QGridLayout(logging);
    m_logging = checkBox(QT_TRANSLATE_NOOP("trevisk::SettingsDialog", "Enable Logging"), "logging", s.logging, logging);
    m_logFile = new QLineEdit(s.logFile, logging);
    m_logFile->setObjectName(QStringLiteral("logFile"));
    auto* saveLog = namedButton(QStringLiteral("..."), "browseLog", logging);
    saveLog->setAccessibleName(tr("Browse for the log file"));
    connect(saveLog, &QPushButton::clicked, this, [this] {
        const QString file = m_services.prompter.saveFileName(tr("Log File name"), tr("All Files (*)"));
        if (!file.isEmpty())
            m_logFile->setText(file);
    });
    loggingLayout->addWidget(m_logging, 0, 0, 1, 3);
    loggingLayout->addWidget(labelFor(tr("Log File"), m_logFile), 1, 0);
    loggingLayout->addWidget(m_logFile, 1, 1);
    loggingLayout->addWidget(saveLog, 1, 2);

    m_notifyNewVersion = checkBox(QT_TRANSLATE_NOOP("trevisk::SettingsDialog", "Notify on new version during startup"),
                                  "verNotify",
                                  s.notifyNewVersion,
                                  this);
    auto* saveButton = namedButton(tr("&Save"), "save", this);
    saveButton->setDefault(true);
    auto* cancelButton = namedButton(tr("&Cancel"), "cancel", this);
    connect(saveButton, &QPushButton::clicked, this, [this] {
        if (save())
            accept();
    });
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);

    auto* top = new QHBoxLayout;
    top->addWidget(general, 1);
    top->addWidget(visual, 1);
    auto* colours = new QHBoxLayout;
    colours->addWidget(m_icons);
    auto* right = new QVBoxLayout;
    right->addWidget(notifyColours);
    right->addWidget(friendBox);
    colours->addLayout(right);
    colours->addWidget(logging, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_notifyNewVersion);
    buttons->addStretch();
    buttons->addWidget(saveButton);
    buttons->addWidget(cancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(audio);
    layout->addLayout(colours);
    layout->addLayout(buttons);
    redraw();
}

void SettingsDialog::pickColour(quint32& colour)
{
    if (const auto chosen = m_services.prompter.pickColour(colour)) {
        colour = *chosen;
        redraw();
    }
}

void SettingsDialog::redraw()
{
    // The previews look as the tray draws the icons.
    paintSwatch(
        m_notifyBackSwatch, QT_TRANSLATE_NOOP("trevisk::SettingsDialog", "Notification background"), m_notifyBack);
    paintSwatch(m_notifyForeSwatch, QT_TRANSLATE_NOOP("trevisk::SettingsDialog", "Notification text"), m_notifyFore);
    paintSwatch(m_friendSwatch, QT_TRANSLATE_NOOP("trevisk::SettingsDialog", "Friend colour"), m_friendColour);
}

AppSettings SettingsDialog::edited() const
{
    AppSettings s = m_services.settings;
    s.logFile = m_logFile->text();
    s.logging = checked(m_logging);
    s.trayByDefault = checked(m_trayByDefault);
    s.popupStatusChange = checked(m_popupStatusChange);
    s.popupFriends = checked(m_popupFriends);
    s.popupFavouriteMap = checked(m_popupFavouriteMap);
    s.popupActivity = checked(m_popupActivity);
    s.encryptRcon = checked(m_encrypt);
    s.autoRefreshOff = checked(m_autoRefreshOff);
    s.icons = m_icons->colours();
    s.notifyBack = m_notifyBack;
    s.notifyFore = m_notifyFore;
    s.startInTray = checked(m_startInTray);
    s.friendColour = m_friendColour;
    s.notifyNewVersion = checked(m_notifyNewVersion);
    s.popupStyle = static_cast<PopupStyle>(m_popupStyle->currentData().toInt());
    for (int i = 0; i < SoundSlotCount; ++i) {
        s.soundPath[i] = m_soundPath[i]->text();
        s.soundEnable[i] = m_soundEnable[i]->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
    }
    return s;
}

bool SettingsDialog::save()
{
    const SettingsSave result =
        saveSettingsForm(m_refresh->currentText(), edited(), m_services.store, m_services.settings);
    if (!result.ok) {
        m_services.reporter.report(result.description, result.number, QString::fromLatin1(SettingsSave::Procedure));
        if (!result.field.isEmpty()) {
            m_refresh->setFocus();
            m_refresh->lineEdit()->selectAll();
        }
        return false;
    }
    if (m_services.changed)
        m_services.changed();
    return applyAutostart();
}

bool SettingsDialog::applyAutostart()
{
    const bool wanted = m_autostart->isChecked();
    if (wanted == m_autostartWas)
        return true;
    const QStringList command =
        m_services.startCommand.isEmpty()
            ? autostartCommand(QCoreApplication::applicationFilePath(), QCoreApplication::arguments())
            : m_services.startCommand;
    QString error;
    if (!Autostart(m_services.autostartFolder).setEnabled(wanted, command, &error)) {
        m_services.reporter.report(error, ErrorNumber::FileWrite, QString::fromLatin1(SettingsSave::Procedure));
        return false;
    }
    m_autostartWas = wanted;
    return true;
}

} // namespace trevisk
