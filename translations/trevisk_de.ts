<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>AlertSnooze</name>
    <message>
        <source>until turned back on</source>
        <translation>bis zum Wiedereinschalten</translation>
    </message>
    <message>
        <source>until %1</source>
        <translation>bis %1</translation>
    </message>
    <message>
        <source>ddd d MMM HH:mm</source>
        <comment>date and time format</comment>
        <translation>ddd d. MMM HH:mm</translation>
    </message>
    <message>
        <source>; nothing was changed</source>
        <translation>; es wurde nichts geändert</translation>
    </message>
</context>
<context>
    <name>AnswerReason</name>
    <message numerus="yes">
        <source>not a %1 server&apos;s answer (%n bytes)</source>
        <translation>
            <numerusform>keine Antwort eines Servers für %1 (%n Byte)</numerusform>
            <numerusform>keine Antwort eines Servers für %1 (%n Byte)</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>not an A2S reply (%n bytes)</source>
        <translation>
            <numerusform>keine A2S-Antwort (%n Byte)</numerusform>
            <numerusform>keine A2S-Antwort (%n Byte)</numerusform>
        </translation>
    </message>
    <message>
        <source>player count %1 is impossible</source>
        <translation>Spielerzahl %1 ist unmöglich</translation>
    </message>
    <message>
        <source>maximum %1 is impossible</source>
        <translation>Höchstzahl %1 ist unmöglich</translation>
    </message>
    <message>
        <source>score %1 is impossible</source>
        <translation>Punktestand %1 ist unmöglich</translation>
    </message>
    <message numerus="yes">
        <source>%n players on a server of %1</source>
        <translation>
            <numerusform>%n Spieler auf einem Server mit %1 Plätzen</numerusform>
            <numerusform>%n Spieler auf einem Server mit %1 Plätzen</numerusform>
        </translation>
    </message>
    <message>
        <source>IPv6 is not available on this machine</source>
        <translation>IPv6 ist auf diesem Rechner nicht verfügbar</translation>
    </message>
    <message>
        <source>Not a part of a split reply</source>
        <translation>Kein Teil einer geteilten Antwort</translation>
    </message>
    <message>
        <source>The server sent a compressed (bzip2) split reply, which is not supported</source>
        <translation>Der Server hat eine komprimierte (bzip2) geteilte Antwort gesendet; das wird nicht unterstützt</translation>
    </message>
    <message>
        <source>Too many parts in one split reply</source>
        <translation>Zu viele Teile in einer geteilten Antwort</translation>
    </message>
    <message>
        <source>A split part ends before its number</source>
        <translation>Ein Teil einer geteilten Antwort endet vor seiner Nummer</translation>
    </message>
    <message>
        <source>A split part ends before its payload</source>
        <translation>Ein Teil einer geteilten Antwort endet vor seinem Inhalt</translation>
    </message>
    <message>
        <source>Split part %1 of %2 does not fit its reply</source>
        <translation>Teil %1 von %2 passt nicht zu seiner geteilten Antwort</translation>
    </message>
    <message>
        <source>The joined split reply has no header</source>
        <translation>Die zusammengesetzte Antwort hat keinen Kopf</translation>
    </message>
    <message>
        <source>The reply ends before its %1</source>
        <translation>Die Antwort endet vor dem Feld %1</translation>
    </message>
    <message>
        <source>Player record %1 is cut short</source>
        <translation>Der Spielereintrag %1 ist abgeschnitten</translation>
    </message>
    <message>
        <source>Player record %1 has no score</source>
        <translation>Der Spielereintrag %1 hat keinen Punktestand</translation>
    </message>
    <message>
        <source>Player line %1 is incomplete</source>
        <translation>Die Spielerzeile %1 ist unvollständig</translation>
    </message>
    <message>
        <source>Player %1 has no %2</source>
        <translation>Spieler %1 fehlt das Feld %2</translation>
    </message>
    <message>
        <source>numplayers is not a number: %1</source>
        <translation>numplayers ist keine Zahl: %1</translation>
    </message>
    <message>
        <source>numplayers %1 is out of range</source>
        <translation>numplayers %1 liegt außerhalb des gültigen Bereichs</translation>
    </message>
    <message>
        <source>numplayers %1 is more than an answer of %2 bytes can hold</source>
        <translation>numplayers %1 ist mehr, als eine Antwort von %2 Byte fassen kann</translation>
    </message>
</context>
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
                               as &quot;Authorization: Bearer TOKEN&quot;
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
                               &quot;Authorization: Bearer TOKEN&quot; mitsenden
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
        <source>The argument &quot;%1&quot; is not valid text in the system&apos;s encoding; nothing was done.</source>
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
    <message>
        <source>--instance goes with --shard</source>
        <translation>--instance geht nur zusammen mit --shard</translation>
    </message>
    <message>
        <source>--instance takes a name</source>
        <translation>--instance braucht einen Namen</translation>
    </message>
    <message>
        <source>--shard works only in headless mode (--headless)</source>
        <translation>--shard funktioniert nur ohne Fenster (--headless)</translation>
    </message>
</context>
<context>
    <name>AutoJoin</name>
    <message>
        <source>Auto Join</source>
        <translation>Automatisch beitreten</translation>
    </message>
    <message>
        <source>The server is full.</source>
        <translation>Der Server ist voll.</translation>
    </message>
    <message>
        <source>Join when Free</source>
        <translation>Beitreten, wenn frei</translation>
    </message>
    <message>
        <source>Join Anyways</source>
        <translation>Trotzdem beitreten</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Abbrechen</translation>
    </message>
    <message>
        <source> did not answer just now: the game was not started.</source>
        <translation> hat gerade nicht geantwortet: das Spiel wurde nicht gestartet.</translation>
    </message>
    <message>
        <source>Location of </source>
        <translation>Der Pfad zu </translation>
    </message>
    <message>
        <source> has not been configured!</source>
        <translation> ist nicht festgelegt!</translation>
    </message>
    <message>
        <source>%1 could not be started from %2</source>
        <translation>%1 konnte nicht aus %2 gestartet werden</translation>
    </message>
</context>
<context>
    <name>Autostart</name>
    <message>
        <source>The autostart entry %1 could not be removed.</source>
        <translation>Der Autostart-Eintrag %1 konnte nicht entfernt werden.</translation>
    </message>
    <message>
        <source>The autostart folder %1 could not be made.</source>
        <translation>Der Autostart-Ordner %1 konnte nicht angelegt werden.</translation>
    </message>
    <message>
        <source>The autostart entry %1 could not be written: %2</source>
        <translation>Der Autostart-Eintrag %1 konnte nicht geschrieben werden: %2</translation>
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
                                         ask the game&apos;s masters for their servers, query each once
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
        <source>  trevisk rcon GAME ADDRESS COMMAND... [--password-file FILE] [--timeout MS]
                                         send a remote console command and print the reply; the
                                         password comes from FILE&apos;s first line, else the remembered
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
    <message>
        <source>  trevisk query GAME ADDRESS [--json]    query one server once and print what it answered
  trevisk query --file FILE [--json]     the same for every &quot;game&lt;TAB&gt;address&quot; line of FILE
                [--timeout MS]           wait MS for each of the three tries (2000)
                [--home-pace]            never faster than a home connection takes</source>
        <translation>  trevisk query SPIEL ADRESSE [--json]   einen Server einmal abfragen und seine Antwort ausgeben
  trevisk query --file DATEI [--json]    dasselbe für jede Zeile „Spiel&lt;TAB&gt;Adresse“ in DATEI
                [--timeout MS]           MS auf jeden der drei Versuche warten (2000)
                [--home-pace]            nie schneller, als ein Heimanschluss verkraftet</translation>
    </message>
</context>
<context>
    <name>Demo</name>
    <message>
        <source>The demo needs a temporary folder: %1</source>
        <translation>Die Demo braucht einen temporären Ordner: %1</translation>
    </message>
    <message>
        <source>A simulated %1 server could not start: %2</source>
        <translation>Ein simulierter %1-Server konnte nicht starten: %2</translation>
    </message>
    <message>
        <source>The demo&apos;s lists could not be written: %1</source>
        <translation>Die Listen der Demo konnten nicht geschrieben werden: %1</translation>
    </message>
    <message numerus="yes">
        <source>Demo: %n simulated servers on 127.0.0.1, one of every engine; friend &quot;%1&quot;, favourite map %2 on Quake 3. The data lives in %3 and goes at exit.</source>
        <translation>
            <numerusform>Demo: %n simulierter Server auf 127.0.0.1; Freund „%1“, Lieblingskarte %2 auf Quake 3. Die Daten liegen in %3 und werden beim Beenden gelöscht.</numerusform>
            <numerusform>Demo: %n simulierte Server auf 127.0.0.1, einer je Engine; Freund „%1“, Lieblingskarte %2 auf Quake 3. Die Daten liegen in %3 und werden beim Beenden gelöscht.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>EmailSettings</name>
    <message>
        <source>Only Once</source>
        <translation>Nur einmal</translation>
    </message>
    <message>
        <source>30 Minutes</source>
        <translation>30 Minuten</translation>
    </message>
    <message>
        <source>1 Hour</source>
        <translation>1 Stunde</translation>
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
        <source>The settings file %1 cannot be created: %2</source>
        <translation>Die Einstellungsdatei %1 kann nicht angelegt werden: %2</translation>
    </message>
    <message>
        <source>The settings file %1 cannot be made private: %2</source>
        <translation>Die Einstellungsdatei %1 kann nicht nur für Sie lesbar gemacht werden: %2</translation>
    </message>
    <message>
        <source>The settings could not be written to %1.</source>
        <translation>Die Einstellungen konnten nicht in %1 geschrieben werden.</translation>
    </message>
    <message>
        <source>The settings file %1 cannot be made private.</source>
        <translation>Die Einstellungsdatei %1 kann nicht nur für Sie lesbar gemacht werden.</translation>
    </message>
    <message>
        <source>No server is chosen for the message.</source>
        <translation>Für den Text ist kein Server gewählt.</translation>
    </message>
</context>
<context>
    <name>ErrorText</name>
    <message>
        <source>An error has occured</source>
        <translation>Ein Fehler ist aufgetreten</translation>
    </message>
    <message>
        <source>An error has occured in function: </source>
        <translation>Ein Fehler ist aufgetreten in der Funktion: </translation>
    </message>
    <message>
        <source>&lt;-----BEGIN ERROR TEXT-----&gt;</source>
        <translation>&lt;-----ANFANG FEHLERTEXT-----&gt;</translation>
    </message>
    <message>
        <source>&lt;-----END ERROR TEXT-----&gt;</source>
        <translation>&lt;-----ENDE FEHLERTEXT-----&gt;</translation>
    </message>
    <message>
        <source>Error Number:</source>
        <translation>Fehlernummer:</translation>
    </message>
    <message>
        <source>Please write this information down before contacting Ostravel.</source>
        <translation>Bitte notieren Sie diese Angaben, bevor Sie sich an Ostravel wenden.</translation>
    </message>
    <message>
        <source>This information is critical to fixing this error!</source>
        <translation>Ohne diese Angaben lässt sich der Fehler nicht beheben!</translation>
    </message>
</context>
<context>
    <name>FindCommand</name>
    <message>
        <source>--protocol takes a protocol number, 1 or more</source>
        <translation>--protocol erwartet eine Protokollnummer, 1 oder mehr</translation>
    </message>
    <message>
        <source>--timeout takes a number of milliseconds, 1 or more</source>
        <translation>--timeout erwartet eine Anzahl Millisekunden, 1 oder mehr</translation>
    </message>
    <message>
        <source>%1 listed, %2 of %3 answered</source>
        <translation>%1 gemeldet, %2 von %3 antworteten</translation>
    </message>
    <message>
        <source>%1: %2 servers listed in %3 s%4</source>
        <translation>%1: %2 Server gemeldet in %3 s%4</translation>
    </message>
    <message>
        <source>%1 shown; all done in %2 s</source>
        <translation>%1 angezeigt; alles erledigt in %2 s</translation>
    </message>
    <message>
        <source>Usage: trevisk find GAME [--master HOST:PORT]... [--protocol N] [--name TEXT] [--map TEXT]
                    [--not-empty] [--not-full] [--json] [--timeout MS]</source>
        <translation>Aufruf: trevisk find SPIEL [--master HOST:PORT]... [--protocol N] [--name TEXT] [--map TEXT]
                     [--not-empty] [--not-full] [--json] [--timeout MS]</translation>
    </message>
</context>
<context>
    <name>HeadlessOutput</name>
    <message>
        <source>Alert mail sent for %1</source>
        <translation>Warnmail für %1 gesendet</translation>
    </message>
    <message>
        <source>Alert mail for %1 was not sent: %2</source>
        <translation>Warnmail für %1 wurde nicht gesendet: %2</translation>
    </message>
    <message>
        <source>Alerts snoozed: </source>
        <translation>Warnungen pausiert: </translation>
    </message>
</context>
<context>
    <name>ImportExportCommands</name>
    <message>
        <source>Usage: trevisk import FILE [--merge | --replace] [--data-dir DIR]</source>
        <translation>Aufruf: trevisk import DATEI [--merge | --replace] [--data-dir ORDNER]</translation>
    </message>
    <message>
        <source>Usage: trevisk export FILE [--data-dir DIR]</source>
        <translation>Aufruf: trevisk export DATEI [--data-dir ORDNER]</translation>
    </message>
    <message>
        <source>Pass either --merge or --replace, not both.
</source>
        <translation>Geben Sie entweder --merge oder --replace an, nicht beides.
</translation>
    </message>
    <message>
        <source>The server list %1 cannot be read: %2</source>
        <translation>Die Serverliste %1 kann nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>The file %1 does not exist.</source>
        <translation>Die Datei %1 existiert nicht.</translation>
    </message>
    <message>
        <source>: nothing was imported.</source>
        <translation>: es wurde nichts importiert.</translation>
    </message>
    <message>
        <source>The data folder %1 cannot be created.</source>
        <translation>Der Datenordner %1 kann nicht angelegt werden.</translation>
    </message>
    <message>
        <source> Nothing was imported.</source>
        <translation> Es wurde nichts importiert.</translation>
    </message>
    <message>
        <source>; nothing was imported.</source>
        <translation>; es wurde nichts importiert.</translation>
    </message>
    <message>
        <source>%1 cannot be read: %2; nothing was imported.</source>
        <translation>%1 kann nicht gelesen werden: %2; es wurde nichts importiert.</translation>
    </message>
    <message>
        <source>A Trevisk monitor is using the data folder %1: nothing was imported. Close it, or import from its window.</source>
        <translation>Eine Trevisk-Überwachung verwendet den Datenordner %1: es wurde nichts eingelesen. Beenden Sie sie, oder lesen Sie die Liste in ihrem Fenster ein.</translation>
    </message>
    <message numerus="yes">
        <source>The server list already holds %n servers: pass --merge to add the new ones, or --replace to replace the list.</source>
        <translation>
            <numerusform>Die Serverliste enthält schon %n Server: mit --merge kommen die neuen hinzu, mit --replace wird die Liste ersetzt.</numerusform>
            <numerusform>Die Serverliste enthält schon %n Server: mit --merge kommen die neuen hinzu, mit --replace wird die Liste ersetzt.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>ListEditor</name>
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
</context>
<context>
    <name>MasterProtocol</name>
    <message>
        <source>bytes after the end mark</source>
        <translation>Bytes nach der Endmarke</translation>
    </message>
    <message>
        <source>unexpected byte %1 at offset %2</source>
        <translation>unerwartetes Byte %1 an Stelle %2</translation>
    </message>
    <message>
        <source>truncated entry at offset %1</source>
        <translation>abgeschnittener Eintrag an Stelle %1</translation>
    </message>
    <message>
        <source>a list of %1 bytes is no whole number of entries</source>
        <translation>eine Liste von %1 Byte ist keine ganze Zahl von Einträgen</translation>
    </message>
    <message>
        <source>not a master&apos;s list</source>
        <translation>keine Liste eines Master-Servers</translation>
    </message>
    <message>
        <source>the list was cut at %1 servers</source>
        <translation>die Liste wurde bei %1 Servern abgeschnitten</translation>
    </message>
    <message>
        <source>the master repeats itself</source>
        <translation>der Master-Server wiederholt sich</translation>
    </message>
    <message>
        <source>the pages loop back to %1</source>
        <translation>die Seiten führen zurück zu %1</translation>
    </message>
</context>
<context>
    <name>MonitorRunner</name>
    <message>
        <source> (auto-refresh is off)</source>
        <translation> (automatisches Aktualisieren ist aus)</translation>
    </message>
    <message>
        <source>Serving the status on http://%1:%2/ (/metrics, /api/servers)%3.</source>
        <translation>Status unter http://%1:%2/ (/metrics, /api/servers)%3.</translation>
    </message>
    <message>
        <source> to bearers of the token</source>
        <translation> für Inhaber des Tokens</translation>
    </message>
    <message>
        <source>Trevisk stopped.</source>
        <translation>Trevisk beendet.</translation>
    </message>
    <message numerus="yes">
        <source>Shard %1 as instance &quot;%2&quot;: %n of the %3 listed servers are this shard&apos;s.</source>
        <translation>
            <numerusform>Shard %1 als Instanz „%2“: %n der %3 eingetragenen Server gehört zu diesem Shard.</numerusform>
            <numerusform>Shard %1 als Instanz „%2“: %n der %3 eingetragenen Server gehören zu diesem Shard.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Watching %n servers, every %1 seconds%2 (list loaded in %3 ms).</source>
        <translation>
            <numerusform>Überwache %n Server, alle %1 Sekunden%2 (Liste in %3 ms geladen).</numerusform>
            <numerusform>Überwache %n Server, alle %1 Sekunden%2 (Liste in %3 ms geladen).</numerusform>
        </translation>
    </message>
    <message>
        <source> The list is empty: add a server with &quot;trevisk servers add GAME ADDRESS&quot; (&quot;trevisk servers --help&quot;), or run &quot;trevisk --demo&quot; to see every engine at work.</source>
        <translation> Die Liste ist leer: fügen Sie mit „trevisk servers add SPIEL ADRESSE“ einen Server hinzu („trevisk servers --help“), oder starten Sie „trevisk --demo“, um jede Engine bei der Arbeit zu sehen.</translation>
    </message>
</context>
<context>
    <name>MonitorStart</name>
    <message>
        <source>The uptime counts could not be saved at exit: %1</source>
        <translation>Die Erreichbarkeitszählung konnte beim Beenden nicht gespeichert werden: %1</translation>
    </message>
    <message>
        <source>Data folder: %1</source>
        <translation>Datenordner: %1</translation>
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
    <name>QtPrompter</name>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>QueryCommand</name>
    <message>
        <source>Cannot read %1: %2</source>
        <translation>%1 kann nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>%1 is not a text file of &quot;game&lt;TAB&gt;address&quot; lines</source>
        <translation>%1 ist keine Textdatei mit Zeilen „Spiel&lt;TAB&gt;Adresse“</translation>
    </message>
    <message>
        <source>%1:%2: expected a game name, a tab and an address</source>
        <translation>%1:%2: erwartet: ein Spielname, ein Tabulator und eine Adresse</translation>
    </message>
    <message>
        <source>%1 lists no server: expected &quot;game&lt;TAB&gt;address&quot; lines</source>
        <translation>%1 enthält keinen Server: erwartet werden Zeilen „Spiel&lt;TAB&gt;Adresse“</translation>
    </message>
    <message>
        <source>Usage: trevisk query --file FILE [--json]</source>
        <translation>Aufruf: trevisk query --file DATEI [--json]</translation>
    </message>
    <message>
        <source>Usage: trevisk query GAME ADDRESS [--json] | trevisk query --file FILE [--json]</source>
        <translation>Aufruf: trevisk query SPIEL ADRESSE [--json] | trevisk query --file DATEI [--json]</translation>
    </message>
    <message>
        <source>Unknown game &quot;%1&quot; for %2: nothing is sent</source>
        <translation>Unbekanntes Spiel „%1“ für %2: es wird nichts gesendet</translation>
    </message>
    <message>
        <source>--timeout takes a number of milliseconds, 1 or more</source>
        <translation>--timeout erwartet eine Anzahl Millisekunden, 1 oder mehr</translation>
    </message>
    <message>
        <source>  bad answer: %1</source>
        <translation>  ungültige Antwort: %1</translation>
    </message>
    <message>
        <source>  refused (%1)</source>
        <translation>  abgewiesen (%1)</translation>
    </message>
    <message>
        <source>  refused (nothing listens at the port)</source>
        <translation>  abgewiesen (an diesem Port lauscht nichts)</translation>
    </message>
    <message>
        <source>  no answer (timed out)</source>
        <translation>  keine Antwort (Zeit abgelaufen)</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Map</source>
        <translation>Karte</translation>
    </message>
    <message>
        <source>Players</source>
        <translation>Spieler</translation>
    </message>
    <message>
        <source>Ping</source>
        <translation>Ping</translation>
    </message>
    <message>
        <source>%1 ms</source>
        <translation>%1 ms</translation>
    </message>
    <message>
        <source>Score</source>
        <translation>Punkte</translation>
    </message>
    <message>
        <source>  (friend)</source>
        <translation>  (Freund)</translation>
    </message>
    <message>
        <source>Settings:</source>
        <translation>Einstellungen:</translation>
    </message>
</context>
<context>
    <name>RconCommand</name>
    <message>
        <source>%1 needs a value</source>
        <translation>%1 braucht einen Wert</translation>
    </message>
    <message>
        <source>--timeout takes a number of milliseconds, 1 or more</source>
        <translation>--timeout erwartet eine Anzahl Millisekunden, 1 oder mehr</translation>
    </message>
    <message>
        <source>Expected a game, an address and a command</source>
        <translation>Erwartet: ein Spiel, eine Adresse und ein Befehl</translation>
    </message>
    <message>
        <source>Cannot read %1: %2</source>
        <translation>%1 kann nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>%1 is too large for a password file</source>
        <translation>%1 ist zu groß für eine Passwortdatei</translation>
    </message>
    <message>
        <source>%1 holds no password on its first line</source>
        <translation>%1 enthält in der ersten Zeile kein Passwort</translation>
    </message>
    <message>
        <source>Remote RCON is not supported for %1</source>
        <translation>RCON wird für %1 nicht unterstützt</translation>
    </message>
    <message>
        <source>No rcon password is remembered for %1: use --password-file FILE.</source>
        <translation>Für %1 ist kein RCON-Passwort gespeichert: verwenden Sie --password-file DATEI.</translation>
    </message>
    <message>
        <source>%1 names no host and port</source>
        <translation>%1 nennt keinen Host und Port</translation>
    </message>
    <message>
        <source>No answer from %1.</source>
        <translation>Keine Antwort von %1.</translation>
    </message>
    <message>
        <source>The reply was still coming when the time ran out: the rest is not shown.</source>
        <translation>Die Antwort kam noch, als die Zeit ablief: der Rest wird nicht angezeigt.</translation>
    </message>
    <message>
        <source>The server refused the command: %1</source>
        <translation>Der Server hat den Befehl abgelehnt: %1</translation>
    </message>
    <message>
        <source>Usage: trevisk rcon GAME ADDRESS COMMAND... [--password-file FILE] [--timeout MS]</source>
        <translation>Aufruf: trevisk rcon SPIEL ADRESSE BEFEHL... [--password-file DATEI] [--timeout MS]</translation>
    </message>
    <message>
        <source>The password is never taken from the command line, where other users could read it: use --password-file FILE or remember it in the console window.</source>
        <translation>Das Passwort wird nie von der Befehlszeile genommen, wo andere Benutzer es lesen könnten: verwenden Sie --password-file DATEI, oder lassen Sie es sich im Konsolenfenster merken.</translation>
    </message>
</context>
<context>
    <name>RconPasswords</name>
    <message>
        <source>The settings file %1 cannot be created: %2</source>
        <translation>Die Einstellungsdatei %1 kann nicht angelegt werden: %2</translation>
    </message>
    <message>
        <source>The settings file %1 cannot be made private: %2</source>
        <translation>Die Einstellungsdatei %1 kann nicht nur für Sie lesbar gemacht werden: %2</translation>
    </message>
    <message>
        <source>The settings could not be written to %1.</source>
        <translation>Die Einstellungen konnten nicht in %1 geschrieben werden.</translation>
    </message>
</context>
<context>
    <name>RconProtocol</name>
    <message>
        <source>Server: Command Accepted</source>
        <translation>Server: Befehl angenommen</translation>
    </message>
    <message>
        <source>Ready...</source>
        <translation>Bereit...</translation>
    </message>
    <message>
        <source>Unable to send command. Server appears to be offline!</source>
        <translation>Befehl kann nicht gesendet werden. Der Server scheint offline zu sein!</translation>
    </message>
</context>
<context>
    <name>RecordFile</name>
    <message>
        <source>The file is larger than %1 MB</source>
        <translation>Die Datei ist größer als %1 MB</translation>
    </message>
    <message>
        <source>Not a record file: </source>
        <translation>Keine Datensatzdatei: </translation>
    </message>
    <message>
        <source>Not a record file</source>
        <translation>Keine Datensatzdatei</translation>
    </message>
    <message>
        <source>The record file was written by a newer version</source>
        <translation>Die Datensatzdatei stammt von einer neueren Version</translation>
    </message>
    <message>
        <source>Bad field definition in the record file</source>
        <translation>Fehlerhafte Felddefinition in der Datensatzdatei</translation>
    </message>
    <message>
        <source>A row of the record file does not match its fields</source>
        <translation>Eine Zeile der Datensatzdatei passt nicht zu ihren Feldern</translation>
    </message>
    <message>
        <source>Field %1 of row %2 does not hold a value of its type</source>
        <translation>Feld %1 in Zeile %2 enthält keinen Wert seines Typs</translation>
    </message>
    <message>
        <source>; it was left as it is</source>
        <translation>; sie wurde unverändert gelassen</translation>
    </message>
    <message>
        <source>The file could not be flushed to disk: </source>
        <translation>Die Datei konnte nicht auf die Platte geschrieben werden: </translation>
    </message>
    <message>
        <source>The lock file </source>
        <translation>Die Sperrdatei </translation>
    </message>
    <message>
        <source>The lock file %1 cannot be opened: %2</source>
        <translation>Die Sperrdatei %1 kann nicht geöffnet werden: %2</translation>
    </message>
    <message>
        <source>it is not a regular file</source>
        <translation>sie ist keine gewöhnliche Datei</translation>
    </message>
    <message>
        <source>The lock file %1 cannot be locked: %2</source>
        <translation>Die Sperrdatei %1 kann nicht gesperrt werden: %2</translation>
    </message>
    <message>
        <source>another Trevisk program kept %1 locked for %2 seconds</source>
        <translation>ein anderes Trevisk-Programm hielt %1 %2 Sekunden lang gesperrt</translation>
    </message>
</context>
<context>
    <name>RecordTable</name>
    <message>
        <source>Field %1 does not hold a value of its type</source>
        <translation>Feld %1 enthält keinen Wert seines Typs</translation>
    </message>
</context>
<context>
    <name>Routines</name>
    <message>
        <source>%1 is a folder, not a file</source>
        <translation>%1 ist ein Ordner, keine Datei</translation>
    </message>
    <message>
        <source>%1 is not a regular file (a device, a pipe or a socket)</source>
        <translation>%1 ist keine gewöhnliche Datei (ein Gerät, eine Pipe oder ein Socket)</translation>
    </message>
    <message>
        <source>%1 is a link to nothing</source>
        <translation>%1 ist eine Verknüpfung ins Leere</translation>
    </message>
    <message>
        <source>Warning: other users can read and change %1; make it yours alone with: chmod 600 %1</source>
        <translation>Warnung: andere Benutzer können %1 lesen und ändern; nur Ihnen gehört die Datei nach: chmod 600 %1</translation>
    </message>
    <message>
        <source>Warning: other users can read %1; make it yours alone with: chmod 600 %1</source>
        <translation>Warnung: andere Benutzer können %1 lesen; nur Ihnen gehört die Datei nach: chmod 600 %1</translation>
    </message>
    <message>
        <source>Warning: other users can change %1; make it yours alone with: chmod 600 %1</source>
        <translation>Warnung: andere Benutzer können %1 ändern; nur Ihnen gehört die Datei nach: chmod 600 %1</translation>
    </message>
</context>
<context>
    <name>ServerFinder</name>
    <message>
        <source>Unknown game &quot;%1&quot;</source>
        <translation>Unbekanntes Spiel „%1“</translation>
    </message>
    <message>
        <source>No master server lists %1 servers</source>
        <translation>Kein Master-Server führt %1-Server</translation>
    </message>
    <message>
        <source>Only the games of the Quake 3 engine are asked by protocol number</source>
        <translation>Nur Spiele der Quake-3-Engine werden nach Protokollnummer abgefragt</translation>
    </message>
    <message>
        <source>The protocol number of %1 is not known: give it</source>
        <translation>Die Protokollnummer von %1 ist nicht bekannt: bitte angeben</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a master address (host or host:port)</source>
        <translation>„%1“ ist keine Master-Adresse (Host oder Host:Port)</translation>
    </message>
    <message>
        <source>No master is set for %1</source>
        <translation>Für %1 ist kein Master-Server eingestellt</translation>
    </message>
</context>
<context>
    <name>ServerForm</name>
    <message>
        <source>You must select the type of game!</source>
        <translation>Bitte wählen Sie den Spieltyp aus!</translation>
    </message>
    <message>
        <source>You must enter the address of the server to add!</source>
        <translation>Bitte geben Sie die Adresse des Servers ein!</translation>
    </message>
    <message>
        <source>Invalid port number!</source>
        <translation>Ungültige Portnummer!</translation>
    </message>
    <message>
        <source>Invalid query port number!</source>
        <translation>Ungültiger Abfrageport!</translation>
    </message>
    <message>
        <source>Unable to resolve &apos;</source>
        <translation>Kann nicht aufgelöst werden: &apos;</translation>
    </message>
    <message>
        <source>This server is already in the list!</source>
        <translation>Dieser Server steht schon in der Liste!</translation>
    </message>
    <message>
        <source>The memo is too long: 255 characters at most!</source>
        <translation>Die Notiz ist zu lang: höchstens 255 Zeichen!</translation>
    </message>
    <message>
        <source>The server cannot be stored: %1.</source>
        <translation>Der Server kann nicht gespeichert werden: %1.</translation>
    </message>
    <message>
        <source>The custom message is too long: %1 characters at most!</source>
        <translation>Der eigene Text ist zu lang: höchstens %1 Zeichen!</translation>
    </message>
</context>
<context>
    <name>ServerListTransfer</name>
    <message>
        <source>The file is not a server list: it has no field %1</source>
        <translation>Die Datei ist keine Serverliste: ihr fehlt das Feld %1</translation>
    </message>
    <message>
        <source> and no field </source>
        <translation> und das Feld </translation>
    </message>
    <message>
        <source>Row %1: %2</source>
        <translation>Zeile %1: %2</translation>
    </message>
    <message numerus="yes">
        <source>%n servers imported.<byte value="xd"/>
</source>
        <translation>
            <numerusform>%n Server importiert.<byte value="xd"/>
</numerusform>
            <numerusform>%n Server importiert.<byte value="xd"/>
</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n servers skipped (duplicate)</source>
        <translation>
            <numerusform>%n Server übersprungen (doppelt)</numerusform>
            <numerusform>%n Server übersprungen (doppelt)</numerusform>
        </translation>
    </message>
    <message>
        <source>The server list could not be exported to %1:<byte value="xd"/>
%2</source>
        <translation>Die Serverliste konnte nicht nach %1 exportiert werden:<byte value="xd"/>
%2</translation>
    </message>
    <message>
        <source>the address &quot;%1&quot; is not a host, a colon and a port from 0 to 65535</source>
        <translation>die Adresse „%1“ besteht nicht aus Host, Doppelpunkt und Port von 0 bis 65535</translation>
    </message>
    <message>
        <source>the field Game is empty</source>
        <translation>das Feld Game ist leer</translation>
    </message>
    <message>
        <source>the field Game holds &quot;%1&quot;, which is not a game Trevisk knows</source>
        <translation>das Feld Game enthält „%1“, ein Spiel, das Trevisk nicht kennt</translation>
    </message>
    <message>
        <source>the field Option1 (query port) holds %1, which is not a port from 0 to 65535</source>
        <translation>das Feld Option1 (Abfrageport) enthält %1, keinen Port von 0 bis 65535</translation>
    </message>
    <message>
        <source>the field %1 holds %2; it may hold 0 to %3</source>
        <translation>das Feld %1 enthält %2; erlaubt sind 0 bis %3</translation>
    </message>
    <message>
        <source>the field %1 holds %2, which is not a colour</source>
        <translation>das Feld %1 enthält %2, keine Farbe</translation>
    </message>
    <message>
        <source>Save File</source>
        <translation>Datei speichern</translation>
    </message>
    <message>
        <source>Load File</source>
        <translation>Datei laden</translation>
    </message>
    <message>
        <source>The server list could not be saved: </source>
        <translation>Die Serverliste konnte nicht gespeichert werden: </translation>
    </message>
    <message>
        <source>XML Files (*.xml)</source>
        <translation>XML-Dateien (*.xml)</translation>
    </message>
    <message>
        <source>Export Complete</source>
        <translation>Export abgeschlossen</translation>
    </message>
    <message>
        <source>Merge the new list with the current?</source>
        <translation>Die neue Liste mit der aktuellen zusammenführen?</translation>
    </message>
    <message>
        <source>No servers imported!</source>
        <translation>Keine Server importiert!</translation>
    </message>
    <message>
        <source>The server list was replaced, but the custom alert texts of the servers that are gone could not be removed: </source>
        <translation>Die Serverliste wurde ersetzt, aber die eigenen Alarmtexte der entfernten Server konnten nicht gelöscht werden: </translation>
    </message>
</context>
<context>
    <name>ServerListXml</name>
    <message>
        <source>The file holds no XML element</source>
        <translation>Die Datei enthält kein XML-Element</translation>
    </message>
    <message>
        <source>The file is not an XML rowset</source>
        <translation>Die Datei ist kein XML-Rowset</translation>
    </message>
    <message>
        <source>%1 (line %2)</source>
        <translation>%1 (Zeile %2)</translation>
    </message>
    <message>
        <source>A field of the schema has no name</source>
        <translation>Ein Feld des Schemas hat keinen Namen</translation>
    </message>
    <message>
        <source>The schema names the field %1 twice</source>
        <translation>Das Schema nennt das Feld %1 zweimal</translation>
    </message>
    <message>
        <source>a text</source>
        <translation>ein Text</translation>
    </message>
    <message>
        <source>a whole number</source>
        <translation>eine ganze Zahl</translation>
    </message>
    <message>
        <source>a date and time</source>
        <translation>ein Datum mit Uhrzeit</translation>
    </message>
    <message>
        <source>a number</source>
        <translation>eine Zahl</translation>
    </message>
    <message>
        <source>The file is not a readable server list: </source>
        <translation>Die Datei ist keine lesbare Serverliste: </translation>
    </message>
    <message>
        <source>Row %1: the field %2 holds &quot;%3&quot;, which is not %4</source>
        <translation>Zeile %1: Das Feld %2 enthält „%3“; erwartet wird %4</translation>
    </message>
    <message>
        <source>0 or 1</source>
        <translation>0 oder 1</translation>
    </message>
    <message>
        <source>The file %1 cannot be read: %2</source>
        <translation>Die Datei %1 kann nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>The file %1 is larger than %2 MB: it is no server list</source>
        <translation>Die Datei %1 ist größer als %2 MB: sie ist keine Serverliste</translation>
    </message>
    <message>
        <source>Row %1: the field %2 holds a character that XML cannot carry</source>
        <translation>Zeile %1: Das Feld %2 enthält ein Zeichen, das XML nicht darstellen kann</translation>
    </message>
    <message>
        <source>The list could not be written as XML</source>
        <translation>Die Liste konnte nicht als XML geschrieben werden</translation>
    </message>
    <message>
        <source>Write failed</source>
        <translation>Schreiben fehlgeschlagen</translation>
    </message>
</context>
<context>
    <name>ServerState</name>
    <message>
        <source>up</source>
        <translation>erreichbar</translation>
    </message>
    <message>
        <source>no answer</source>
        <translation>keine Antwort</translation>
    </message>
    <message>
        <source>refused</source>
        <translation>abgewiesen</translation>
    </message>
    <message>
        <source>bad answer</source>
        <translation>ungültige Antwort</translation>
    </message>
</context>
<context>
    <name>ServersCommand</name>
    <message>
        <source>manual refresh</source>
        <translation>manuell aktualisieren</translation>
    </message>
    <message>
        <source>query port %1</source>
        <translation>Abfrageport %1</translation>
    </message>
    <message>
        <source>tray by default</source>
        <translation>standardmäßig im Systembereich</translation>
    </message>
    <message>
        <source>no mail</source>
        <translation>keine E-Mail</translation>
    </message>
    <message>
        <source>alerts snoozed </source>
        <translation>Warnungen pausiert </translation>
    </message>
    <message>
        <source>uptime </source>
        <translation>Erreichbarkeit </translation>
    </message>
    <message>
        <source> Nothing was changed.</source>
        <translation> Es wurde nichts geändert.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a game Trevisk knows. The games are:
  %2</source>
        <translation>„%1“ ist kein Spiel, das Trevisk kennt. Die Spiele sind:
  %2</translation>
    </message>
    <message>
        <source>--tray takes 0, 1 or 2</source>
        <translation>--tray erwartet 0, 1 oder 2</translation>
    </message>
    <message>
        <source>Port not specified: using the default port of %1, %2.</source>
        <translation>Kein Port angegeben: verwende den Standardport von %1, %2.</translation>
    </message>
    <message>
        <source>The server list could not be saved: %1</source>
        <translation>Die Serverliste konnte nicht gespeichert werden: %1</translation>
    </message>
    <message>
        <source>Added %1</source>
        <translation>%1 hinzugefügt</translation>
    </message>
    <message>
        <source>%1 is not in the server list.</source>
        <translation>%1 steht nicht in der Serverliste.</translation>
    </message>
    <message>
        <source>The custom alert texts could not be saved: %1</source>
        <translation>Die eigenen Warntexte konnten nicht gespeichert werden: %1</translation>
    </message>
    <message>
        <source>The alert snoozes could not be saved: %1</source>
        <translation>Die Warnungspausen konnten nicht gespeichert werden: %1</translation>
    </message>
    <message>
        <source>Removed %1</source>
        <translation>%1 entfernt</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a snooze length: use 1h, 8h, tomorrow, on or off.</source>
        <translation>„%1“ ist keine Pausendauer: verwenden Sie 1h, 8h, tomorrow, on oder off.</translation>
    </message>
    <message>
        <source>The snooze could not be saved: %1</source>
        <translation>Die Pause konnte nicht gespeichert werden: %1</translation>
    </message>
    <message>
        <source>Alerts of %1 snoozed %2</source>
        <translation>Warnungen von %1 pausiert %2</translation>
    </message>
    <message>
        <source>Alerts of %1 are on</source>
        <translation>Warnungen von %1 sind an</translation>
    </message>
    <message>
        <source>%1 cannot be read: %2; nothing was changed.</source>
        <translation>%1 kann nicht gelesen werden: %2; es wurde nichts geändert.</translation>
    </message>
    <message>
        <source>Usage: trevisk servers list
       trevisk servers add GAME ADDRESS [--memo TEXT] [--query-port N] [--manual] [--tray 0|1|2] [--no-mail]
       trevisk servers remove ADDRESS
       trevisk servers snooze ADDRESS 1h|8h|tomorrow|on|off   (on: until turned back on; off: alerts again)</source>
        <translation>Aufruf: trevisk servers list
        trevisk servers add SPIEL ADRESSE [--memo TEXT] [--query-port N] [--manual] [--tray 0|1|2] [--no-mail]
        trevisk servers remove ADRESSE
        trevisk servers snooze ADRESSE 1h|8h|tomorrow|on|off   (on: bis zum Wiedereinschalten; off: wieder Warnungen)</translation>
    </message>
    <message>
        <source>tray</source>
        <translation>im Systembereich</translation>
    </message>
    <message>
        <source>A Trevisk monitor is using the data folder %1: nothing was changed. Close it, or make the change from its window.</source>
        <translation>Eine Trevisk-Überwachung verwendet den Datenordner %1: es wurde nichts geändert. Beenden Sie sie, oder nehmen Sie die Änderung in ihrem Fenster vor.</translation>
    </message>
</context>
<context>
    <name>SettingsForm</name>
    <message>
        <source>Overflow</source>
        <translation>Überlauf</translation>
    </message>
    <message>
        <source>Type mismatch</source>
        <translation>Typen unverträglich</translation>
    </message>
    <message>
        <source>The settings could not be written to %1</source>
        <translation>Die Einstellungen konnten nicht in %1 geschrieben werden</translation>
    </message>
</context>
<context>
    <name>Shard</name>
    <message>
        <source>--shard takes K/N, shard K of N with 1 &lt;= K &lt;= N (for example 1/2), not &quot;%1&quot;</source>
        <translation>--shard erwartet K/N, Shard K von N mit 1 &lt;= K &lt;= N (zum Beispiel 1/2), nicht „%1“</translation>
    </message>
</context>
<context>
    <name>SmtpReply</name>
    <message>
        <source>The server sent a reply line that never ends.</source>
        <translation>Der Server hat eine Antwortzeile gesendet, die nicht endet.</translation>
    </message>
    <message>
        <source>The server sent something that is not an SMTP reply: %1</source>
        <translation>Der Server hat etwas gesendet, das keine SMTP-Antwort ist: %1</translation>
    </message>
    <message>
        <source>The server sent a reply that never ends.</source>
        <translation>Der Server hat eine Antwort gesendet, die nicht endet.</translation>
    </message>
</context>
<context>
    <name>Startup</name>
    <message>
        <source>there is no space left on the disk</source>
        <translation>auf dem Datenträger ist kein Platz mehr</translation>
    </message>
    <message>
        <source>the folder is on a read-only file system</source>
        <translation>der Ordner liegt auf einem schreibgeschützten Dateisystem</translation>
    </message>
    <message>
        <source>permission denied</source>
        <translation>Zugriff verweigert</translation>
    </message>
    <message>
        <source>The lock file %1 cannot be created: %2.</source>
        <translation>Die Sperrdatei %1 kann nicht angelegt werden: %2.</translation>
    </message>
    <message>
        <source>The lock file %1.</source>
        <translation>Die Sperrdatei %1.</translation>
    </message>
    <message>
        <source>The data folder %1 cannot be created.</source>
        <translation>Der Datenordner %1 kann nicht angelegt werden.</translation>
    </message>
    <message>
        <source>Only one instance of Trevisk is allowed to run!</source>
        <translation>Es darf nur eine Instanz von Trevisk laufen!</translation>
    </message>
</context>
<context>
    <name>StatusPages</name>
    <message>
        <source>waiting</source>
        <translation>wartet</translation>
    </message>
    <message>
        <source>up</source>
        <translation>erreichbar</translation>
    </message>
    <message>
        <source>timeout</source>
        <translation>keine Antwort</translation>
    </message>
    <message>
        <source>refused</source>
        <translation>abgewiesen</translation>
    </message>
    <message>
        <source>bad_answer</source>
        <translation>ungültige Antwort</translation>
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
        <source>State</source>
        <translation>Zustand</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Map</source>
        <translation>Karte</translation>
    </message>
    <message>
        <source>Players</source>
        <translation>Spieler</translation>
    </message>
    <message>
        <source>Ping</source>
        <translation>Ping</translation>
    </message>
    <message>
        <source>Friends</source>
        <translation>Freunde</translation>
    </message>
    <message>
        <source>%1 ms</source>
        <translation>%1 ms</translation>
    </message>
    <message numerus="yes">
        <source>%1 queries sent</source>
        <translation>
            <numerusform>%1 Anfrage gesendet</numerusform>
            <numerusform>%1 Anfragen gesendet</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1 answers</source>
        <translation>
            <numerusform>%1 Antwort</numerusform>
            <numerusform>%1 Antworten</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1 time-outs</source>
        <translation>
            <numerusform>%1 Zeitüberschreitung</numerusform>
            <numerusform>%1 Zeitüberschreitungen</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1 answer errors</source>
        <translation>
            <numerusform>%1 Antwortfehler</numerusform>
            <numerusform>%1 Antwortfehler</numerusform>
        </translation>
    </message>
    <message>
        <source>metrics</source>
        <translation>Metriken</translation>
    </message>
    <message>
        <source>servers as JSON</source>
        <translation>Server als JSON</translation>
    </message>
    <message>
        <source>en</source>
        <comment>the page&apos;s language code (HTML lang)</comment>
        <translation>de</translation>
    </message>
</context>
<context>
    <name>StatusServer</name>
    <message>
        <source>--listen %1: %2</source>
        <translation>--listen %1: %2</translation>
    </message>
    <message>
        <source>expected PORT or ADDRESS:PORT, with a port from 0 to 65535</source>
        <translation>erwartet PORT oder ADRESSE:PORT, mit einem Port von 0 bis 65535</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not an IP address</source>
        <translation>„%1“ ist keine IP-Adresse</translation>
    </message>
    <message>
        <source>Cannot read the token file: %1</source>
        <translation>Die Token-Datei kann nicht gelesen werden: %1</translation>
    </message>
    <message>
        <source>Cannot read the token file %1: %2</source>
        <translation>Die Token-Datei %1 kann nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>The token file %1 holds no token on its first line</source>
        <translation>Die Token-Datei %1 enthält in ihrer ersten Zeile kein Token</translation>
    </message>
    <message>
        <source>Warning: the status on %1 can be read from other machines, by anyone: give it a token with --listen-token FILE, or listen on 127.0.0.1</source>
        <translation>Warnung: den Status auf %1 kann jeder von anderen Rechnern aus lesen: schützen Sie ihn mit einem Token (--listen-token DATEI), oder lauschen Sie auf 127.0.0.1</translation>
    </message>
    <message>
        <source>Cannot listen on %1 port %2</source>
        <translation>Kann nicht auf %1 Port %2 lauschen</translation>
    </message>
</context>
<context>
    <name>StatusTable</name>
    <message>
        <source>Game</source>
        <translation>Spiel</translation>
    </message>
    <message>
        <source>Address</source>
        <translation>Adresse</translation>
    </message>
    <message>
        <source>State</source>
        <translation>Zustand</translation>
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
        <source>Players</source>
        <translation>Spieler</translation>
    </message>
    <message>
        <source>Map</source>
        <translation>Karte</translation>
    </message>
    <message>
        <source>Up day</source>
        <translation>Tag</translation>
    </message>
    <message>
        <source>Up wk</source>
        <translation>Woche</translation>
    </message>
    <message>
        <source>Up 30d</source>
        <translation>30 Tg.</translation>
    </message>
    <message>
        <source>Memo</source>
        <translation>Notiz</translation>
    </message>
    <message>
        <source>REFUSED</source>
        <translation>ABGEWIESEN</translation>
    </message>
    <message>
        <source>OFFLINE</source>
        <translation>OFFLINE</translation>
    </message>
    <message>
        <source>Servers: %1, answered: %2, offline: %3, not answered yet: %4</source>
        <translation>Server: %1, erreichbar: %2, offline: %3, noch ohne Antwort: %4</translation>
    </message>
    <message>
        <source>, bad answers: %1</source>
        <translation>, fehlerhafte Antworten: %1</translation>
    </message>
    <message>
        <source>bad answer</source>
        <translation>fehlerhaft</translation>
    </message>
    <message>
        <source>up</source>
        <translation>erreichbar</translation>
    </message>
    <message>
        <source>refused</source>
        <translation>abgewiesen</translation>
    </message>
    <message>
        <source>no answer</source>
        <translation>Timeout</translation>
    </message>
</context>
<context>
    <name>Stores</name>
    <message>
        <source>The file %1 could not be read: %2.</source>
        <translation>Die Datei %1 konnte nicht gelesen werden: %2.</translation>
    </message>
    <message>
        <source> It could not be moved aside either; it is left as it was.</source>
        <translation> Sie konnte auch nicht beiseitegelegt werden; sie bleibt, wie sie war.</translation>
    </message>
    <message>
        <source> It was kept as %1 and the list starts empty.</source>
        <translation> Sie wurde als %1 aufbewahrt, und die Liste beginnt leer.</translation>
    </message>
</context>
<context>
    <name>TestMailCommand</name>
    <message>
        <source>Unexpected argument: %1</source>
        <translation>Unerwartetes Argument: %1</translation>
    </message>
    <message>
        <source>
Usage: trevisk test-mail [--config FILE] [--data-dir DIR]</source>
        <translation>
Aufruf: trevisk test-mail [--config DATEI] [--data-dir ORDNER]</translation>
    </message>
    <message>
        <source>Test Failed! The settings file %1 cannot be read.</source>
        <translation>Test fehlgeschlagen! Die Einstellungsdatei %1 kann nicht gelesen werden.</translation>
    </message>
    <message>
        <source>Test Failed! </source>
        <translation>Test fehlgeschlagen! </translation>
    </message>
    <message>
        <source>Mail Sent!</source>
        <translation>E-Mail gesendet!</translation>
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
        <source>, Qt&apos;s texts from %1</source>
        <translation>, Qt-Texte aus %1</translation>
    </message>
</context>
<context>
    <name>UptimeLog</name>
    <message>
        <source>day %1, week %2, 30 days %3</source>
        <translation>Tag %1, Woche %2, 30 Tage %3</translation>
    </message>
</context>
<context>
    <name>WindowsLoader</name>
    <message>
        <source>  %1: not found</source>
        <translation>  %1: nicht gefunden</translation>
    </message>
    <message>
        <source>no entry</source>
        <translation>kein Einsprungpunkt</translation>
    </message>
    <message>
        <source>Trevisk cannot show its windows: the window module did not load.
%1
Run without windows with --headless.</source>
        <translation>Trevisk kann seine Fenster nicht zeigen: das Fenstermodul wurde nicht geladen.
%1
Ohne Fenster läuft es mit --headless.</translation>
    </message>
</context>
<context>
    <name>WindowsMain</name>
    <message>
        <source>The window module belongs to Trevisk %1, not to this program (%2): install them again together.</source>
        <translation>Das Fenstermodul gehört zu Trevisk %1, nicht zu diesem Programm (%2): installieren Sie beide noch einmal zusammen.</translation>
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
        <source>the system&apos;s authorities</source>
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
    <message>
        <source>stored; type a new one to replace it</source>
        <translation>gespeichert; zum Ersetzen ein neues eingeben</translation>
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
        <source> graph for &apos;</source>
        <translation>-Verlauf für &apos;</translation>
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

Add one with &quot;Add Server...&quot; in the Servers menu, or import a list from the File menu.
To see every engine at work first, start &quot;trevisk --demo&quot;.</source>
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
    <name>trevisk::MasterQuery</name>
    <message>
        <source>cannot resolve %1</source>
        <translation>%1 lässt sich nicht auflösen</translation>
    </message>
    <message>
        <source>stopped</source>
        <translation>abgebrochen</translation>
    </message>
    <message>
        <source>no answer</source>
        <translation>keine Antwort</translation>
    </message>
    <message>
        <source>no list: %1</source>
        <translation>keine Liste: %1</translation>
    </message>
    <message>
        <source>the list stopped before its end mark: it may be incomplete</source>
        <translation>die Liste brach vor ihrer Endmarke ab: sie ist vielleicht unvollständig</translation>
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
    <name>trevisk::Monitor</name>
    <message>
        <source>You must select as server to edit!</source>
        <translation>Bitte wählen Sie einen Server zum Bearbeiten aus!</translation>
    </message>
    <message>
        <source>You must select a server to edit!</source>
        <translation>Bitte wählen Sie einen Server zum Bearbeiten aus!</translation>
    </message>
    <message>
        <source>Are you sure you want to delete this server?</source>
        <translation>Möchten Sie diesen Server wirklich löschen?</translation>
    </message>
    <message>
        <source>%1 is running your favorite map: %2</source>
        <translation>%1 spielt Ihre Lieblingskarte: %2</translation>
    </message>
    <message>
        <source>%1 is back online!</source>
        <translation>%1 ist wieder online!</translation>
    </message>
    <message>
        <source>%1 has become active with players...</source>
        <translation>%1 ist jetzt mit Spielern aktiv...</translation>
    </message>
    <message>
        <source>%1<byte value="xd"/>
logged off from<byte value="xd"/>
%2</source>
        <translation>%1<byte value="xd"/>
hat sich abgemeldet von<byte value="xd"/>
%2</translation>
    </message>
    <message>
        <source>%1<byte value="xd"/>
logged onto<byte value="xd"/>
%2</source>
        <translation>%1<byte value="xd"/>
hat sich angemeldet bei<byte value="xd"/>
%2</translation>
    </message>
    <message>
        <source>%1 has gone offline!</source>
        <translation>%1 ist offline gegangen!</translation>
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
        <translation>Alle zu</translation>
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
        <source>Don&apos;t Email Notify</source>
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
            <numerusform> (%n Freund) Karte: </numerusform>
            <numerusform> (%n Freunde) Karte: </numerusform>
        </translation>
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
    <name>trevisk::SmtpMailer</name>
    <message>
        <source>SMTP server address not specified!</source>
        <translation>Keine SMTP-Serveradresse angegeben!</translation>
    </message>
    <message>
        <source>The &apos;From&apos; address &quot;%1&quot; is not a mail address.</source>
        <translation>Die Absenderadresse „%1“ ist keine E-Mail-Adresse.</translation>
    </message>
    <message>
        <source>The &apos;To&apos; address &quot;%1&quot; is not a mail address.</source>
        <translation>Die Empfängeradresse „%1“ ist keine E-Mail-Adresse.</translation>
    </message>
    <message>
        <source>The connection security &quot;%1&quot; is none of none, starttls and tls.</source>
        <translation>Die Verbindungssicherheit „%1“ ist keine von none, starttls und tls.</translation>
    </message>
    <message>
        <source>The SMTP server &quot;%1&quot; is not a host name with an optional port.</source>
        <translation>Der SMTP-Server „%1“ ist kein Hostname mit optionalem Port.</translation>
    </message>
    <message>
        <source>TLS is not available on this system.</source>
        <translation>TLS ist auf diesem System nicht verfügbar.</translation>
    </message>
    <message>
        <source>The certificate file &quot;%1&quot; cannot be read or holds no certificate.</source>
        <translation>Die Zertifikatsdatei „%1“ kann nicht gelesen werden oder enthält kein Zertifikat.</translation>
    </message>
    <message>
        <source>The SMTP server %1 refused the connection</source>
        <translation>Der SMTP-Server %1 hat die Verbindung abgelehnt</translation>
    </message>
    <message>
        <source>The server refused the greeting</source>
        <translation>Der Server hat die Begrüßung abgelehnt</translation>
    </message>
    <message>
        <source>The server refused STARTTLS</source>
        <translation>Der Server hat STARTTLS abgelehnt</translation>
    </message>
    <message>
        <source>The server sent more than its reply to STARTTLS.</source>
        <translation>Der Server hat mehr als seine Antwort auf STARTTLS gesendet.</translation>
    </message>
    <message>
        <source>The server refused the login</source>
        <translation>Der Server hat die Anmeldung abgelehnt</translation>
    </message>
    <message>
        <source>The server refused the user name %1</source>
        <translation>Der Server hat den Benutzernamen %1 abgelehnt</translation>
    </message>
    <message>
        <source>The server refused the user name or password</source>
        <translation>Der Server hat den Benutzernamen oder das Passwort abgelehnt</translation>
    </message>
    <message>
        <source>The server refused the sender %1</source>
        <translation>Der Server hat den Absender %1 abgelehnt</translation>
    </message>
    <message>
        <source>The server refused the recipient %1</source>
        <translation>Der Server hat den Empfänger %1 abgelehnt</translation>
    </message>
    <message>
        <source>The server refused the message</source>
        <translation>Der Server hat die Nachricht abgelehnt</translation>
    </message>
    <message>
        <source>The SMTP server %1 spoke out of turn: %2</source>
        <translation>Der SMTP-Server %1 hat zur falschen Zeit geantwortet: %2</translation>
    </message>
    <message>
        <source>The SMTP server %1 does not offer STARTTLS.</source>
        <translation>Der SMTP-Server %1 bietet kein STARTTLS an.</translation>
    </message>
    <message>
        <source>The password would cross the network unencrypted; set the connection security to starttls or tls.</source>
        <translation>Das Passwort ginge unverschlüsselt über das Netz; stellen Sie die Verbindungssicherheit auf starttls oder tls.</translation>
    </message>
    <message>
        <source>The SMTP server %1 does not offer a login.</source>
        <translation>Der SMTP-Server %1 bietet keine Anmeldung an.</translation>
    </message>
    <message>
        <source>The SMTP server %1 offers no login this program knows (it offers %2).</source>
        <translation>Der SMTP-Server %1 bietet keine Anmeldung an, die dieses Programm kennt (er bietet %2).</translation>
    </message>
    <message>
        <source>The certificate of the SMTP server %1 is not trusted: %2</source>
        <translation>Dem Zertifikat des SMTP-Servers %1 wird nicht vertraut: %2</translation>
    </message>
    <message>
        <source>The SMTP server %1 closed the connection.</source>
        <translation>Der SMTP-Server %1 hat die Verbindung geschlossen.</translation>
    </message>
    <message>
        <source>The SMTP server %1 did not answer within %2 seconds.</source>
        <translation>Der SMTP-Server %1 hat nicht innerhalb von %2 Sekunden geantwortet.</translation>
    </message>
    <message>
        <source>&apos;From&apos; Address not specified!</source>
        <translation>Keine Absenderadresse angegeben!</translation>
    </message>
    <message>
        <source>&apos;To&apos; Address not specified!</source>
        <translation>Keine Empfängeradresse angegeben!</translation>
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
