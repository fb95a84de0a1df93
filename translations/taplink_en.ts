<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>LinkSettings</name>
    <message>
        <source>Even</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Odd</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Grade</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Blank</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Null</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>4bit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>5bit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>6bit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>7bit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>8bit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>1bit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>2bit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>XON/XOFF</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>RTS/CTS</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>X&amp;TS</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Messages</name>
    <message>
        <source>Notice!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Binary system document does not exists , has no way to preserve!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The ladder document holds no instructions: nothing to show.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cannot read the file %1.
Error: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cannot write the file %1.
Error: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Do not discover the PLC document,Examine that the document is entire or not please!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Document content damages!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Warning!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>This document is not identification a ldx of correct PLC ladder diagram software document,Have no way to cover!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The PLC document must begin from the document number,And the document number must be %999!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ask the document storing to be short of necessary END1 of standard PLC document or END2 instruction,The wrong document has no way to cover!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The file layout waiting for memory is wrong,Memory has no way to carry out!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Carriage return starts data of the head office number queen be obliged to!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The 2nd row of data are PLC document head office numbers,It must be 8 figures,Insufficient can have 0 added in at the head!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The head office number is 00000000: the PLC document has no steps, nothing was written!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>警告!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>您输入的是非法字符!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>此行行号有错误!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>文件号有错误!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>下面一行的行号有错误!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>行号已到N9999，不能再编号!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>“请填入不多于%1个的字符。”</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>您输入的是非法字符!
%1 at line %2, column %3: nothing was pasted.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>您输入的是非法字符!
%1 at line %2, column %3: nothing was dropped.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Failed to %1 port %2.
Error: %3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Bit rate, parity, data bits, stop bits and handshaking are set on the serial device server for a tcp:// port; the values chosen here are not sent to it.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>open</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>a device server is given as rfc2217://HOST:PORT</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>a device server is given as tcp://HOST:PORT</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the program is stopping</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>write all data to</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>set the handshaking of</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the COM port option cannot combine RTS/CTS with XON/XOFF</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>empty the input buffer of</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the port is not open</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the device server closed the connection</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>change the port number of</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the port is already open</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>resize the input buffer of</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>resize the output buffer of</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>no serial device is present at that position of the port list</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>RTS/CTS together with XON/XOFF is not supported here</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>write to</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>read from</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>read the output queue of</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Can not record into string driving control of MSCOMM32.OCX!Examine if MSCOMM32.OCX fall in the catalogue please!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Error!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Can not dispatch empty space document!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>CNC Procedure must add the procedure number beginning that two figures are composed of from the number &apos;%&apos;，Examine that if procedure satisfy a request after transferring please!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The procedure is too long for one frame: at most 65533 characters can be sent after blank lines and surplus spaces are removed!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The instruction document of R80 must use &apos;%&apos; with the document number that 3 significant digits are composed of begins!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The procedure number goes beyond the bounds!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The document exceeds the memory of CNC upper limit!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The document number must change a line at the back!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The PLC document must be composed of 4 document numbers and 8 head office numbers，And must be over with carriage return!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The document number must keep abrest of a carriage return at the back!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The head office number must be 8 figures!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Head office number back-end must be carriage return，The head office number must be 8 figures!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Can not send empty space document!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A line ends in CR (carriage return) without LF (line feed): the controller takes lines that end in CR LF, or in LF alone, which is sent as CR LF!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The memory image is too long for one frame: at most 65535 bytes can be sent!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Taking-over is finished!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Data transmission is wrong!Transfer the agreement checking inconformity!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Data transmission be finished!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>CNC opens received state not yet or transmission line has not finished meeting,Examine that please!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The CNC nothing responds,Transmission fail is transferred please again!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The CNC stops taking the data,Transmission fail is transferred please again!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sending is finished!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The procedure number makes mistakes!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The controller&apos;s copy differs from what was sent, first at line %1 (%2 line differs):
sent:       %3
controller: %4</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The controller&apos;s copy differs from what was sent, first at line %1 (%2 lines differ):
sent:       %3
controller: %4</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Verified: the controller holds exactly what was sent (%1 byte).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Verified: the controller holds exactly what was sent (%1 bytes).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Failed to open the simulator.
Error: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The command failed: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No transfer journal is kept: the program was started with --journal none, or the journal could not be opened.</source>
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
<context>
    <name>taplink::CAboutDlg</name>
    <message>
        <source>About</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>QRN R40/R60/R80Series CNC Communications Software</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>TapLink moves part programs, PLC documents and memory images between this computer and QRN series CNC controllers over a serial line.

Free software: use, copy and change it freely. No warranty of any kind.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>taplink::CCncCommDlg</name>
    <message>
        <source>QRNR40/R60/R80 Series CNC Communications Software V6.4</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open File(&amp;F)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save File(&amp;S)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Send   (&amp;T)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Receive(&amp;R)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Bit Rate：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Choose Port：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Schedule：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Speed：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Checkout：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Data Number：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stop Number：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Hsrdware ：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Protocol：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Send：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Receive：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>About(&amp;A)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Setup</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Memory</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>关于 TAPLINK(&amp;A)...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Verify with the controller&apos;s copy(&amp;V)...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Transfer journal(&amp;J)...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A transfer is running. Stop it?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stop the transfer</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Go on</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The editor holds changes that were not saved, sent or received. Save them before closing?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Waiting for the controller to take the memory image: %1 s</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Waiting for the controller to take the document: %1 s</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Waiting for the controller to take the program: %1 s</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Waiting for the controller to answer: %1 s</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Waiting for the controller to send the memory image: %1 s</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Waiting for the controller to send the document: %1 s</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Waiting for the controller to send the program: %1 s</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Not taken: the field must begin with two hexadecimal digits. The protocol byte stays %1 (hex).</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>taplink::CSaveQueryDlg</name>
    <message>
        <source>注意！！</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>文档即将被改变，是否保存？</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>是</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>否</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>taplink::PortComboBox</name>
    <message>
        <source> (missing)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Simulator</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>taplink::SimulatorPanel</name>
    <message>
        <source>Controller simulator</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Memory</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>input</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>output</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The controller takes a document: press Send in TapLink</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The controller sends what it holds: press Receive in TapLink</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Controller:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>idle</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>What the controller holds:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>TapLink&apos;s end: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>modem-line change (a pseudo-terminal has no modem lines)</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>taplink::VerifyView</name>
    <message>
        <source>Differences from the controller&apos;s copy</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Offset</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Line</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sent</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Controller</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
