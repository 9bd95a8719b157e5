<?xml version='1.0' encoding='utf-8'?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>Application</name>
    <message>
        <source>Usage: trevisk [options] [command]
Trevisk watches internet game servers from the notification area.

Modes:
  trevisk                      the tray monitor (headless when there is no display)
  trevisk --headless           the monitor without windows: events to standard output
                               and the log file, alert mail as configured
  trevisk --demo               simulated servers of every engine, monitored from a
                               temporary folder (nothing of yours is touched)

Commands:
</source>
        <translation>Aufruf: trevisk [Optionen] [Befehl]
Trevisk überwacht Internet-Spielserver aus dem Benachrichtigungsbereich.

Betriebsarten:
  trevisk                      die Überwachung im Systembereich (ohne Fenster, wenn keine
                               Anzeige vorhanden ist)
  trevisk --headless           die Überwachung ohne Fenster: Ereignisse auf die Standardausgabe
                               und in die Protokolldatei, Warn-E-Mails wie eingestellt
  trevisk --demo               simulierte Server aller Engines, überwacht aus einem
                               temporären Ordner (Ihre Dateien bleiben unberührt)

Befehle:
</translation>
    </message>
    <message>
        <source>
Options:
  --data-dir DIR               keep the server list and other lists in DIR
  --config FILE                read and write settings in the INI file FILE
  --status SECONDS             print the status of every server this often
                               (and at SIGUSR1)
  --listen [ADDRESS:]PORT      headless: serve /metrics (Prometheus), /api/servers
                               (JSON) and a status page; loopback unless an
                               address is given
  --listen-token FILE          serve only requests that carry the token in FILE
                               as "Authorization: Bearer TOKEN"
  -h, --help                   show this help
  -v, --version                show the version
</source>
        <translation>
Optionen:
  --data-dir ORDNER            die Serverliste und die anderen Listen in ORDNER ablegen
  --config DATEI               Einstellungen in der INI-Datei DATEI lesen und schreiben
  --status SEKUNDEN            den Zustand aller Server in diesem Abstand ausgeben
                               (und bei SIGUSR1)
  --listen [ADRESSE:]PORT      ohne Fenster: /metrics (Prometheus), /api/servers (JSON)
                               und eine Statusseite anbieten; nur lokal, wenn keine
                               Adresse angegeben ist
  --listen-token DATEI         nur Anfragen beantworten, die das Token aus DATEI als
                               "Authorization: Bearer TOKEN" mitsenden
  -h, --help                   diese Hilfe anzeigen
  -v, --version                die Version anzeigen
</translation>
    </message>
    <message>
        <source>
Language: %1
</source>
        <translation>
Sprache: %1
</translation>
    </message>
    <message>
        <source>Running headless; end with Ctrl+C or SIGTERM.</source>
        <translation>Läuft ohne Fenster; beenden mit Strg+C oder SIGTERM.</translation>
    </message>
    <message>
        <source>The argument "%1" is not valid text in the system's encoding; nothing was done.</source>
        <translation>Das Argument „%1“ ist kein gültiger Text in der Zeichenkodierung des Systems; es wurde nichts getan.</translation>
    </message>
    <message>
        <source>--status takes a number of seconds, 1 or more</source>
        <translation>--status erwartet eine Anzahl Sekunden, 1 oder mehr</translation>
    </message>
    <message>
        <source>--listen-token goes with --listen</source>
        <translation>--listen-token geht nur zusammen mit --listen</translation>
    </message>
    <message>
        <source>--listen serves only in headless mode (--headless)</source>
        <translation>--listen funktioniert nur ohne Fenster (--headless)</translation>
    </message>
    <message>
        <source>Unknown command: %1

</source>
        <translation>Unbekannter Befehl: %1

</translation>
    </message>
    <message>
        <source>Usage:
</source>
        <translation>Aufruf:
</translation>
    </message>
    <message>
        <source>No display found: running headless.</source>
        <translation>Keine Anzeige gefunden: Trevisk läuft ohne Fenster.</translation>
    </message>
</context>
<context>
    <name>Commands</name>
    <message>
        <source>  trevisk export FILE                    write the server list to FILE as XML</source>
        <translation>  trevisk export DATEI                   die Serverliste als XML in DATEI schreiben</translation>
    </message>
    <message>
        <source>  trevisk find GAME [--master HOST:PORT]... [--protocol N] [--name TEXT] [--map TEXT]
               [--not-empty] [--not-full] [--json] [--timeout MS]
                                         ask the game's masters for their servers, query each once
                                         and print those that pass the filters; MS: how long to
                                         wait for a master and for each try of a server (3000, 2000)</source>
        <translation>  trevisk find SPIEL [--master HOST:PORT]... [--protocol N] [--name TEXT] [--map TEXT]
               [--not-empty] [--not-full] [--json] [--timeout MS]
                                         die Master-Server des Spiels nach ihren Servern fragen,
                                         jeden einmal abfragen und die ausgeben, die die Filter
                                         erfüllen; MS: Wartezeit für einen Master und für jeden
                                         Versuch bei einem Server (3000, 2000)</translation>
    </message>
    <message>
        <source>  trevisk import FILE [--merge | --replace]
                                         read the servers of an XML FILE: add the new ones, or
                                         replace the list</source>
        <translation>  trevisk import DATEI [--merge | --replace]
                                         die Server einer XML-DATEI einlesen: die neuen hinzufügen
                                         oder die Liste ersetzen</translation>
    </message>
    <message>
        <source>  trevisk paths                          where the lists, settings, sounds and autostart entry are</source>
        <translation>  trevisk paths                          wo Listen, Einstellungen, Klänge und Autostart-Eintrag liegen</translation>
    </message>
    <message>
        <source>  trevisk query GAME ADDRESS [--json]    query one server once and print what it answered
  trevisk query --file FILE [--json]     the same for every "game&lt;TAB&gt;address" line of FILE
                [--timeout MS]           wait MS for each of the three tries (2000)</source>
        <translation>  trevisk query SPIEL ADRESSE [--json]   einen Server einmal abfragen und seine Antwort ausgeben
  trevisk query --file DATEI [--json]    dasselbe für jede Zeile „Spiel&lt;TAB&gt;Adresse“ in DATEI
                [--timeout MS]           MS auf jeden der drei Versuche warten (2000)</translation>
    </message>
    <message>
        <source>  trevisk rcon GAME ADDRESS COMMAND... [--password-file FILE] [--timeout MS]
                                         send a remote console command and print the reply; the
                                         password comes from FILE's first line, else the remembered
                                         one; exit 3 no answer, 4 port closed, 5 password refused</source>
        <translation>  trevisk rcon SPIEL ADRESSE BEFEHL... [--password-file DATEI] [--timeout MS]
                                         einen Befehl an die Fernkonsole senden und die Antwort
                                         ausgeben; das Passwort steht in der ersten Zeile von DATEI,
                                         sonst gilt das gespeicherte; Rückgabewert 3 keine Antwort,
                                         4 Port geschlossen, 5 Passwort abgelehnt</translation>
    </message>
    <message>
        <source>  trevisk servers list                   the listed servers: game, address, memo, options
  trevisk servers add GAME ADDRESS [--memo TEXT] [--query-port N] [--manual] [--tray 0|1|2]
                      [--no-mail]        add a server, checked as the add-server window does
  trevisk servers remove ADDRESS         remove a server and its custom alert text</source>
        <translation>  trevisk servers list                   die eingetragenen Server: Spiel, Adresse, Notiz, Optionen
  trevisk servers add SPIEL ADRESSE [--memo TEXT] [--query-port N] [--manual] [--tray 0|1|2]
                      [--no-mail]        einen Server hinzufügen, geprüft wie im Fenster „Server
                                         hinzufügen“
  trevisk servers remove ADRESSE         einen Server und seinen eigenen Warntext entfernen</translation>
    </message>
    <message>
        <source>  trevisk test-mail                      send a test alert mail with the saved e-mail settings</source>
        <translation>  trevisk test-mail                      eine Test-Warnmail mit den gespeicherten E-Mail-Einstellungen senden</translation>
    </message>
</context>
<context>
    <name>PathsCommand</name>
    <message>
        <source>Usage: trevisk paths [--config FILE] [--data-dir DIR]</source>
        <translation>Aufruf: trevisk paths [--config DATEI] [--data-dir ORDNER]</translation>
    </message>
    <message>
        <source>Program:   %1</source>
        <translation>Programm:      %1</translation>
    </message>
    <message>
        <source>Lists:     %1</source>
        <translation>Listen:        %1</translation>
    </message>
    <message>
        <source>Settings:  %1</source>
        <translation>Einstellungen: %1</translation>
    </message>
    <message>
        <source>Sound %1:   %2%3</source>
        <translation>Klang %1:       %2%3</translation>
    </message>
    <message>
        <source> (missing)</source>
        <translation> (fehlt)</translation>
    </message>
    <message>
        <source>Autostart: %1 (%2)</source>
        <translation>Autostart:     %1 (%2)</translation>
    </message>
    <message>
        <source>on</source>
        <translation>an</translation>
    </message>
    <message>
        <source>off</source>
        <translation>aus</translation>
    </message>
    <message>
        <source>Language:  %1</source>
        <translation>Sprache:       %1</translation>
    </message>
</context>
<context>
    <name>Translations</name>
    <message>
        <source>English (built in)</source>
        <translation>Englisch (eingebaut)</translation>
    </message>
    <message>
        <source>%1 (%2) from %3</source>
        <translation>%1 (%2) aus %3</translation>
    </message>
    <message>
        <source>, Qt's texts from %1</source>
        <translation>, Qt-Texte aus %1</translation>
    </message>
</context>
<context>
    <name>trevisk::AboutBox</name>
    <message>
        <source>
Version </source>
        <translation>
Version </translation>
    </message>
    <message>
        <source>
Copyright © 2026 Ostravel

Running on Qt </source>
        <translation>
Copyright © 2026 Ostravel

Läuft mit Qt </translation>
    </message>
    <message>
        <source>About </source>
        <translation>Über </translation>
    </message>
</context>
<context>
    <name>trevisk::EmailDialog</name>
    <message>
        <source>Settings</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>host or host:port</source>
        <translation>Host oder Host:Port</translation>
    </message>
    <message>
        <source>None</source>
        <translation>Keine</translation>
    </message>
    <message>
        <source>empty: no login</source>
        <translation>leer: keine Anmeldung</translation>
    </message>
    <message>
        <source>the system's authorities</source>
        <translation>die Zertifizierungsstellen des Systems</translation>
    </message>
    <message>
        <source>Browse for the CA file</source>
        <translation>Zertifikatsdatei auswählen</translation>
    </message>
    <message>
        <source>Enable Notification</source>
        <translation>Benachrichtigung einschalten</translation>
    </message>
    <message>
        <source>&amp;Save</source>
        <translation>&amp;Speichern</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Abbrechen</translation>
    </message>
    <message>
        <source>&amp;Test</source>
        <translation>&amp;Testen</translation>
    </message>
    <message>
        <source>Certificate Authorities</source>
        <translation>Zertifizierungsstellen</translation>
    </message>
    <message>
        <source>Certificates (*.pem *.crt *.cer);;All Files (*)</source>
        <translation>Zertifikate (*.pem *.crt *.cer);;Alle Dateien (*)</translation>
    </message>
    <message>
        <source>Email Notification</source>
        <translation>E-Mail-Benachrichtigung</translation>
    </message>
    <message>
        <source>Mail Sent!</source>
        <translation>E-Mail gesendet!</translation>
    </message>
    <message>
        <source>Test Failed!</source>
        <translation>Test fehlgeschlagen!</translation>
    </message>
    <message>
        <source>Email To</source>
        <translation>E-Mail an</translation>
    </message>
    <message>
        <source>SMTP Server</source>
        <translation>SMTP-Server</translation>
    </message>
    <message>
        <source>Security</source>
        <translation>Sicherheit</translation>
    </message>
    <message>
        <source>User</source>
        <translation>Benutzer</translation>
    </message>
    <message>
        <source>Password</source>
        <translation>Passwort</translation>
    </message>
    <message>
        <source>From</source>
        <translation>Absender</translation>
    </message>
    <message>
        <source>CA File</source>
        <translation>CA-Datei</translation>
    </message>
    <message>
        <source>Send after</source>
        <translation>Senden nach</translation>
    </message>
    <message>
        <source>timeouts.</source>
        <translation>Zeitüberschreitungen.</translation>
    </message>
    <message>
        <source>Send new email every</source>
        <translation>Neue E-Mail senden alle</translation>
    </message>
</context>
<context>
    <name>trevisk::FavouriteMapsDialog</name>
    <message>
        <source>Map List</source>
        <translation>Kartenliste</translation>
    </message>
    <message>
        <source>Game</source>
        <translation>Spiel</translation>
    </message>
    <message>
        <source>Map</source>
        <translation>Karte</translation>
    </message>
    <message>
        <source>Add</source>
        <translation>Hinzufügen</translation>
    </message>
    <message>
        <source>Edit</source>
        <translation>Bearbeiten</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>&amp;Save</source>
        <translation>&amp;Speichern</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Abbrechen</translation>
    </message>
    <message>
        <source>You must select a map to edit!</source>
        <translation>Bitte wählen Sie eine Karte zum Bearbeiten aus!</translation>
    </message>
    <message>
        <source>You must select a map to delete!</source>
        <translation>Bitte wählen Sie eine Karte zum Löschen aus!</translation>
    </message>
    <message>
        <source>Are you sure you want to delete this map?</source>
        <translation>Möchten Sie diese Karte wirklich löschen?</translation>
    </message>
    <message>
        <source>Favorite Maps</source>
        <translation>Lieblingskarten</translation>
    </message>
    <message>
        <source>This map is already in the list!</source>
        <translation>Diese Karte steht schon in der Liste!</translation>
    </message>
</context>
<context>
    <name>trevisk::FindServersWindow</name>
    <message>
        <source>Find Servers</source>
        <translation>Server suchen</translation>
    </message>
    <message>
        <source>host:port of each master, separated by spaces</source>
        <translation>Host:Port jedes Master-Servers, durch Leerzeichen getrennt</translation>
    </message>
    <message>
        <source>Not empty</source>
        <translation>Nicht leer</translation>
    </message>
    <message>
        <source>Not full</source>
        <translation>Nicht voll</translation>
    </message>
    <message>
        <source>&amp;Find</source>
        <translation>&amp;Suchen</translation>
    </message>
    <message>
        <source>&amp;Add to List</source>
        <translation>Zur &amp;Liste hinzufügen</translation>
    </message>
    <message>
        <source>&amp;Game:</source>
        <translation>S&amp;piel:</translation>
    </message>
    <message>
        <source>&amp;Masters:</source>
        <translation>&amp;Master:</translation>
    </message>
    <message>
        <source>&amp;Protocol:</source>
        <translation>P&amp;rotokoll:</translation>
    </message>
    <message>
        <source>&amp;Name contains:</source>
        <translation>&amp;Name enthält:</translation>
    </message>
    <message>
        <source>Ma&amp;p contains:</source>
        <translation>&amp;Karte enthält:</translation>
    </message>
    <message>
        <source>&amp;Stop</source>
        <translation>&amp;Anhalten</translation>
    </message>
    <message>
        <source>%1 added</source>
        <translation>%1 hinzugefügt</translation>
    </message>
    <message>
        <source>, %1 already listed</source>
        <translation>, %1 schon eingetragen</translation>
    </message>
    <message>
        <source>%1 listed, %2 of %3 answered, %4 shown</source>
        <translation>%1 gemeldet, %2 von %3 antworteten, %4 angezeigt</translation>
    </message>
    <message>
        <source>; %1 IPv6 not queried</source>
        <translation>; %1 IPv6 nicht abgefragt</translation>
    </message>
    <message>
        <source>unknown</source>
        <translation>unbekannt</translation>
    </message>
</context>
<context>
    <name>trevisk::FriendsDialog</name>
    <message>
        <source>Friends</source>
        <translation>Freunde</translation>
    </message>
    <message>
        <source>Add</source>
        <translation>Hinzufügen</translation>
    </message>
    <message>
        <source>Edit</source>
        <translation>Bearbeiten</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>&amp;Save</source>
        <translation>&amp;Speichern</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Abbrechen</translation>
    </message>
    <message>
        <source>Add Name</source>
        <translation>Name hinzufügen</translation>
    </message>
    <message>
        <source>You must select a name to edit!</source>
        <translation>Bitte wählen Sie einen Namen zum Bearbeiten aus!</translation>
    </message>
    <message>
        <source>Edit Name</source>
        <translation>Name bearbeiten</translation>
    </message>
    <message>
        <source>You must select a name to delete!</source>
        <translation>Bitte wählen Sie einen Namen zum Löschen aus!</translation>
    </message>
    <message>
        <source>Friends List</source>
        <translation>Freundesliste</translation>
    </message>
    <message>
        <source>Enter a name of a friend</source>
        <translation>Geben Sie den Namen eines Freundes ein</translation>
    </message>
</context>
<context>
    <name>trevisk::GameLocationsDialog</name>
    <message>
        <source>Game</source>
        <translation>Spiel</translation>
    </message>
    <message>
        <source>Browse for the game</source>
        <translation>Spiel auswählen</translation>
    </message>
    <message>
        <source>&amp;Save</source>
        <translation>&amp;Speichern</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Abbrechen</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>Game path</source>
        <translation>Spielpfad</translation>
    </message>
    <message>
        <source>Optional Parameters</source>
        <translation>Zusätzliche Parameter</translation>
    </message>
    <message>
        <source>Applications (*.exe)</source>
        <translation>Programme (*.exe)</translation>
    </message>
    <message>
        <source>Applications (*)</source>
        <translation>Programme (*)</translation>
    </message>
    <message>
        <source>Path to </source>
        <translation>Pfad zu </translation>
    </message>
    <message>
        <source>Game Locations</source>
        <translation>Spielpfade</translation>
    </message>
</context>
<context>
    <name>trevisk::HistorySeries</name>
    <message>
        <source>5 Minutes</source>
        <translation>5 Minuten</translation>
    </message>
    <message>
        <source>30 Minutes</source>
        <translation>30 Minuten</translation>
    </message>
    <message>
        <source>60 Minutes</source>
        <translation>60 Minuten</translation>
    </message>
    <message>
        <source>2 Hours</source>
        <translation>2 Stunden</translation>
    </message>
    <message>
        <source>6 Hours</source>
        <translation>6 Stunden</translation>
    </message>
    <message>
        <source>Ping</source>
        <translation>Ping</translation>
    </message>
    <message>
        <source>Players</source>
        <translation>Spieler</translation>
    </message>
    <message>
        <source> graph for '</source>
        <translation>-Verlauf für '</translation>
    </message>
</context>
<context>
    <name>trevisk::IconColoursBox</name>
    <message>
        <source>Default Icon Colors</source>
        <translation>Standard-Symbolfarben</translation>
    </message>
    <message>
        <source>Choose the %1 icon colour</source>
        <translation>Symbolfarbe „%1“ wählen</translation>
    </message>
    <message>
        <source>Background</source>
        <translation>Hintergrund</translation>
    </message>
    <message>
        <source>Normal</source>
        <translation>Normal</translation>
    </message>
    <message>
        <source>Friend</source>
        <translation>Freund</translation>
    </message>
    <message>
        <source>Offline</source>
        <translation>Offline</translation>
    </message>
</context>
<context>
    <name>trevisk::MainWindow</name>
    <message>
        <source>&amp;ServerList</source>
        <translation>&amp;Serverliste</translation>
    </message>
    <message>
        <source>Server List</source>
        <translation>Serverliste</translation>
    </message>
    <message>
        <source>Server Offline</source>
        <translation>Server offline</translation>
    </message>
    <message>
        <source>Friend Online</source>
        <translation>Freund online</translation>
    </message>
    <message>
        <source>Manual Refresh</source>
        <translation>Manuell aktualisieren</translation>
    </message>
    <message>
        <source>File</source>
        <translation>Datei</translation>
    </message>
    <message>
        <source>&amp;Message History...</source>
        <translation>&amp;Meldungsverlauf...</translation>
    </message>
    <message>
        <source>History Graph...</source>
        <translation>Verlaufsdiagramm...</translation>
    </message>
    <message>
        <source>Purge History Data</source>
        <translation>Verlaufsdaten löschen</translation>
    </message>
    <message>
        <source>Import List...</source>
        <translation>Liste importieren...</translation>
    </message>
    <message>
        <source>Export List...</source>
        <translation>Liste exportieren...</translation>
    </message>
    <message>
        <source>&amp;Exit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <source>&amp;Servers</source>
        <translation>S&amp;erver</translation>
    </message>
    <message>
        <source>&amp;Refresh All</source>
        <translation>&amp;Alle aktualisieren</translation>
    </message>
    <message>
        <source>&amp;Show Details...</source>
        <translation>&amp;Details anzeigen...</translation>
    </message>
    <message>
        <source>&amp;Remote RCON...</source>
        <translation>RCON-&amp;Konsole...</translation>
    </message>
    <message>
        <source>&amp;Find Servers...</source>
        <translation>Server &amp;suchen...</translation>
    </message>
    <message>
        <source>&amp;Add Server...</source>
        <translation>Server &amp;hinzufügen...</translation>
    </message>
    <message>
        <source>&amp;Edit Server...</source>
        <translation>Server &amp;bearbeiten...</translation>
    </message>
    <message>
        <source>&amp;Delete Server</source>
        <translation>Server &amp;löschen</translation>
    </message>
    <message>
        <source>&amp;Settings</source>
        <translation>E&amp;instellungen</translation>
    </message>
    <message>
        <source>&amp;Configure Trevisk...</source>
        <translation>Trevisk &amp;einrichten...</translation>
    </message>
    <message>
        <source>Email Notification...</source>
        <translation>E-Mail-Benachrichtigung...</translation>
    </message>
    <message>
        <source>&amp;Setup Game Paths...</source>
        <translation>&amp;Spielpfade festlegen...</translation>
    </message>
    <message>
        <source>&amp;Friends...</source>
        <translation>&amp;Freunde...</translation>
    </message>
    <message>
        <source>&amp;Favorite Maps...</source>
        <translation>&amp;Lieblingskarten...</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>&amp;About...</source>
        <translation>Ü&amp;ber...</translation>
    </message>
    <message>
        <source>&amp;Refresh</source>
        <translation>&amp;Aktualisieren</translation>
    </message>
    <message>
        <source>&amp;Show Details</source>
        <translation>&amp;Details anzeigen</translation>
    </message>
    <message>
        <source>Cancel Auto-Join</source>
        <translation>Automatisches Beitreten abbrechen</translation>
    </message>
    <message>
        <source>&amp;Join Server</source>
        <translation>Server &amp;beitreten</translation>
    </message>
    <message>
        <source>&amp;Remote Rcon...</source>
        <translation>RCON-&amp;Konsole...</translation>
    </message>
    <message>
        <source>&amp;Show Window...</source>
        <translation>&amp;Fenster anzeigen...</translation>
    </message>
    <message>
        <source>You must select a server to view!</source>
        <translation>Bitte wählen Sie einen Server aus!</translation>
    </message>
    <message>
        <source>Remote RCON is not yet supported for </source>
        <translation>Die RCON-Konsole wird noch nicht unterstützt für </translation>
    </message>
    <message>
        <source>You must select a game to join!</source>
        <translation>Bitte wählen Sie ein Spiel zum Beitreten aus!</translation>
    </message>
    <message>
        <source>Are you sure you want to purge history?</source>
        <translation>Möchten Sie den Verlauf wirklich löschen?</translation>
    </message>
    <message>
        <source>You must select as server to view!</source>
        <translation>Bitte wählen Sie einen Server aus!</translation>
    </message>
    <message>
        <source>This desktop has no notification area: tray icons are unavailable.</source>
        <translation>Diese Arbeitsumgebung hat keinen Benachrichtigungsbereich: keine Symbole im Systembereich.</translation>
    </message>
    <message>
        <source>Ostravel Trevisk Loaded....</source>
        <translation>Ostravel Trevisk geladen....</translation>
    </message>
    <message>
        <source>This window is not available yet.</source>
        <translation>Dieses Fenster ist noch nicht verfügbar.</translation>
    </message>
    <message>
        <source>No servers are listed yet.

Add one with "Add Server..." in the Servers menu, or import a list from the File menu.
To see every engine at work first, start "trevisk --demo".</source>
        <translation>Noch keine Server eingetragen.

Fügen Sie einen mit „Server hinzufügen...“ im Menü „Server“ hinzu oder importieren Sie eine Liste über das Menü „Datei“.
Um zuerst alle Engines in Aktion zu sehen, starten Sie „trevisk --demo“.</translation>
    </message>
</context>
<context>
    <name>trevisk::MapEntryDialog</name>
    <message>
        <source>Add Map</source>
        <translation>Karte hinzufügen</translation>
    </message>
    <message>
        <source>&amp;Save</source>
        <translation>&amp;Speichern</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Abbrechen</translation>
    </message>
    <message>
        <source>Game</source>
        <translation>Spiel</translation>
    </message>
    <message>
        <source>Map Name</source>
        <translation>Kartenname</translation>
    </message>
    <message>
        <source>Edit Map</source>
        <translation>Karte bearbeiten</translation>
    </message>
    <message>
        <source>You must specify a game!</source>
        <translation>Bitte geben Sie ein Spiel an!</translation>
    </message>
    <message>
        <source>You must specify a map name!</source>
        <translation>Bitte geben Sie einen Kartennamen an!</translation>
    </message>
</context>
<context>
    <name>trevisk::MessageHistoryModel</name>
    <message>
        <source>Date Stamp</source>
        <translation>Zeitpunkt</translation>
    </message>
    <message>
        <source>Message</source>
        <translation>Meldung</translation>
    </message>
</context>
<context>
    <name>trevisk::MessageHistoryWindow</name>
    <message>
        <source>Message History</source>
        <translation>Meldungsverlauf</translation>
    </message>
</context>
<context>
    <name>trevisk::NotifyWindow</name>
    <message>
        <source>Dismiss</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Dismiss All</source>
        <translation>Alle schließen</translation>
    </message>
</context>
<context>
    <name>trevisk::RconWindow</name>
    <message>
        <source>Remember Password</source>
        <translation>Passwort merken</translation>
    </message>
    <message>
        <source>&amp;Send</source>
        <translation>&amp;Senden</translation>
    </message>
    <message>
        <source>Remote RCON</source>
        <translation>RCON-Konsole</translation>
    </message>
    <message>
        <source>Remote Rcon</source>
        <translation>RCON-Konsole</translation>
    </message>
    <message>
        <source>Rcon Password</source>
        <translation>RCON-Passwort</translation>
    </message>
    <message>
        <source>Command To Send</source>
        <translation>Zu sendender Befehl</translation>
    </message>
    <message>
        <source>Server Response</source>
        <translation>Antwort des Servers</translation>
    </message>
    <message>
        <source>No answer from the server within %1 seconds.</source>
        <translation>Keine Antwort vom Server innerhalb von %1 Sekunden.</translation>
    </message>
    <message>
        <source>Remote Rcon for: </source>
        <translation>RCON-Konsole für: </translation>
    </message>
    <message>
        <source>The address %1 names no host and port for %2.</source>
        <translation>Die Adresse %1 nennt keinen Host und Port für %2.</translation>
    </message>
    <message>
        <source>This password is remembered as typed: the scrambled form cannot carry its characters.</source>
        <translation>Dieses Passwort wird im Klartext gespeichert: die verschlüsselte Form kann seine Zeichen nicht aufnehmen.</translation>
    </message>
</context>
<context>
    <name>trevisk::ServerDetailsWindow</name>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Ping</source>
        <translation>Ping</translation>
    </message>
    <message>
        <source>Score</source>
        <translation>Punkte</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>Zeit</translation>
    </message>
    <message>
        <source>Setting</source>
        <translation>Einstellung</translation>
    </message>
    <message>
        <source>Value</source>
        <translation>Wert</translation>
    </message>
    <message>
        <source>State: ...</source>
        <translation>Zustand: ...</translation>
    </message>
    <message>
        <source>Players</source>
        <translation>Spieler</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>Server details</source>
        <translation>Serverdetails</translation>
    </message>
    <message>
        <source>&amp;Show Window</source>
        <translation>&amp;Fenster anzeigen</translation>
    </message>
    <message>
        <source>&amp;Close Window</source>
        <translation>Fenster &amp;schließen</translation>
    </message>
    <message>
        <source>&amp;Refresh</source>
        <translation>&amp;Aktualisieren</translation>
    </message>
    <message>
        <source>&amp;Cancel Auto-Join</source>
        <translation>Automatisches Beitreten abbre&amp;chen</translation>
    </message>
    <message>
        <source>&amp;Join Game</source>
        <translation>Spiel &amp;beitreten</translation>
    </message>
    <message>
        <source>&amp;Remote Rcon</source>
        <translation>RCON-&amp;Konsole</translation>
    </message>
    <message>
        <source>Uptime: last day %1, week %2, 30 days %3</source>
        <translation>Erreichbarkeit: letzter Tag %1, Woche %2, 30 Tage %3</translation>
    </message>
    <message>
        <source>State: </source>
        <translation>Zustand: </translation>
    </message>
</context>
<context>
    <name>trevisk::ServerDialog</name>
    <message>
        <source>Add Server</source>
        <translation>Server hinzufügen</translation>
    </message>
    <message>
        <source>Server</source>
        <translation>Server</translation>
    </message>
    <message>
        <source>* Required</source>
        <translation>* Pflichtfeld</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>Load to Tray at Startup</source>
        <translation>Beim Start im Systembereich zeigen</translation>
    </message>
    <message>
        <source>Manual Refresh Only</source>
        <translation>Nur manuell aktualisieren</translation>
    </message>
    <message>
        <source>Don't Email Notify</source>
        <translation>Keine E-Mail-Benachrichtigung</translation>
    </message>
    <message>
        <source>Custom Email Message</source>
        <translation>Eigener E-Mail-Text</translation>
    </message>
    <message>
        <source>&amp;Save</source>
        <translation>&amp;Speichern</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Abbrechen</translation>
    </message>
    <message>
        <source>Edit Server</source>
        <translation>Server bearbeiten</translation>
    </message>
    <message>
        <source>Port not specified, use default?</source>
        <translation>Kein Port angegeben, Standardport verwenden?</translation>
    </message>
    <message>
        <source>*Address</source>
        <translation>*Adresse</translation>
    </message>
    <message>
        <source>*Port</source>
        <translation>*Port</translation>
    </message>
    <message>
        <source>*Game Type</source>
        <translation>*Spieltyp</translation>
    </message>
    <message>
        <source>Query Port</source>
        <translation>Abfrageport</translation>
    </message>
    <message>
        <source>0 for automatic</source>
        <translation>0 für automatisch</translation>
    </message>
    <message>
        <source>Short Memo</source>
        <translation>Kurznotiz</translation>
    </message>
</context>
<context>
    <name>trevisk::ServerHistoryWindow</name>
    <message>
        <source>Refresh</source>
        <translation>Aktualisieren</translation>
    </message>
    <message>
        <source>Graph Type</source>
        <translation>Diagrammart</translation>
    </message>
    <message>
        <source>Interval</source>
        <translation>Zeitraum</translation>
    </message>
    <message>
        <source>History Graph</source>
        <translation>Verlaufsdiagramm</translation>
    </message>
    <message>
        <source>Server History</source>
        <translation>Serververlauf</translation>
    </message>
</context>
<context>
    <name>trevisk::ServerIcon</name>
    <message numerus="yes">
        <source> (%n friends) Map: </source>
        <translation>
            <numerusform> (%n Freund) Karte: </numerusform><numerusform> (%n Freunde) Karte: </numerusform></translation>
    </message>
</context>
<context>
    <name>trevisk::SettingsDialog</name>
    <message>
        <source>Settings</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>Refresh Interval</source>
        <translation>Aktualisierungsintervall</translation>
    </message>
    <message>
        <source>Visual Notifications</source>
        <translation>Sichtbare Benachrichtigungen</translation>
    </message>
    <message>
        <source>Automatic</source>
        <translation>Automatisch</translation>
    </message>
    <message>
        <source>Sliding Window</source>
        <translation>Einblendfenster</translation>
    </message>
    <message>
        <source>Desktop Notifications</source>
        <translation>Desktop-Benachrichtigungen</translation>
    </message>
    <message>
        <source>Both</source>
        <translation>Beides</translation>
    </message>
    <message>
        <source>Show in</source>
        <translation>Anzeigen als</translation>
    </message>
    <message>
        <source>Audio Notifications</source>
        <translation>Akustische Benachrichtigungen</translation>
    </message>
    <message>
        <source>Browse for the %1 sound</source>
        <translation>Klang „%1“ auswählen</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>Abspielen</translation>
    </message>
    <message>
        <source>Load File</source>
        <translation>Datei laden</translation>
    </message>
    <message>
        <source>Wave Files (*.wav)</source>
        <translation>Wave-Dateien (*.wav)</translation>
    </message>
    <message>
        <source>Notification Colors</source>
        <translation>Farben der Benachrichtigung</translation>
    </message>
    <message>
        <source>Background</source>
        <translation>Hintergrund</translation>
    </message>
    <message>
        <source>Choose the notification background colour</source>
        <translation>Hintergrundfarbe der Benachrichtigung wählen</translation>
    </message>
    <message>
        <source>Text</source>
        <translation>Text</translation>
    </message>
    <message>
        <source>Choose the notification text colour</source>
        <translation>Textfarbe der Benachrichtigung wählen</translation>
    </message>
    <message>
        <source>Test</source>
        <translation>Testen</translation>
    </message>
    <message>
        <source>Friend Color</source>
        <translation>Farbe für Freunde</translation>
    </message>
    <message>
        <source>Choose the friend colour</source>
        <translation>Farbe für Freunde wählen</translation>
    </message>
    <message>
        <source>Logging</source>
        <translation>Protokoll</translation>
    </message>
    <message>
        <source>Browse for the log file</source>
        <translation>Protokolldatei auswählen</translation>
    </message>
    <message>
        <source>Log File name</source>
        <translation>Name der Protokolldatei</translation>
    </message>
    <message>
        <source>All Files (*)</source>
        <translation>Alle Dateien (*)</translation>
    </message>
    <message>
        <source>Log File</source>
        <translation>Protokolldatei</translation>
    </message>
    <message>
        <source>&amp;Save</source>
        <translation>&amp;Speichern</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Abbrechen</translation>
    </message>
    <message>
        <source>This is a test message of the Notification System</source>
        <translation>Dies ist eine Testmeldung des Benachrichtigungssystems</translation>
    </message>
    <message>
        <source>Server Offline</source>
        <translation>Server offline</translation>
    </message>
    <message>
        <source>Server Online</source>
        <translation>Server online</translation>
    </message>
    <message>
        <source>Friend Logged On</source>
        <translation>Freund angemeldet</translation>
    </message>
    <message>
        <source>Friend Logged Off</source>
        <translation>Freund abgemeldet</translation>
    </message>
    <message>
        <source>Server Activity</source>
        <translation>Serveraktivität</translation>
    </message>
    <message>
        <source>Favorite Map</source>
        <translation>Lieblingskarte</translation>
    </message>
    <message>
        <source>Start Main Window in Tray</source>
        <translation>Hauptfenster im Systembereich starten</translation>
    </message>
    <message>
        <source>Encrypt Saved RCON Passwords</source>
        <translation>Gespeicherte RCON-Passwörter verschlüsseln</translation>
    </message>
    <message>
        <source>Default Servers to Load to Tray</source>
        <translation>Server standardmäßig im Systembereich zeigen</translation>
    </message>
    <message>
        <source>Disable Auto-Refresh</source>
        <translation>Automatisches Aktualisieren aus</translation>
    </message>
    <message>
        <source>Start with the desktop</source>
        <translation>Mit der Arbeitsumgebung starten</translation>
    </message>
    <message>
        <source>Server Status Change</source>
        <translation>Statuswechsel eines Servers</translation>
    </message>
    <message>
        <source>Friends Log On/Off</source>
        <translation>Freunde an-/abgemeldet</translation>
    </message>
    <message>
        <source>Player Activity</source>
        <translation>Spieleraktivität</translation>
    </message>
    <message>
        <source>Enable</source>
        <translation>Ein</translation>
    </message>
    <message>
        <source>Enable Logging</source>
        <translation>Protokoll einschalten</translation>
    </message>
    <message>
        <source>Notify on new version during startup</source>
        <translation>Beim Start über neue Versionen informieren</translation>
    </message>
    <message>
        <source>Notification background</source>
        <translation>Hintergrund der Benachrichtigung</translation>
    </message>
    <message>
        <source>Notification text</source>
        <translation>Text der Benachrichtigung</translation>
    </message>
    <message>
        <source>Friend colour</source>
        <translation>Farbe für Freunde</translation>
    </message>
    <message>
        <source>seconds</source>
        <translation>Sekunden</translation>
    </message>
</context>
<context>
    <name>trevisk::SnoozeMenu</name>
    <message>
        <source>Snoo&amp;ze Alerts</source>
        <translation>Warnungen &amp;pausieren</translation>
    </message>
    <message>
        <source>The snooze could not be saved: </source>
        <translation>Die Pause konnte nicht gespeichert werden: </translation>
    </message>
    <message>
        <source>For 1 &amp;Hour</source>
        <translation>Für 1 &amp;Stunde</translation>
    </message>
    <message>
        <source>For &amp;8 Hours</source>
        <translation>Für &amp;8 Stunden</translation>
    </message>
    <message>
        <source>Until &amp;Tomorrow</source>
        <translation>Bis &amp;morgen</translation>
    </message>
    <message>
        <source>Until Turned &amp;Back On</source>
        <translation>Bis zum &amp;Wiedereinschalten</translation>
    </message>
    <message>
        <source>&amp;Alerts On</source>
        <translation>W&amp;arnungen an</translation>
    </message>
</context>
<context>
    <name>trevisk::SplashWindow</name>
    <message>
        <source>CHECKING FOR AN UPDATE....</source>
        <translation>SUCHE NACH UPDATES....</translation>
    </message>
</context>
<context>
    <name>trevisk::StatusModel</name>
    <message>
        <source>offline (%1)</source>
        <translation>offline (%1)</translation>
    </message>
    <message>
        <source>Game</source>
        <translation>Spiel</translation>
    </message>
    <message>
        <source>Address</source>
        <translation>Adresse</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Ping</source>
        <translation>Ping</translation>
    </message>
    <message>
        <source>Last Refresh</source>
        <translation>Aktualisiert</translation>
    </message>
    <message>
        <source>Players</source>
        <translation>Spieler</translation>
    </message>
    <message>
        <source>Friends</source>
        <translation>Freunde</translation>
    </message>
    <message>
        <source>Map</source>
        <translation>Karte</translation>
    </message>
    <message>
        <source>Memo</source>
        <translation>Notiz</translation>
    </message>
    <message>
        <source>State</source>
        <translation>Zustand</translation>
    </message>
</context>
<context>
    <name>trevisk::UpgradePrompt</name>
    <message>
        <source>An updated version of Trevisk (%1) is available at
%2
Would you like to upgrade?</source>
        <translation>Eine neue Version von Trevisk (%1) ist erhältlich unter
%2
Möchten Sie aktualisieren?</translation>
    </message>
    <message>
        <source>Trevisk Upgrade</source>
        <translation>Trevisk-Aktualisierung</translation>
    </message>
    <message>
        <source>&amp;Yes</source>
        <translation>&amp;Ja</translation>
    </message>
    <message>
        <source>&amp;No</source>
        <translation>&amp;Nein</translation>
    </message>
</context>
</TS>