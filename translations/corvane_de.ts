<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>CommandLine</name>
    <message>
        <source>Try &apos;corvane --help&apos; for more information.</source>
        <translation>„corvane --help“ liefert weitere Informationen.</translation>
    </message>
    <message>
        <source>%1 unset</source>
        <translation>%1 nicht gesetzt</translation>
    </message>
    <message>
        <source>cannot open a window: </source>
        <translation>kann kein Fenster öffnen: </translation>
    </message>
    <message>
        <source>Qt&apos;s Wayland platform is missing: install the package qt6-wayland (sudo apt-get install qt6-wayland), or set DISPLAY to an X11 display</source>
        <translation>Die Wayland-Plattform von Qt fehlt: Installieren Sie das Paket qt6-wayland (sudo apt-get install qt6-wayland) oder setzen Sie DISPLAY auf ein X11-Display</translation>
    </message>
    <message>
        <source>Qt has no platform &quot;%1&quot;: name one of wayland, xcb or offscreen with -platform or QT_QPA_PLATFORM</source>
        <translation>Qt hat keine Plattform „%1“: Nennen Sie wayland, xcb oder offscreen mit -platform oder QT_QPA_PLATFORM</translation>
    </message>
    <message>
        <source>no display found (DISPLAY and WAYLAND_DISPLAY unset); start it on a desktop or set one of them to its display, or start it under a virtual one: xvfb-run -a corvane</source>
        <translation>kein Display gefunden (DISPLAY und WAYLAND_DISPLAY nicht gesetzt); starten Sie das Programm auf einem Desktop, setzen Sie eine der beiden Variablen auf dessen Display oder starten Sie es unter einem virtuellen: xvfb-run -a corvane</translation>
    </message>
    <message>
        <source>no display answers (%1, %2); set them to a running desktop&apos;s display, or start it under a virtual one: xvfb-run -a corvane</source>
        <translation>kein Display antwortet (%1, %2); setzen Sie sie auf das Display eines laufenden Desktops oder starten Sie das Programm unter einem virtuellen: xvfb-run -a corvane</translation>
    </message>
    <message>
        <source>WARNING</source>
        <translation>WARNUNG</translation>
    </message>
    <message>
        <source>write FILE, replacing it only once the new one is whole</source>
        <translation>DATEI schreiben und erst ersetzen, wenn die neue ganz geschrieben ist</translation>
    </message>
    <message>
        <source>the files of every folder below too (Include subfolders)</source>
        <translation>auch die Dateien aller Ordner darunter (Unterordner einbeziehen)</translation>
    </message>
    <message>
        <source>each file&apos;s size and time (Sizes and dates)</source>
        <translation>Größe und Zeit jeder Datei (Größe und Datum)</translation>
    </message>
    <message>
        <source>only files of these types, such as &quot;MP3 DOC&quot; (Set File Types)</source>
        <translation>nur Dateien dieser Typen, etwa „MP3 DOC“ (Dateitypen)</translation>
    </message>
    <message>
        <source>only the items containing WORD (File Filter)</source>
        <translation>nur die Einträge mit WORT (Dateifilter)</translation>
    </message>
    <message>
        <source>no item containing WORD (File Filter)</source>
        <translation>kein Eintrag mit WORT (Dateifilter)</translation>
    </message>
    <message>
        <source>names without their extensions (Extensions OFF)</source>
        <translation>Namen ohne ihre Endungen (Endungen AUS)</translation>
    </message>
    <message>
        <source>number the items (Enumerate items)</source>
        <translation>die Einträge nummerieren (Einträge nummerieren)</translation>
    </message>
    <message>
        <source>the web page&apos;s title (Corvane when not given)</source>
        <translation>der Titel der WEB-Seite (Corvane, wenn keiner angegeben ist)</translation>
    </message>
    <message>
        <source>
Usage: corvane --export FORMAT [OPTIONS] [FOLDER]
Write the document the window would write for FOLDER (the working folder
when none is given) to standard output, with no display. FORMAT is one of
%1. The options set what the window&apos;s commands set:
</source>
        <translation>
Aufruf: corvane --export FORMAT [OPTIONEN] [ORDNER]
Schreibt das Dokument, das das Fenster für ORDNER schreiben würde (den
Arbeitsordner, wenn keiner angegeben ist), auf die Standardausgabe, ohne
Bildschirm. FORMAT ist eines von %1. Die Optionen setzen,
was die Befehle des Fensters setzen:
</translation>
    </message>
    <message>
        <source>unknown format &apos;%1&apos;: one of %2</source>
        <translation>unbekanntes Format „%1“: eines von %2</translation>
    </message>
    <message>
        <source>one folder at most</source>
        <translation>höchstens ein Ordner</translation>
    </message>
    <message>
        <source>--only and --exclude do not go together</source>
        <translation>--only und --exclude gehen nicht zusammen</translation>
    </message>
    <message>
        <source>standard output</source>
        <translation>Standardausgabe</translation>
    </message>
    <message>
        <source>Usage: corvane [FOLDER]
List the files of a folder, and with Options of every folder below it, in a
sorted item list, with their sizes and dates if asked. Narrow the list by file
types and by a word, hide extensions, number the items, edit the list by hand,
and write it out as a text document, a web page, CSV, JSON, a Markdown table
or a printout. Corvane+ starts in FOLDER (a file: its folder), or else in the
folder it is started from.

  -h, --help     show this help and exit
  -v, --version  show the version and exit

Keys: Alt and a menu&apos;s underlined letter, F1 Info, F5 read the folder again,
Ctrl+Q quit, Esc cancel a slow read; in the item list Ctrl+A select all,
Delete erase the marked items, F2 rename, Ctrl+C copy.

Qt&apos;s standard options are accepted too, such as -platform NAME (wayland, xcb),
-style NAME, -reverse and -session ID.
</source>
        <translation>Aufruf: corvane [ORDNER]
Listet die Dateien eines Ordners, unter Optionen auch die aller Ordner darunter,
in einer sortierten Liste auf, auf Wunsch mit Größen und Daten. Die Liste lässt
sich nach Dateitypen und einem Wort eingrenzen, ohne Endungen zeigen,
nummerieren, von Hand bearbeiten und als Textdokument, Webseite, CSV, JSON,
Markdown-Tabelle oder Ausdruck ausgeben. Corvane+ startet in ORDNER (bei einer
Datei in deren Ordner), sonst in dem Ordner, aus dem es gestartet wird.

  -h, --help     diese Hilfe anzeigen und beenden
  -v, --version  Versionsinformation anzeigen und beenden

Tasten: Alt und der unterstrichene Buchstabe eines Menüs, F1 Info, F5 Ordner
neu lesen, Strg+Q beenden, Esc langsames Lesen abbrechen; in der Liste Strg+A
alle auswählen, Entf markierte entfernen, F2 umbenennen, Strg+C kopieren.

Auch die Standardoptionen von Qt werden angenommen, etwa -platform NAME
(wayland, xcb), -style NAME, -reverse und -session ID.
</translation>
    </message>
    <message>
        <source>only %1 is opened; ignored: %2</source>
        <translation>nur %1 wird geöffnet; nicht beachtet: %2</translation>
    </message>
    <message>
        <source>each file by its whole path (Full paths)</source>
        <translation>jede Datei mit ihrem ganzen Pfad (Vollständige Pfade)</translation>
    </message>
    <message>
        <source>each file by its name alone (Names only)</source>
        <translation>jede Datei nur mit ihrem Namen (Nur Namen)</translation>
    </message>
    <message>
        <source>numbers in names by their value, &quot;2&quot; before &quot;10&quot; (Natural order)</source>
        <translation>Zahlen in Namen nach ihrem Wert, &quot;2&quot; vor &quot;10&quot; (Natürliche Reihenfolge)</translation>
    </message>
    <message>
        <source>with --subfolders, not into folders of these names or patterns, such as &quot;node_modules backup*&quot; (Leave out folders…)</source>
        <translation>mit --subfolders nicht in Ordner dieser Namen oder Muster, etwa &quot;node_modules backup*&quot; (Ordner auslassen…)</translation>
    </message>
    <message>
        <source>--full-paths and --names-only do not go together</source>
        <translation>--full-paths und --names-only gehen nicht zusammen</translation>
    </message>
</context>
<context>
    <name>DesktopEntry</name>
    <message>
        <source>Corvane+</source>
        <translation>Corvane+</translation>
    </message>
    <message>
        <source>File List Maker</source>
        <translation>Dateilisten-Ersteller</translation>
    </message>
    <message>
        <source>List the files of a folder and its subfolders, with sizes and dates, as a text document, a web page, CSV, JSON, a Markdown table or a printout</source>
        <translation>Die Dateien eines Ordners und seiner Unterordner mit Größen und Daten auflisten, als Textdokument, Webseite, CSV, JSON, Markdown-Tabelle oder Ausdruck</translation>
    </message>
    <message>
        <source>files;folder;subfolders;list;directory;sizes;dates;print;web page;text;CSV;JSON;Markdown;spreadsheet;</source>
        <translation>Dateien;Ordner;Unterordner;Liste;Verzeichnis;Größen;Daten;Drucken;Webseite;Text;CSV;JSON;Markdown;Tabelle;</translation>
    </message>
</context>
<context>
    <name>DocumentFormat</name>
    <message>
        <source>Create TXT</source>
        <translation>TXT erstellen</translation>
    </message>
    <message>
        <source>Make TXT document</source>
        <translation>TXT-Dokument erstellen</translation>
    </message>
    <message>
        <source>TXT Document</source>
        <translation>TXT-Dokument</translation>
    </message>
    <message>
        <source>File : %1 saved in folder :<byte value="xd"/><byte value="xd"/>%2</source>
        <translation>Datei : %1 gespeichert im Ordner :<byte value="xd"/><byte value="xd"/>%2</translation>
    </message>
    <message>
        <source>Make WEB Page</source>
        <translation>WEB-Seite erstellen</translation>
    </message>
    <message>
        <source>Make WEB page</source>
        <translation>WEB-Seite erstellen</translation>
    </message>
    <message>
        <source>WEB Page</source>
        <translation>WEB-Seite</translation>
    </message>
    <message>
        <source>File :%1 saved in folder :<byte value="xd"/><byte value="xd"/>%2</source>
        <translation>Datei :%1 gespeichert im Ordner :<byte value="xd"/><byte value="xd"/>%2</translation>
    </message>
    <message>
        <source>Page title</source>
        <translation>Seitentitel</translation>
    </message>
    <message>
        <source>Insert title.</source>
        <translation>Titel eingeben.</translation>
    </message>
    <message>
        <source>Make CSV document</source>
        <translation>CSV-Dokument erstellen</translation>
    </message>
    <message>
        <source>CSV Document</source>
        <translation>CSV-Dokument</translation>
    </message>
    <message>
        <source>CSV…</source>
        <translation>CSV…</translation>
    </message>
    <message>
        <source>JSON…</source>
        <translation>JSON…</translation>
    </message>
    <message>
        <source>Make JSON document</source>
        <translation>JSON-Dokument erstellen</translation>
    </message>
    <message>
        <source>JSON Document</source>
        <translation>JSON-Dokument</translation>
    </message>
    <message>
        <source>Markdown…</source>
        <translation>Markdown…</translation>
    </message>
    <message>
        <source>Make Markdown document</source>
        <translation>Markdown-Dokument erstellen</translation>
    </message>
    <message>
        <source>Markdown Document</source>
        <translation>Markdown-Dokument</translation>
    </message>
</context>
<context>
    <name>Editing</name>
    <message>
        <source>You are not renaming the file,</source>
        <translation>Sie benennen nicht die Datei um,</translation>
    </message>
    <message>
        <source>you&apos;re just renaming the item in the list.</source>
        <translation>sondern nur den Eintrag in der Liste.</translation>
    </message>
</context>
<context>
    <name>FactColumn</name>
    <message>
        <source> byte</source>
        <translation> Byte</translation>
    </message>
    <message>
        <source> bytes</source>
        <translation> Bytes</translation>
    </message>
</context>
<context>
    <name>Output</name>
    <message>
        <source>Not a regular file</source>
        <translation>Keine reguläre Datei</translation>
    </message>
</context>
<context>
    <name>ProgressBox</name>
    <message>
        <source>Reading</source>
        <translation>Wird gelesen</translation>
    </message>
    <message numerus="yes">
        <source>%n names read</source>
        <translation>
            <numerusform>%n Name gelesen</numerusform>
            <numerusform>%n Namen gelesen</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>Services</name>
    <message>
        <source>No default printer is set up on this system.</source>
        <translation>Auf diesem System ist kein Standarddrucker eingerichtet.</translation>
    </message>
    <message>
        <source>The document for the printer %1 could not be prepared.</source>
        <translation>Das Dokument für den Drucker %1 konnte nicht vorbereitet werden.</translation>
    </message>
    <message>
        <source>No program could be started to open %1</source>
        <translation>Es konnte kein Programm zum Öffnen von %1 gestartet werden</translation>
    </message>
    <message>
        <source>%1 is no longer mounted</source>
        <translation>%1 ist nicht mehr eingehängt</translation>
    </message>
</context>
<context>
    <name>corvane::Form1</name>
    <message>
        <source>Corvane+, made by the Corvane+ developers</source>
        <translation>Corvane+, erstellt von den Corvane+-Entwicklern</translation>
    </message>
    <message>
        <source>December 2026, written for the Linux desktop</source>
        <translation>Dezember 2026, geschrieben für den Linux-Desktop</translation>
    </message>
    <message>
        <source>Copyright (C) 2026 the Corvane+ developers. All rights reserved.</source>
        <translation>Copyright (C) 2026 die Corvane+-Entwickler. Alle Rechte vorbehalten.</translation>
    </message>
    <message>
        <source>Clear list when new folder is selected</source>
        <translation>Liste bei neuem Ordner leeren</translation>
    </message>
    <message>
        <source>Reading…</source>
        <translation>Wird gelesen…</translation>
    </message>
    <message>
        <source>Set File Types</source>
        <translation>Dateitypen</translation>
    </message>
    <message>
        <source>File Filter</source>
        <translation>Dateifilter</translation>
    </message>
    <message>
        <source>Select word</source>
        <translation>Wort wählen</translation>
    </message>
    <message>
        <source>Only items containing : </source>
        <translation>Nur Einträge mit : </translation>
    </message>
    <message>
        <source>Exclude items containing : </source>
        <translation>Ohne Einträge mit : </translation>
    </message>
    <message>
        <source>Print</source>
        <translation>Drucken</translation>
    </message>
    <message>
        <source>Options</source>
        <translation>Optionen</translation>
    </message>
    <message>
        <source>Extensions ON</source>
        <translation>Endungen EIN</translation>
    </message>
    <message>
        <source>Enumerate items</source>
        <translation>Einträge nummerieren</translation>
    </message>
    <message>
        <source>Include subfolders</source>
        <translation>Unterordner einbeziehen</translation>
    </message>
    <message>
        <source>Sizes and dates</source>
        <translation>Größe und Datum</translation>
    </message>
    <message>
        <source>Info</source>
        <translation>Info</translation>
    </message>
    <message>
        <source>Rename</source>
        <translation>Umbenennen</translation>
    </message>
    <message>
        <source>Erase selected item(s)</source>
        <translation>Ausgewählte Einträge entfernen</translation>
    </message>
    <message>
        <source>Select all</source>
        <translation>Alle auswählen</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>Leeren</translation>
    </message>
    <message>
        <source>Reading %1</source>
        <translation>%1 wird gelesen</translation>
    </message>
    <message>
        <source>INFO</source>
        <translation>INFO</translation>
    </message>
    <message>
        <source>Extensions OFF</source>
        <translation>Endungen AUS</translation>
    </message>
    <message>
        <source>File Filter OFF</source>
        <translation>Dateifilter AUS</translation>
    </message>
    <message>
        <source>File Filter ON</source>
        <translation>Dateifilter EIN</translation>
    </message>
    <message>
        <source>List only items containing : </source>
        <translation>Nur Einträge auflisten mit : </translation>
    </message>
    <message>
        <source>WARNING</source>
        <translation>WARNUNG</translation>
    </message>
    <message>
        <source>Drives</source>
        <translation>Laufwerke</translation>
    </message>
    <message>
        <source>The mounted volumes; choosing one shows its folders</source>
        <translation>Die eingehängten Datenträger; wählen Sie einen, um seine Ordner zu sehen</translation>
    </message>
    <message>
        <source>Folders</source>
        <translation>Ordner</translation>
    </message>
    <message>
        <source>The folders of the drive; opening one lists its files</source>
        <translation>Die Ordner des Laufwerks; öffnen Sie einen, um seine Dateien aufzulisten</translation>
    </message>
    <message>
        <source>Files in this folder</source>
        <translation>Dateien in diesem Ordner</translation>
    </message>
    <message>
        <source>The files of the chosen folder that match the file types; they fill the item list</source>
        <translation>Die Dateien des gewählten Ordners, die zu den Dateitypen passen; sie füllen die Eintragsliste</translation>
    </message>
    <message>
        <source>Items</source>
        <translation>Einträge</translation>
    </message>
    <message>
        <source>When checked, the item list is emptied before the files of a newly chosen folder go in</source>
        <translation>Wenn angekreuzt, wird die Eintragsliste geleert, bevor die Dateien eines neu gewählten Ordners aufgenommen werden</translation>
    </message>
    <message>
        <source>Menu bar</source>
        <translation>Menüleiste</translation>
    </message>
    <message>
        <source>The commands of Corvane+; Alt moves the keyboard here</source>
        <translation>Die Befehle von Corvane+; Alt bringt die Tastatur hierher</translation>
    </message>
    <message>
        <source>Choose a word, then list only or exclude the items containing it</source>
        <translation>Ein Wort wählen, dann nur die Einträge mit diesem Wort auflisten oder sie ausschließen</translation>
    </message>
    <message>
        <source>Extensions on or off, and numbered items in the documents</source>
        <translation>Endungen ein oder aus und nummerierte Einträge in den Dokumenten</translation>
    </message>
    <message>
        <source>Item commands</source>
        <translation>Eintragsbefehle</translation>
    </message>
    <message>
        <source>Rename, erase, select or clear the items of the list</source>
        <translation>Die Einträge der Liste umbenennen, entfernen, auswählen oder leeren</translation>
    </message>
    <message>
        <source> Files : </source>
        <translation> Dateien : </translation>
    </message>
    <message>
        <source>1 item</source>
        <translation>1 Eintrag</translation>
    </message>
    <message numerus="yes">
        <source>%n items</source>
        <translation>
            <numerusform>%n Eintrag</numerusform>
            <numerusform>%n Einträge</numerusform>
        </translation>
    </message>
    <message>
        <source> in the list. Space marks the current item; Ctrl+C copies the marked items, or all when none is marked; the Menu key opens the item commands</source>
        <translation> in der Liste. Die Leertaste markiert den aktuellen Eintrag; Strg+C kopiert die markierten Einträge oder alle, wenn keiner markiert ist; die Menütaste öffnet die Eintragsbefehle</translation>
    </message>
    <message>
        <source>RENAME</source>
        <translation>UMBENENNEN</translation>
    </message>
    <message>
        <source>1 folder could not be read:</source>
        <translation>1 Ordner konnte nicht gelesen werden:</translation>
    </message>
    <message numerus="yes">
        <source>%n folders could not be read:</source>
        <translation>
            <numerusform>%n Ordner konnte nicht gelesen werden:</numerusform>
            <numerusform>%n Ordner konnten nicht gelesen werden:</numerusform>
        </translation>
    </message>
    <message>
        <source>Reading the drives</source>
        <translation>Die Laufwerke werden gelesen</translation>
    </message>
    <message>
        <source>Insert file name.<byte value="xd"/>The extension will be automatically added.</source>
        <translation>Dateinamen eingeben.<byte value="xd"/>Die Endung wird automatisch angehängt.</translation>
    </message>
    <message>
        <source>Operation aborted</source>
        <translation>Vorgang abgebrochen</translation>
    </message>
    <message>
        <source>Writing %1</source>
        <translation>%1 wird geschrieben</translation>
    </message>
    <message>
        <source>Printing</source>
        <translation>Wird gedruckt</translation>
    </message>
    <message>
        <source>Insert file type extension(s):<byte value="xd"/><byte value="xd"/>Example : MP3 EXE DOC ZIP</source>
        <translation>Dateiendung(en) eingeben:<byte value="xd"/><byte value="xd"/>Beispiel : MP3 EXE DOC ZIP</translation>
    </message>
    <message>
        <source>Select word to filter.<byte value="xd"/><byte value="xd"/>(Leave empty to set the filter OFF)</source>
        <translation>Wort zum Filtern wählen.<byte value="xd"/><byte value="xd"/>(Leer lassen schaltet den Filter AUS)</translation>
    </message>
    <message>
        <source>FILE TYPE</source>
        <translation>DATEITYP</translation>
    </message>
    <message>
        <source>File type(s) : </source>
        <translation>Dateityp(en) : </translation>
    </message>
    <message>
        <source>FILTER</source>
        <translation>FILTER</translation>
    </message>
    <message>
        <source>Export</source>
        <translation>Exportieren</translation>
    </message>
    <message>
        <source>The list written as a CSV, JSON or Markdown document</source>
        <translation>Die Liste als CSV-, JSON- oder Markdown-Dokument geschrieben</translation>
    </message>
    <message>
        <source>1 entry could not be checked:</source>
        <translation>1 Eintrag konnte nicht geprüft werden:</translation>
    </message>
    <message numerus="yes">
        <source>%n entries could not be checked:</source>
        <translation>
            <numerusform>%n Eintrag konnte nicht geprüft werden:</numerusform>
            <numerusform>%n Einträge konnten nicht geprüft werden:</numerusform>
        </translation>
    </message>
    <message>
        <source>The size and date of 1 file could not be read:</source>
        <translation>Größe und Datum von 1 Datei konnten nicht gelesen werden:</translation>
    </message>
    <message numerus="yes">
        <source>The sizes and dates of %n files could not be read:</source>
        <translation>
            <numerusform>Größe und Datum von %n Datei konnten nicht gelesen werden:</numerusform>
            <numerusform>Größe und Datum von %n Dateien konnten nicht gelesen werden:</numerusform>
        </translation>
    </message>
    <message>
        <source>Relative paths</source>
        <translation>Relative Pfade</translation>
    </message>
    <message>
        <source>Full paths</source>
        <translation>Vollständige Pfade</translation>
    </message>
    <message>
        <source>Names only</source>
        <translation>Nur Namen</translation>
    </message>
    <message>
        <source>Natural order</source>
        <translation>Natürliche Reihenfolge</translation>
    </message>
    <message>
        <source>Leave out folders…</source>
        <translation>Ordner auslassen…</translation>
    </message>
    <message>
        <source>Folders to leave out when subfolders are included (names or patterns, separated by spaces):<byte value="xd"/><byte value="xd"/>Example : node_modules .git backup*</source>
        <translation>Auszulassende Ordner, wenn Unterordner einbezogen werden (Namen oder Muster, durch Leerzeichen getrennt):<byte value="xd"/><byte value="xd"/>Beispiel : node_modules .git backup*</translation>
    </message>
    <message>
        <source>Sorting the list</source>
        <translation>Liste wird sortiert</translation>
    </message>
    <message>
        <source>LEAVE OUT</source>
        <translation>AUSLASSEN</translation>
    </message>
</context>
</TS>
