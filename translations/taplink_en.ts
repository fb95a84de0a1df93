<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>Messages</name>
    <message>
        <source>Notice!</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Programs</name>
    <message>
        <source>Moves part programs, PLC documents and memory images between this computer and a QRN series CNC controller over a serial line.
Qt&apos;s own options (-platform, -style, -display, ...) are passed to Qt.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Put DEVICE (such as /dev/ttyUSB0, a pseudo-terminal, tcp://HOST:PORT or rfc2217://HOST:PORT for a serial device server, or simulator) first in the port list and open it (default: the first serial device, or simulator when there is none).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Preselect the model: r40, r80 or memory (default: r40).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Write every byte in and out, with times, to FILE.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Record every transfer in JOURNAL: a SQLite file, postgresql://USER@HOST/DB, or none (default: the journal in the user&apos;s data folder).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>unknown model &quot;%1&quot; (use r40, r80 or memory)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>no display to open the window on (set DISPLAY, or use taplink-cli for transfers without one)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cannot write the trace %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The trace %1 stopped.
Error: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Transfers are not recorded: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>unknown language &quot;%1&quot; (use original, en, zh_CN or system)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The language of every text: original (the system&apos;s own texts, the default), en (plain English), zh_CN (Chinese) or system (the locale&apos;s).</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>QCommandLineParser</name>
    <message>
        <source>Displays help on commandline options.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Displays help including Qt specific options.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Displays version information.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Usage: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Options:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Arguments:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>[options]</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Unknown option &apos;%1&apos;.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Unknown options: %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Missing value after &apos;%1&apos;.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Unexpected value after &apos;%1&apos;.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>QPlatformTheme</name>
    <message>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Discard</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Yes</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;No</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Close</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
