<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>LinkSettings</name>
    <message>
        <source>Even</source>
        <translation>Even</translation>
    </message>
    <message>
        <source>Odd</source>
        <translation>Odd</translation>
    </message>
    <message>
        <source>Grade</source>
        <translation>Mark</translation>
    </message>
    <message>
        <source>Blank</source>
        <translation>Space</translation>
    </message>
    <message>
        <source>Null</source>
        <translation>None</translation>
    </message>
    <message>
        <source>4bit</source>
        <translation>4 bits</translation>
    </message>
    <message>
        <source>5bit</source>
        <translation>5 bits</translation>
    </message>
    <message>
        <source>6bit</source>
        <translation>6 bits</translation>
    </message>
    <message>
        <source>7bit</source>
        <translation>7 bits</translation>
    </message>
    <message>
        <source>8bit</source>
        <translation>8 bits</translation>
    </message>
    <message>
        <source>1bit</source>
        <translation>1 bit</translation>
    </message>
    <message>
        <source>2bit</source>
        <translation>2 bits</translation>
    </message>
    <message>
        <source>XON/XOFF</source>
        <translation>XON/XOFF</translation>
    </message>
    <message>
        <source>RTS/CTS</source>
        <translation>RTS/CTS</translation>
    </message>
    <message>
        <source>X&amp;TS</source>
        <translation>Both</translation>
    </message>
</context>
<context>
    <name>Messages</name>
    <message>
        <source>Notice!</source>
        <translation>Notice</translation>
    </message>
    <message>
        <source>Binary system document does not exists , has no way to preserve!</source>
        <translation>There is no memory image to save. Receive one from the controller or open a memory image file first.</translation>
    </message>
    <message>
        <source>The ladder document holds no instructions: nothing to show.</source>
        <translation>The ladder document holds no instructions, so there is nothing to show. Check that you chose the right file.</translation>
    </message>
    <message>
        <source>Cannot read the file %1.
Error: %2</source>
        <translation>Could not read the file %1.
Reason: %2
Check the file name and that you may read the file, then try again.</translation>
    </message>
    <message>
        <source>Cannot write the file %1.
Error: %2</source>
        <translation>Could not write the file %1.
Reason: %2
Choose another folder or file name, or free some disk space, then save again.</translation>
    </message>
    <message>
        <source>Do not discover the PLC document,Examine that the document is entire or not please!</source>
        <translation>The PLC document was not found. Check that the file (and, for a .ld2 document, its .txt companion) exists, then open it again.</translation>
    </message>
    <message>
        <source>Document content damages!</source>
        <translation>The ladder document is damaged: its instruction section cannot be found. Open a good copy (such as the _bak.ldx backup).</translation>
    </message>
    <message>
        <source>Warning!</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>This document is not identification a ldx of correct PLC ladder diagram software document,Have no way to cover!</source>
        <translation>The chosen file is not a ladder document of the PLC ladder software (.ldx), so nothing was written into it. Choose an .ldx file made by the ladder software.</translation>
    </message>
    <message>
        <source>The PLC document must begin from the document number,And the document number must be %999!</source>
        <translation>A PLC document must begin with its document number %999 on the first line. Correct the first line, then save again.</translation>
    </message>
    <message>
        <source>Ask the document storing to be short of necessary END1 of standard PLC document or END2 instruction,The wrong document has no way to cover!</source>
        <translation>The PLC document lacks the END1 or END2 instruction that every PLC program needs, so the ladder document was not changed. Add the missing instruction, then save again.</translation>
    </message>
    <message>
        <source>The file layout waiting for memory is wrong,Memory has no way to carry out!</source>
        <translation>The PLC document is too short to be a PLC program, so nothing was saved. Check the document, then save again.</translation>
    </message>
    <message>
        <source>Carriage return starts data of the head office number queen be obliged to!</source>
        <translation>In a PLC document the document number (%999) and the step count (8 digits) must each be alone on their line, each followed by a line break. Correct the first two lines, then save again.</translation>
    </message>
    <message>
        <source>The 2nd row of data are PLC document head office numbers,It must be 8 figures,Insufficient can have 0 added in at the head!</source>
        <translation>The second line of a PLC document is its step count and must be exactly 8 digits; pad a shorter number with zeros in front (such as 00000123). Correct it, then save again.</translation>
    </message>
    <message>
        <source>The head office number is 00000000: the PLC document has no steps, nothing was written!</source>
        <translation>The step count on the second line is 00000000: the PLC document has no steps, so nothing was written. Enter the number of steps, then save again.</translation>
    </message>
    <message>
        <source>警告!</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>您输入的是非法字符!</source>
        <translation>This character cannot be typed here. A program takes address letters, digits, spaces and % - / . only.</translation>
    </message>
    <message>
        <source>此行行号有错误!</source>
        <translation>This line does not begin with a block number (N and four digits, such as N0010), so the next one cannot be numbered. Correct the line first.</translation>
    </message>
    <message>
        <source>文件号有错误!</source>
        <translation>The first line must be the program number: % and two digits (such as %01). Correct it, then press Enter again.</translation>
    </message>
    <message>
        <source>下面一行的行号有错误!</source>
        <translation>The line below does not begin with a block number (N and four digits), so no number can be fitted in between. Correct the line below first.</translation>
    </message>
    <message>
        <source>行号已到N9999，不能再编号!</source>
        <translation>The block numbers have reached N9999: no further block can be numbered. Renumber the program or split it.</translation>
    </message>
    <message>
        <source>“请填入不多于%1个的字符。”</source>
        <translation>The editor takes at most %1 characters. Shorten the text, or split it into several programs.</translation>
    </message>
    <message>
        <source>您输入的是非法字符!
%1 at line %2, column %3: nothing was pasted.</source>
        <translation>Nothing was pasted: the text holds %1 at line %2, column %3, which a program cannot contain. A program takes address letters, digits, spaces and % - / . only.</translation>
    </message>
    <message>
        <source>您输入的是非法字符!
%1 at line %2, column %3: nothing was dropped.</source>
        <translation>Nothing was dropped in: the text holds %1 at line %2, column %3, which a program cannot contain. A program takes address letters, digits, spaces and % - / . only.</translation>
    </message>
    <message>
        <source>Failed to %1 port %2.
Error: %3</source>
        <translation>Could not %1 port %2.
Reason: %3
Check that the device is connected and not in use by another program, then try again.</translation>
    </message>
    <message>
        <source>Bit rate, parity, data bits, stop bits and handshaking are set on the serial device server for a tcp:// port; the values chosen here are not sent to it.</source>
        <translation>A tcp:// port is a serial device server: its bit rate, parity, data bits, stop bits and handshake are set on the server itself. The values chosen here are not sent to it.</translation>
    </message>
    <message>
        <source>open</source>
        <translation>open</translation>
    </message>
    <message>
        <source>a device server is given as rfc2217://HOST:PORT</source>
        <translation>a device server is given as rfc2217://HOST:PORT</translation>
    </message>
    <message>
        <source>a device server is given as tcp://HOST:PORT</source>
        <translation>a device server is given as tcp://HOST:PORT</translation>
    </message>
    <message>
        <source>the program is stopping</source>
        <translation>the program is stopping</translation>
    </message>
    <message>
        <source>write all data to</source>
        <translation>write all the data to</translation>
    </message>
    <message>
        <source>set the handshaking of</source>
        <translation>set the handshake of</translation>
    </message>
    <message>
        <source>the COM port option cannot combine RTS/CTS with XON/XOFF</source>
        <translation>the server cannot use RTS/CTS and XON/XOFF together</translation>
    </message>
    <message>
        <source>empty the input buffer of</source>
        <translation>empty the input buffer of</translation>
    </message>
    <message>
        <source>the port is not open</source>
        <translation>the port is not open</translation>
    </message>
    <message>
        <source>the device server closed the connection</source>
        <translation>the serial device server closed the connection</translation>
    </message>
    <message>
        <source>change the port number of</source>
        <translation>change the port number of</translation>
    </message>
    <message>
        <source>the port is already open</source>
        <translation>the port is already open</translation>
    </message>
    <message>
        <source>resize the input buffer of</source>
        <translation>resize the input buffer of</translation>
    </message>
    <message>
        <source>resize the output buffer of</source>
        <translation>resize the output buffer of</translation>
    </message>
    <message>
        <source>no serial device is present at that position of the port list</source>
        <translation>no serial device is at that place in the port list: choose another port</translation>
    </message>
    <message>
        <source>RTS/CTS together with XON/XOFF is not supported here</source>
        <translation>RTS/CTS and XON/XOFF together are not supported on this computer: choose one of them</translation>
    </message>
    <message>
        <source>write to</source>
        <translation>write to</translation>
    </message>
    <message>
        <source>read from</source>
        <translation>read from</translation>
    </message>
    <message>
        <source>read the output queue of</source>
        <translation>read the output queue of</translation>
    </message>
    <message>
        <source>Can not record into string driving control of MSCOMM32.OCX!Examine if MSCOMM32.OCX fall in the catalogue please!</source>
        <translation>TapLink cannot use the serial ports: Qt&apos;s serial port support could not be started. Install the package libqt6serialport6, then start TapLink again.</translation>
    </message>
    <message>
        <source>Error!</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>Can not dispatch empty space document!</source>
        <translation>The editor is empty: there is nothing to send. Open a file or type the program, then press Send.</translation>
    </message>
    <message>
        <source>CNC Procedure must add the procedure number beginning that two figures are composed of from the number &apos;%&apos;，Examine that if procedure satisfy a request after transferring please!</source>
        <translation>The program must begin with its program number: % and two digits (such as %01), alone on the first line. Correct the first line, then press Send again.</translation>
    </message>
    <message>
        <source>The procedure is too long for one frame: at most 65533 characters can be sent after blank lines and surplus spaces are removed!</source>
        <translation>The program is too long to send in one piece: at most 65533 characters can be sent once blank lines and extra spaces are taken out. Split it into smaller programs and send them one by one.</translation>
    </message>
    <message>
        <source>The instruction document of R80 must use &apos;%&apos; with the document number that 3 significant digits are composed of begins!</source>
        <translation>An R80 document must begin with % and a three-digit document number (such as %001, or %999 for a PLC document). Correct the first line, then press Send again.</translation>
    </message>
    <message>
        <source>The procedure number goes beyond the bounds!</source>
        <translation>The program number is out of range: an R80 program number is 000 to 254 (999 for a PLC document). Change the number on the first line, then press Send again.</translation>
    </message>
    <message>
        <source>The document exceeds the memory of CNC upper limit!</source>
        <translation>The document is larger than the controller&apos;s memory (at most 32767 bytes as sent). Shorten or split it, then send again.</translation>
    </message>
    <message>
        <source>The document number must change a line at the back!</source>
        <translation>The document number must be alone on the first line. Put a line break right after it, then press Send again.</translation>
    </message>
    <message>
        <source>The PLC document must be composed of 4 document numbers and 8 head office numbers，And must be over with carriage return!</source>
        <translation>The PLC document is incomplete: it needs its document number (%999) on the first line and its 8-digit step count on the second, each line ending with a line break. Check the document, then send again.</translation>
    </message>
    <message>
        <source>The document number must keep abrest of a carriage return at the back!</source>
        <translation>The PLC document number (%999) must be alone on the first line. Put a line break right after it, then send again.</translation>
    </message>
    <message>
        <source>The head office number must be 8 figures!</source>
        <translation>The step count on the second line of the PLC document must be exactly 8 digits (such as 00000123). Correct it, then send again.</translation>
    </message>
    <message>
        <source>Head office number back-end must be carriage return，The head office number must be 8 figures!</source>
        <translation>The step count on the second line of the PLC document must be exactly 8 digits, followed by a line break. Correct it, then send again.</translation>
    </message>
    <message>
        <source>Can not send empty space document!</source>
        <translation>There is no memory image to send. Open a memory image file (.hex) or receive one from the controller first.</translation>
    </message>
    <message>
        <source>A line ends in CR (carriage return) without LF (line feed): the controller takes lines that end in CR LF, or in LF alone, which is sent as CR LF!</source>
        <translation>A line ends in a carriage return (CR) without a line feed (LF). The controller takes lines that end in CR LF, or in LF alone. Correct the line ends (for example, save the file again in Windows or Unix format), then send again.</translation>
    </message>
    <message>
        <source>The memory image is too long for one frame: at most 65535 bytes can be sent!</source>
        <translation>The memory image is too long to send in one piece: at most 65535 bytes can be sent. Send a shorter image.</translation>
    </message>
    <message>
        <source>Taking-over is finished!</source>
        <translation>Received: what the controller sent is now in the editor. Save it to keep it.</translation>
    </message>
    <message>
        <source>Data transmission is wrong!Transfer the agreement checking inconformity!</source>
        <translation>The data from the controller do not fit the protocol (wrong protocol byte, length or checksum), so the transfer failed. Check that the model and the protocol bytes chosen here match the controller, then try again.</translation>
    </message>
    <message>
        <source>Data transmission be finished!</source>
        <translation>Sent: the controller has taken everything.</translation>
    </message>
    <message>
        <source>CNC opens received state not yet or transmission line has not finished meeting,Examine that please!</source>
        <translation>The controller did not answer in time. Check that the controller is ready and the cable is connected, then try again.</translation>
    </message>
    <message>
        <source>The CNC nothing responds,Transmission fail is transferred please again!</source>
        <translation>The controller stopped answering, and the transfer failed. Check the cable and the controller, then start the transfer again.</translation>
    </message>
    <message>
        <source>The CNC stops taking the data,Transmission fail is transferred please again!</source>
        <translation>The controller stopped taking the data, and the send failed. Check the cable and the handshake setting, and that the controller is still receiving, then press Send again.</translation>
    </message>
    <message>
        <source>Sending is finished!</source>
        <translation>Sent: the controller has taken the whole document.</translation>
    </message>
    <message>
        <source>The procedure number makes mistakes!</source>
        <translation>The document number from the controller is not valid, so the received document was not taken. Check the program on the controller, then press Receive again.</translation>
    </message>
    <message>
        <source>The controller&apos;s copy differs from what was sent, first at line %1 (%2 line differs):
sent:       %3
controller: %4</source>
        <translation>The controller&apos;s copy differs from what was sent, first at line %1 (%2 line differs):
sent:       %3
controller: %4
Send the document again.</translation>
    </message>
    <message>
        <source>The controller&apos;s copy differs from what was sent, first at line %1 (%2 lines differ):
sent:       %3
controller: %4</source>
        <translation>The controller&apos;s copy differs from what was sent, first at line %1 (%2 lines differ):
sent:       %3
controller: %4
Send the document again.</translation>
    </message>
    <message>
        <source>Verified: the controller holds exactly what was sent (%1 byte).</source>
        <translation>Verified: the controller holds exactly what was sent (%1 byte).</translation>
    </message>
    <message>
        <source>Verified: the controller holds exactly what was sent (%1 bytes).</source>
        <translation>Verified: the controller holds exactly what was sent (%1 bytes).</translation>
    </message>
    <message>
        <source>Failed to open the simulator.
Error: %1</source>
        <translation>Could not start the simulated controller.
Reason: %1</translation>
    </message>
    <message>
        <source>The command failed: %1</source>
        <translation>The command failed: %1
The window can be used again.</translation>
    </message>
    <message>
        <source>No transfer journal is kept: the program was started with --journal none, or the journal could not be opened.</source>
        <translation>No transfer journal is kept: TapLink was started with --journal none, or the journal could not be opened. Start TapLink again without --journal none to keep one.</translation>
    </message>
    <message>
        <source>CNC opens received state not yet or transmission line has not finished meeting,Examine that please!</source>
        <comment>receive</comment>
        <translation>The controller did not answer within %1 s. Start the output on the controller, check the cable, then press Receive again.</translation>
    </message>
    <message>
        <source>CNC opens received state not yet or transmission line has not finished meeting,Examine that please!</source>
        <comment>send</comment>
        <translation>The controller was not ready to receive within %1 s. Start the input on the controller, check the cable, then press Send again.</translation>
    </message>
</context>
<context>
    <name>Programs</name>
    <message>
        <source>Moves part programs, PLC documents and memory images between this computer and a QRN series CNC controller over a serial line.
Qt&apos;s own options (-platform, -style, -display, ...) are passed to Qt.</source>
        <translation>Moves part programs, PLC documents and memory images between this computer and a QRN series CNC controller over a serial line.
Qt&apos;s own options (-platform, -style, -display, ...) are passed to Qt.</translation>
    </message>
    <message>
        <source>Put DEVICE (such as /dev/ttyUSB0, a pseudo-terminal, tcp://HOST:PORT or rfc2217://HOST:PORT for a serial device server, or simulator) first in the port list and open it (default: the first serial device, or simulator when there is none).</source>
        <translation>Put DEVICE (such as /dev/ttyUSB0, a pseudo-terminal, tcp://HOST:PORT or rfc2217://HOST:PORT for a serial device server, or simulator) first in the port list and open it (default: the first serial device, or simulator when there is none).</translation>
    </message>
    <message>
        <source>Preselect the model: r40, r80 or memory (default: r40).</source>
        <translation>Preselect the model: r40, r80 or memory (default: r40).</translation>
    </message>
    <message>
        <source>Write every byte in and out, with times, to FILE.</source>
        <translation>Write every byte in and out, with times, to FILE.</translation>
    </message>
    <message>
        <source>Record every transfer in JOURNAL: a SQLite file, postgresql://USER@HOST/DB, or none (default: the journal in the user&apos;s data folder).</source>
        <translation>Record every transfer in JOURNAL: a SQLite file, postgresql://USER@HOST/DB, or none (default: the journal in the user&apos;s data folder).</translation>
    </message>
    <message>
        <source>unknown model &quot;%1&quot; (use r40, r80 or memory)</source>
        <translation>unknown model &quot;%1&quot;: use r40, r80 or memory</translation>
    </message>
    <message>
        <source>no display to open the window on (set DISPLAY, or use taplink-cli for transfers without one)</source>
        <translation>there is no display to open the window on: set DISPLAY, or use taplink-cli for transfers without a window</translation>
    </message>
    <message>
        <source>cannot write the trace %1</source>
        <translation>cannot write the trace %1: choose a file you may write</translation>
    </message>
    <message>
        <source>The trace %1 stopped.
Error: %2</source>
        <translation>The trace %1 stopped; the transfer goes on without it.
Reason: %2</translation>
    </message>
    <message>
        <source>Transfers are not recorded: %1</source>
        <translation>Transfers are not recorded in the journal: %1
Transfers still work.</translation>
    </message>
    <message>
        <source>unknown language &quot;%1&quot; (use original, en, zh_CN or system)</source>
        <translation>unknown language &quot;%1&quot;: use original, en, zh_CN or system</translation>
    </message>
    <message>
        <source>The language of every text: original (the system&apos;s own texts, the default), en (plain English), zh_CN (Chinese) or system (the locale&apos;s).</source>
        <translation>The language of every text: original (the system&apos;s own texts, the default), en (plain English), zh_CN (Chinese) or system (the locale&apos;s).</translation>
    </message>
</context>
<context>
    <name>QCommandLineParser</name>
    <message>
        <source>Displays help on commandline options.</source>
        <translation>Displays help on commandline options.</translation>
    </message>
    <message>
        <source>Displays help including Qt specific options.</source>
        <translation>Displays help including Qt specific options.</translation>
    </message>
    <message>
        <source>Displays version information.</source>
        <translation>Displays version information.</translation>
    </message>
    <message>
        <source>Usage: %1</source>
        <translation>Usage: %1</translation>
    </message>
    <message>
        <source>Options:</source>
        <translation>Options:</translation>
    </message>
    <message>
        <source>Arguments:</source>
        <translation>Arguments:</translation>
    </message>
    <message>
        <source>[options]</source>
        <translation>[options]</translation>
    </message>
    <message>
        <source>Unknown option &apos;%1&apos;.</source>
        <translation>Unknown option &apos;%1&apos;.</translation>
    </message>
    <message>
        <source>Unknown options: %1.</source>
        <translation>Unknown options: %1.</translation>
    </message>
    <message>
        <source>Missing value after &apos;%1&apos;.</source>
        <translation>Missing value after &apos;%1&apos;.</translation>
    </message>
    <message>
        <source>Unexpected value after &apos;%1&apos;.</source>
        <translation>Unexpected value after &apos;%1&apos;.</translation>
    </message>
</context>
<context>
    <name>QPlatformTheme</name>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>Discard</source>
        <translation>Discard</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>&amp;Yes</source>
        <translation>&amp;Yes</translation>
    </message>
    <message>
        <source>&amp;No</source>
        <translation>&amp;No</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>taplink::CAboutDlg</name>
    <message>
        <source>About</source>
        <translation>About TapLink</translation>
    </message>
    <message>
        <source>QRN R40/R60/R80Series CNC Communications Software</source>
        <translation>QRN R40/R60/R80 Series CNC Communications Software</translation>
    </message>
    <message>
        <source>TapLink moves part programs, PLC documents and memory images between this computer and QRN series CNC controllers over a serial line.

Free software: use, copy and change it freely. No warranty of any kind.</source>
        <translation>TapLink moves part programs, PLC documents and memory images between this computer and QRN series CNC controllers over a serial line.

Free software: use, copy and change it freely. No warranty of any kind.</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>taplink::CCncCommDlg</name>
    <message>
        <source>QRNR40/R60/R80 Series CNC Communications Software V6.4</source>
        <translation>QRN R40/R60/R80 Series CNC Communications Software V6.4</translation>
    </message>
    <message>
        <source>Open File(&amp;F)</source>
        <translation>Open &amp;File</translation>
    </message>
    <message>
        <source>Save File(&amp;S)</source>
        <translation>&amp;Save File</translation>
    </message>
    <message>
        <source>Send   (&amp;T)</source>
        <translation>Send (&amp;T)</translation>
    </message>
    <message>
        <source>Receive(&amp;R)</source>
        <translation>&amp;Receive</translation>
    </message>
    <message>
        <source>Bit Rate：</source>
        <translation>Bit rate:</translation>
    </message>
    <message>
        <source>Choose Port：</source>
        <translation>Port:</translation>
    </message>
    <message>
        <source>Schedule：</source>
        <translation>Progress:</translation>
    </message>
    <message>
        <source>Speed：</source>
        <translation>Speed:</translation>
    </message>
    <message>
        <source>Checkout：</source>
        <translation>Parity:</translation>
    </message>
    <message>
        <source>Data Number：</source>
        <translation>Data bits:</translation>
    </message>
    <message>
        <source>Stop Number：</source>
        <translation>Stop bits:</translation>
    </message>
    <message>
        <source>Hsrdware ：</source>
        <translation>Handshake:</translation>
    </message>
    <message>
        <source>Protocol：</source>
        <translation>Protocol bytes:</translation>
    </message>
    <message>
        <source>Send：</source>
        <translation>Send:</translation>
    </message>
    <message>
        <source>Receive：</source>
        <translation>Receive:</translation>
    </message>
    <message>
        <source>About(&amp;A)</source>
        <translation>&amp;About</translation>
    </message>
    <message>
        <source>Setup</source>
        <translation>Setup</translation>
    </message>
    <message>
        <source>Memory</source>
        <translation>Memory</translation>
    </message>
    <message>
        <source>关于 TAPLINK(&amp;A)...</source>
        <translation>&amp;About TapLink...</translation>
    </message>
    <message>
        <source>Verify with the controller&apos;s copy(&amp;V)...</source>
        <translation>&amp;Verify with the controller&apos;s copy...</translation>
    </message>
    <message>
        <source>Transfer journal(&amp;J)...</source>
        <translation>Transfer &amp;journal...</translation>
    </message>
    <message>
        <source>A transfer is running. Stop it?</source>
        <translation>A transfer is running. Stop it, or let it go on?</translation>
    </message>
    <message>
        <source>Stop the transfer</source>
        <translation>Stop the transfer</translation>
    </message>
    <message>
        <source>Go on</source>
        <translation>Go on</translation>
    </message>
    <message>
        <source>The editor holds changes that were not saved, sent or received. Save them before closing?</source>
        <translation>The editor holds changes that were not saved, sent or received. Save them before closing?</translation>
    </message>
    <message>
        <source>Waiting for the controller to take the memory image: %1 s</source>
        <translation>Waiting for the controller to take the memory image: %1 s</translation>
    </message>
    <message>
        <source>Waiting for the controller to take the document: %1 s</source>
        <translation>Waiting for the controller to take the document: %1 s</translation>
    </message>
    <message>
        <source>Waiting for the controller to take the program: %1 s</source>
        <translation>Waiting for the controller to take the program: %1 s</translation>
    </message>
    <message>
        <source>Waiting for the controller to answer: %1 s</source>
        <translation>Waiting for the controller to answer: %1 s</translation>
    </message>
    <message>
        <source>Waiting for the controller to send the memory image: %1 s</source>
        <translation>Waiting for the controller to send the memory image: %1 s</translation>
    </message>
    <message>
        <source>Waiting for the controller to send the document: %1 s</source>
        <translation>Waiting for the controller to send the document: %1 s</translation>
    </message>
    <message>
        <source>Waiting for the controller to send the program: %1 s</source>
        <translation>Waiting for the controller to send the program: %1 s</translation>
    </message>
    <message>
        <source>Not taken: the field must begin with two hexadecimal digits. The protocol byte stays %1 (hex).</source>
        <translation>Not taken: the field must begin with two hexadecimal digits. The protocol byte stays %1 (hex).</translation>
    </message>
</context>
<context>
    <name>taplink::CSaveQueryDlg</name>
    <message>
        <source>注意！！</source>
        <translation>Save first?</translation>
    </message>
    <message>
        <source>文档即将被改变，是否保存？</source>
        <translation>The editor&apos;s text is about to be replaced. Save it first?</translation>
    </message>
    <message>
        <source>是</source>
        <translation>Yes</translation>
    </message>
    <message>
        <source>否</source>
        <translation>No</translation>
    </message>
</context>
<context>
    <name>taplink::PortComboBox</name>
    <message>
        <source> (missing)</source>
        <translation> (missing)</translation>
    </message>
    <message>
        <source>Simulator</source>
        <translation>Simulator</translation>
    </message>
</context>
<context>
    <name>taplink::SimulatorPanel</name>
    <message>
        <source>Controller simulator</source>
        <translation>Controller simulator</translation>
    </message>
    <message>
        <source>Memory</source>
        <translation>Memory</translation>
    </message>
    <message>
        <source>input</source>
        <translation>input</translation>
    </message>
    <message>
        <source>output</source>
        <translation>output</translation>
    </message>
    <message>
        <source>The controller takes a document: press Send in TapLink</source>
        <translation>The controller takes a document: press Send in TapLink</translation>
    </message>
    <message>
        <source>The controller sends what it holds: press Receive in TapLink</source>
        <translation>The controller sends what it holds: press Receive in TapLink</translation>
    </message>
    <message>
        <source>Controller:</source>
        <translation>Controller:</translation>
    </message>
    <message>
        <source>idle</source>
        <translation>idle</translation>
    </message>
    <message>
        <source>What the controller holds:</source>
        <translation>What the controller holds:</translation>
    </message>
    <message>
        <source>TapLink&apos;s end: %1</source>
        <translation>TapLink&apos;s end: %1</translation>
    </message>
    <message>
        <source>modem-line change (a pseudo-terminal has no modem lines)</source>
        <translation>modem-line change (a pseudo-terminal has no modem lines)</translation>
    </message>
</context>
<context>
    <name>taplink::VerifyView</name>
    <message>
        <source>Differences from the controller&apos;s copy</source>
        <translation>Differences from the controller&apos;s copy</translation>
    </message>
    <message>
        <source>Offset</source>
        <translation>Offset</translation>
    </message>
    <message>
        <source>Line</source>
        <translation>Line</translation>
    </message>
    <message>
        <source>Sent</source>
        <translation>Sent</translation>
    </message>
    <message>
        <source>Controller</source>
        <translation>Controller</translation>
    </message>
</context>
</TS>
