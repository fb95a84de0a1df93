<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>Floor</name>
    <message>
        <source>%1 takes only %2</source>
        <translation>%1 takes only %2 requests.</translation>
    </message>
    <message>
        <source>the body is over 68 KiB</source>
        <translation>The request&apos;s body is larger than 68 KiB; send less.</translation>
    </message>
    <message>
        <source>log in first</source>
        <translation>Log in first.</translation>
    </message>
    <message>
        <source>the X-CSRF-Token header is missing or not this session&apos;s</source>
        <translation>The X-CSRF-Token header is missing or belongs to another session: send the token your login returned.</translation>
    </message>
    <message>
        <source>%1 is not here</source>
        <translation>There is no %1 here.</translation>
    </message>
    <message>
        <source>send the login as JSON</source>
        <translation>Send the login as JSON (Content-Type: application/json).</translation>
    </message>
    <message>
        <source>a login is {&quot;user&quot;: NAME, &quot;password&quot;: PASSWORD}</source>
        <translation>A login is {&quot;user&quot;: NAME, &quot;password&quot;: PASSWORD}.</translation>
    </message>
    <message>
        <source>too many wrong passwords: try again in %1 s</source>
        <translation>Too many wrong passwords: try again in %1 s.</translation>
    </message>
    <message>
        <source>the users cannot be read</source>
        <translation>The list of users cannot be read; ask the administrator to check the floor&apos;s users file.</translation>
    </message>
    <message>
        <source>wrong user name or password</source>
        <translation>Wrong user name or password.</translation>
    </message>
    <message>
        <source>%1=%2: %3</source>
        <translation>%1=%2: %3</translation>
    </message>
    <message>
        <source>given twice</source>
        <translation>given twice; give each filter once</translation>
    </message>
    <message>
        <source>no such outcome, as done or refused</source>
        <translation>no such outcome; use one such as done or refused</translation>
    </message>
    <message>
        <source>not a time with its zone, as 2026-12-01T06:00:00Z</source>
        <translation>not a time with its time zone; write it as 2026-12-01T06:00:00Z</translation>
    </message>
    <message>
        <source>not 1 to %1</source>
        <translation>not a number from 1 to %1</translation>
    </message>
    <message>
        <source>not a filter: they are machine, outcome, since, limit</source>
        <translation>not a filter; the filters are machine, outcome, since and limit</translation>
    </message>
</context>
<context>
    <name>FloorPage</name>
    <message>
        <source>sending</source>
        <translation>sending</translation>
    </message>
    <message>
        <source>receiving</source>
        <translation>receiving</translation>
    </message>
    <message>
        <source>listening</source>
        <translation>waiting for the controller</translation>
    </message>
    <message>
        <source>lost</source>
        <translation>port lost</translation>
    </message>
    <message>
        <source>stopped</source>
        <translation>stopped</translation>
    </message>
    <message>
        <source>%1 %2–%3</source>
        <translation>%1 %2–%3</translation>
    </message>
    <message>
        <source>%1 %2: %3</source>
        <translation>%1 %2: %3</translation>
    </message>
    <message>
        <source>viewer</source>
        <translation>viewer</translation>
    </message>
    <message>
        <source>operator</source>
        <translation>operator</translation>
    </message>
    <message>
        <source>admin</source>
        <translation>admin</translation>
    </message>
    <message>
        <source>since %1</source>
        <translation>since %1</translation>
    </message>
    <message>
        <source>%1 · TapLink floor</source>
        <translation>%1 · TapLink floor</translation>
    </message>
    <message>
        <source>TapLink floor</source>
        <translation>TapLink floor</translation>
    </message>
    <message>
        <source>Floor</source>
        <translation>Floor</translation>
    </message>
    <message>
        <source>History</source>
        <translation>History</translation>
    </message>
    <message>
        <source>Log out</source>
        <translation>Log out</translation>
    </message>
    <message>
        <source>no transfer yet</source>
        <translation>no transfer yet</translation>
    </message>
    <message>
        <source>the last 24 hours</source>
        <translation>the last 24 hours</translation>
    </message>
    <message>
        <source>24 h ago</source>
        <translation>24 h ago</translation>
    </message>
    <message>
        <source>now</source>
        <translation>now</translation>
    </message>
    <message>
        <source>Started</source>
        <translation>Started</translation>
    </message>
    <message>
        <source>Machine</source>
        <translation>Machine</translation>
    </message>
    <message>
        <source>Direction</source>
        <translation>Direction</translation>
    </message>
    <message>
        <source>Document</source>
        <translation>Document</translation>
    </message>
    <message>
        <source>Outcome</source>
        <translation>Outcome</translation>
    </message>
    <message>
        <source>Bytes</source>
        <translation>Bytes</translation>
    </message>
    <message>
        <source>no transfers</source>
        <translation>no transfers</translation>
    </message>
    <message>
        <source>Library</source>
        <translation>Library</translation>
    </message>
    <message>
        <source>At the controller, output program %1 with %2 and the wanted number in its first block (%1, then N0000 %2%3 asks for %3).</source>
        <translation>To ask for a program, output program %1 on the controller with %2 and the wanted number in its first block: %1, then N0000 %2%3 asks for program %3.</translation>
    </message>
    <message>
        <source>and %1 more</source>
        <translation>and %1 more</translation>
    </message>
    <message>
        <source>the library is empty</source>
        <translation>the library is empty</translation>
    </message>
    <message>
        <source>not here</source>
        <translation>not here</translation>
    </message>
    <message>
        <source>Refused</source>
        <translation>Refused</translation>
    </message>
    <message>
        <source>log out with the button</source>
        <translation>To log out, press the Log out button at the top of the page.</translation>
    </message>
    <message>
        <source>the form is not this session&apos;s: reload the page</source>
        <translation>The form is from an earlier session. Reload the page and try again.</translation>
    </message>
    <message>
        <source>no machine of this floor&apos;s config is called %1</source>
        <translation>No machine in this floor&apos;s config is called %1. Check the name, or choose the machine on the Floor page.</translation>
    </message>
    <message>
        <source>%1 is not here</source>
        <translation>There is no page %1. Go back to the Floor page.</translation>
    </message>
    <message>
        <source>send the login form as the page does</source>
        <translation>Log in with the form on this page.</translation>
    </message>
    <message>
        <source>a login comes from this site&apos;s own form</source>
        <translation>This login came from another site. Open this floor&apos;s own login page and log in there.</translation>
    </message>
    <message>
        <source>the login form takes GET and POST</source>
        <translation>The login page takes only GET and POST requests.</translation>
    </message>
    <message>
        <source>Log in</source>
        <translation>Log in</translation>
    </message>
    <message>
        <source>User</source>
        <translation>User</translation>
    </message>
    <message>
        <source>Password</source>
        <translation>Password</translation>
    </message>
    <message>
        <source>the journal cannot be read: %1</source>
        <translation>The journal cannot be read: %1. The page shows it again once it can be read.</translation>
    </message>
    <message>
        <source>No machine yet.</source>
        <translation>No machine yet.</translation>
    </message>
    <message>
        <source>No machine</source>
        <translation>No machine</translation>
    </message>
    <message>
        <source>no machine of this floor is called %1</source>
        <translation>No machine of this floor is called %1. Check the name, or choose the machine on the Floor page.</translation>
    </message>
    <message>
        <source>Last transfers</source>
        <translation>Last transfers</translation>
    </message>
    <message>
        <source>Its outbox and inbox are another station&apos;s.</source>
        <translation>Its outbox and inbox are another station&apos;s.</translation>
    </message>
    <message>
        <source>Put a document into the outbox</source>
        <translation>Put a document into the outbox</translation>
    </message>
    <message>
        <source>Upload</source>
        <translation>Upload</translation>
    </message>
    <message>
        <source>Outbox</source>
        <translation>Outbox</translation>
    </message>
    <message>
        <source>%1 bytes</source>
        <translation>%1 bytes</translation>
    </message>
    <message>
        <source>nothing waiting</source>
        <translation>nothing waiting</translation>
    </message>
    <message>
        <source>All of %1&apos;s transfers</source>
        <translation>All of %1&apos;s transfers</translation>
    </message>
    <message>
        <source>Inbox</source>
        <translation>Inbox</translation>
    </message>
    <message>
        <source>nothing received</source>
        <translation>nothing received</translation>
    </message>
    <message>
        <source>Back to %1</source>
        <translation>Back to %1</translation>
    </message>
    <message>
        <source>an upload takes an operator&apos;s role: %1 is a %2</source>
        <translation>Uploading takes an operator&apos;s role, and %1 is a %2. Ask an admin to give %1 the operator role.</translation>
    </message>
    <message>
        <source>choose a document to upload first</source>
        <translation>Choose a document first, then press Upload.</translation>
    </message>
    <message>
        <source>%1 waits in %2&apos;s outbox</source>
        <translation>%1 waits in %2&apos;s outbox. It is sent when the controller asks for it.</translation>
    </message>
    <message>
        <source>%1 is no outcome</source>
        <translation>%1 is not an outcome. Choose one from the list.</translation>
    </message>
    <message>
        <source>%1 is not a date and time, as 2026-12-01T06:00</source>
        <translation>%1 is not a date and time. Write it as 2026-12-01T06:00.</translation>
    </message>
    <message>
        <source>%1 is no transfer&apos;s number</source>
        <translation>%1 is not a transfer&apos;s number. Use the Older link to page back.</translation>
    </message>
    <message>
        <source>any</source>
        <translation>any</translation>
    </message>
    <message>
        <source>From</source>
        <translation>From</translation>
    </message>
    <message>
        <source>To</source>
        <translation>To</translation>
    </message>
    <message>
        <source>Show</source>
        <translation>Show</translation>
    </message>
    <message>
        <source>Older</source>
        <translation>Older</translation>
    </message>
    <message>
        <source>No transfer</source>
        <translation>No transfer</translation>
    </message>
    <message>
        <source>there is no transfer %1</source>
        <translation>There is no transfer %1. Find it on the History page.</translation>
    </message>
    <message>
        <source>Transfer %1</source>
        <translation>Transfer %1</translation>
    </message>
    <message>
        <source>Message</source>
        <translation>Message</translation>
    </message>
    <message>
        <source>Ended</source>
        <translation>Ended</translation>
    </message>
    <message>
        <source>SHA-256</source>
        <translation>SHA-256</translation>
    </message>
    <message>
        <source>Port, model</source>
        <translation>Port, model</translation>
    </message>
    <message>
        <source>Host</source>
        <translation>Host</translation>
    </message>
    <message>
        <source>This transfer keeps no document.</source>
        <translation>This transfer keeps no document.</translation>
    </message>
    <message>
        <source>Download</source>
        <translation>Download</translation>
    </message>
    <message>
        <source>Difference</source>
        <translation>Difference</translation>
    </message>
    <message>
        <source>this transfer&apos;s port</source>
        <translation>this transfer&apos;s port</translation>
    </message>
    <message>
        <source>No earlier document was received from %1.</source>
        <translation>No earlier document was received from %1.</translation>
    </message>
    <message>
        <source>No earlier document was (%1) with %2.</source>
        <translation>No earlier document was (%1) with %2.</translation>
    </message>
    <message>
        <source>From %1 (%2, %3) to this one.</source>
        <translation>From %1 (%2, %3) to this one.</translation>
    </message>
    <message>
        <source>transfer %1</source>
        <translation>transfer %1</translation>
    </message>
</context>
<context>
    <name>Journal</name>
    <message>
        <source>started</source>
        <translation>started</translation>
    </message>
    <message>
        <source>done</source>
        <translation>done</translation>
    </message>
    <message>
        <source>refused</source>
        <translation>refused</translation>
    </message>
    <message>
        <source>not ready</source>
        <translation>not ready</translation>
    </message>
    <message>
        <source>no response</source>
        <translation>no response</translation>
    </message>
    <message>
        <source>port failure</source>
        <translation>port failure</translation>
    </message>
    <message>
        <source>wrong data</source>
        <translation>wrong data</translation>
    </message>
    <message>
        <source>verified identical</source>
        <translation>verified identical</translation>
    </message>
    <message>
        <source>verified different</source>
        <translation>verified different</translation>
    </message>
    <message>
        <source>interrupted</source>
        <translation>interrupted</translation>
    </message>
    <message>
        <source>stopped by the operator</source>
        <translation>stopped by the operator</translation>
    </message>
    <message>
        <source>not filed</source>
        <translation>not filed</translation>
    </message>
    <message>
        <source>ended, result not recorded</source>
        <translation>ended, result not recorded</translation>
    </message>
    <message>
        <source>send</source>
        <translation>send</translation>
    </message>
    <message>
        <source>receive</source>
        <translation>receive</translation>
    </message>
    <message>
        <source>verify</source>
        <translation>verify</translation>
    </message>
    <message>
        <source>upload</source>
        <translation>upload</translation>
    </message>
    <message>
        <source>remove</source>
        <translation>remove</translation>
    </message>
    <message>
        <source>login</source>
        <translation>login</translation>
    </message>
    <message>
        <source>Started</source>
        <translation>Started</translation>
    </message>
    <message>
        <source>Duration</source>
        <translation>Duration</translation>
    </message>
    <message>
        <source>Port</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>Model</source>
        <translation>Model</translation>
    </message>
    <message>
        <source>Direction</source>
        <translation>Direction</translation>
    </message>
    <message>
        <source>Outcome</source>
        <translation>Outcome</translation>
    </message>
    <message>
        <source>Bytes</source>
        <translation>Bytes</translation>
    </message>
    <message>
        <source>Document</source>
        <translation>Document</translation>
    </message>
    <message>
        <source>Message</source>
        <translation>Message</translation>
    </message>
    <message>
        <source>Machine</source>
        <translation>Machine</translation>
    </message>
    <message>
        <source>State</source>
        <translation>State</translation>
    </message>
    <message>
        <source>Since</source>
        <translation>Since</translation>
    </message>
    <message>
        <source>Updated</source>
        <translation>Updated</translation>
    </message>
    <message>
        <source>Station</source>
        <translation>Station</translation>
    </message>
    <message>
        <source>station not running</source>
        <translation>station not running</translation>
    </message>
    <message>
        <source>station not running, last seen %1</source>
        <translation>station not running, last seen %1</translation>
    </message>
</context>
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
        <translation>There is nothing to send: the document is empty. Open or type the program first.</translation>
    </message>
    <message>
        <source>CNC Procedure must add the procedure number beginning that two figures are composed of from the number &apos;%&apos;，Examine that if procedure satisfy a request after transferring please!</source>
        <translation>The program must begin with its program number: % and two digits (such as %01), alone on the first line. Correct the first line, then send it again.</translation>
    </message>
    <message>
        <source>The procedure is too long for one frame: at most 65533 characters can be sent after blank lines and surplus spaces are removed!</source>
        <translation>The program is too long to send in one piece: at most 65533 characters can be sent once blank lines and extra spaces are taken out. Split it into smaller programs and send them one by one.</translation>
    </message>
    <message>
        <source>The instruction document of R80 must use &apos;%&apos; with the document number that 3 significant digits are composed of begins!</source>
        <translation>An R80 document must begin with % and a three-digit document number (such as %001, or %999 for a PLC document). Correct the first line, then send it again.</translation>
    </message>
    <message>
        <source>The procedure number goes beyond the bounds!</source>
        <translation>The program number is out of range: an R80 program number is 000 to 254 (999 for a PLC document). Change the number on the first line, then send it again.</translation>
    </message>
    <message>
        <source>The document exceeds the memory of CNC upper limit!</source>
        <translation>The document is larger than the controller&apos;s memory (at most 32767 bytes as sent). Shorten or split it, then send again.</translation>
    </message>
    <message>
        <source>The document number must change a line at the back!</source>
        <translation>The document number must be alone on the first line. Put a line break right after it, then send it again.</translation>
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
    <message>
        <source>G指令文件(*.txt)</source>
        <translation>Part programs (*.txt)</translation>
    </message>
    <message>
        <source>所有文件(*)</source>
        <translation>All files (*)</translation>
    </message>
    <message>
        <source>PLC文件(*.ldx)</source>
        <translation>PLC ladder documents (*.ldx)</translation>
    </message>
    <message>
        <source>新PLC文件(*.ld2)</source>
        <translation>New-format PLC documents (*.ld2)</translation>
    </message>
    <message>
        <source>二进制文件(*.hex)</source>
        <translation>Memory images (*.hex)</translation>
    </message>
    <message>
        <source>二进制文件(*.tmp)</source>
        <translation>Memory images (*.tmp)</translation>
    </message>
    <message>
        <source>Text File(*.txt)</source>
        <translation>Part programs (*.txt)</translation>
    </message>
    <message>
        <source>The controller&apos;s copy differs from what was sent, first at offset %1 (%2), in %3 byte(s):
sent:       %4
controller: %5.</source>
        <translation>The controller&apos;s copy differs from what was sent: %3 byte(s) differ, the first at offset %1 (%2):
sent:       %4
controller: %5
Send the memory image again.</translation>
    </message>
    <message>
        <source>The controller&apos;s copy differs from what was sent, first at offset %1 (%2), in %3 byte(s):
sent:       %4
controller: %5
The controller holds %6 byte(s), %7 were sent.</source>
        <translation>The controller&apos;s copy differs from what was sent: %3 byte(s) differ, the first at offset %1 (%2):
sent:       %4
controller: %5
The controller holds %6 byte(s); %7 byte(s) were sent. Send the memory image again.</translation>
    </message>
    <message>
        <source>The controller&apos;s copy differs from what was sent: the controller holds %1 byte(s), %2 were sent.</source>
        <translation>The controller&apos;s copy differs from what was sent: the controller holds %1 byte(s), but %2 byte(s) were sent. Send the memory image again.</translation>
    </message>
    <message>
        <source>The verify ended without a result.</source>
        <translation>The verify stopped before it had a result. Start the verify again.</translation>
    </message>
    <message>
        <source>The transfer ended without a result.</source>
        <translation>The transfer stopped before it had a result. Start it again.</translation>
    </message>
    <message>
        <source>uploaded by %1</source>
        <translation>Uploaded by %1</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>removed by %1</source>
        <translation>Removed from the outbox by %1.</translation>
    </message>
    <message>
        <source>(a bad name)</source>
        <translation>(a name that is not allowed)</translation>
    </message>
    <message>
        <source>%1 from %2: too many wrong passwords</source>
        <translation>Login of %1 from %2 refused: too many wrong passwords. Wait, then try again.</translation>
    </message>
    <message>
        <source>%1 from %2: wrong name or password</source>
        <translation>Login of %1 from %2 refused: wrong user name or password.</translation>
    </message>
    <message>
        <source>%1 (%2) from %3: logged in</source>
        <translation>%1 (%2) logged in from %3.</translation>
    </message>
    <message>
        <source>The program ended during the transfer (found at the next start).</source>
        <translation>The program ended while the transfer was running (found when a program opened the journal again). Check the document on the controller and transfer it again if needed.</translation>
    </message>
    <message>
        <source>Recorded late: the journal could not be written when the transfer ended.</source>
        <translation>Recorded late: the journal could not be written when the transfer ended.</translation>
    </message>
    <message>
        <source>The program ended the transfer but could not record its result (found at the next start).</source>
        <translation>The program ended the transfer but could not record how it ended (found when a program opened the journal again). Check the document on the controller.</translation>
    </message>
    <message>
        <source>Filed later, as %1.</source>
        <translation>Filed later, as %1.</translation>
    </message>
    <message>
        <source>The document could not be written to %1: %2. The journal keeps it; the station files it once the inbox takes it.</source>
        <translation>The document could not be written to %1: %2. The journal keeps it, and the station files it as soon as the inbox can take it.</translation>
    </message>
    <message>
        <source>The document could not be written to %1: %2</source>
        <translation>The document could not be written to %1: %2. Check that the folder exists and can be written.</translation>
    </message>
    <message>
        <source>The station was stopped during the transfer.</source>
        <translation>The station was stopped while the transfer was running. Transfer the document again.</translation>
    </message>
    <message>
        <source>request for %1</source>
        <translation>Request for program %1</translation>
    </message>
    <message>
        <source>request</source>
        <translation>Request</translation>
    </message>
    <message>
        <source>%1 not answered: %2</source>
        <translation>%1 not answered: %2</translation>
    </message>
    <message>
        <source>%1: waiting for the controller to take %2 (from %3)</source>
        <translation>%1: %2 (from %3) waits for the controller to take it.</translation>
    </message>
    <message>
        <source>%1; it replaces the copy of %2 that waited</source>
        <translation>%1 It replaces the copy of %2 that was waiting.</translation>
    </message>
    <message>
        <source>The transfer was stopped by the operator.</source>
        <translation>The operator stopped the transfer.</translation>
    </message>
    <message>
        <source>Lost the connection to port %1.
Error: %2</source>
        <translation>The connection to port %1 was lost: the device was unplugged, switched off or closed.
Reason: %2
Check the cable and the device, then start the transfer again.</translation>
    </message>
    <message>
        <source>Taking-over is finished!</source>
        <comment>no editor</comment>
        <translation>Received: everything the controller sent has arrived.</translation>
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
    <message>
        <source>the %1 byte(s) received could not be kept: %2</source>
        <translation>the %1 byte(s) received could not be kept: %2</translation>
    </message>
    <message>
        <source>the %1 byte(s) received are kept in %2</source>
        <translation>the %1 byte(s) received are kept in %2</translation>
    </message>
    <message>
        <source>the document is incomplete</source>
        <translation>the document is incomplete: the controller stopped before its end</translation>
    </message>
    <message>
        <source>the trace %1 would be written over %2, which this command reads or writes: choose another file for the trace</source>
        <translation>the trace %1 would be written over %2, which this command reads or writes: choose another file for the trace</translation>
    </message>
    <message>
        <source>no journal: %1</source>
        <translation>no journal: %1 (the transfer goes on unrecorded)</translation>
    </message>
    <message>
        <source>cannot write the trace %1: %2</source>
        <translation>cannot write the trace %1: %2</translation>
    </message>
    <message>
        <source>blocks</source>
        <translation>blocks</translation>
    </message>
    <message>
        <source>bytes</source>
        <translation>bytes</translation>
    </message>
    <message>
        <source> (default: %1)</source>
        <translation> (default: %1)</translation>
    </message>
    <message>
        <source>r40 (R40/R60), r80 or memory.</source>
        <translation>r40 (R40/R60), r80 or memory.</translation>
    </message>
    <message>
        <source>A serial device (/dev/ttyUSB0), a pseudo-terminal, or a serial device server: tcp://HOST:PORT (raw TCP, settings made on the server) or rfc2217://HOST:PORT (settings sent to the server).</source>
        <translation>A serial device (/dev/ttyUSB0), a pseudo-terminal, or a serial device server: tcp://HOST:PORT (raw TCP, settings made on the server) or rfc2217://HOST:PORT (settings sent to the server).</translation>
    </message>
    <message>
        <source>Bit rate, parity, data bits, stop bits.</source>
        <translation>Bit rate, parity, data bits, stop bits.</translation>
    </message>
    <message>
        <source>none, xonxoff, rtscts or both.</source>
        <translation>none, xonxoff, rtscts or both.</translation>
    </message>
    <message>
        <source>Send protocol byte, hexadecimal.</source>
        <translation>Send protocol byte, hexadecimal.</translation>
    </message>
    <message>
        <source>Receive protocol byte, hexadecimal.</source>
        <translation>Receive protocol byte, hexadecimal.</translation>
    </message>
    <message>
        <source>Pace of R40/R60 and Memory frames: 1 (fastest) to 500; the delay between bytes is SPEED + 1 ms.</source>
        <translation>Pace of R40/R60 and Memory frames: 1 (fastest) to 500; the delay between bytes is SPEED + 1 ms.</translation>
    </message>
    <message>
        <source>Where the transfer is recorded: a SQLite file, postgresql://USER@HOST/DB, or none (default: the journal in the user&apos;s data folder).</source>
        <translation>Where the transfer is recorded: a SQLite file, postgresql://USER@HOST/DB, or none (default: the journal in the user&apos;s data folder).</translation>
    </message>
    <message>
        <source>unknown model %1 (r40, r80 or memory)</source>
        <translation>unknown model %1: use r40, r80 or memory</translation>
    </message>
    <message>
        <source>--port is required</source>
        <translation>--port is required: name the serial device, such as --port /dev/ttyUSB0</translation>
    </message>
    <message>
        <source>--settings %1: %2</source>
        <translation>--settings %1: %2</translation>
    </message>
    <message>
        <source>unknown handshake %1</source>
        <translation>unknown handshake %1: use none, xonxoff, rtscts or both</translation>
    </message>
    <message>
        <source>protocol bytes are two hexadecimal digits</source>
        <translation>protocol bytes are two hexadecimal digits, such as 11</translation>
    </message>
    <message>
        <source>--speed takes 1 to 500</source>
        <translation>--speed takes 1 to 500</translation>
    </message>
    <message>
        <source>Sends FILE to the controller: a part program or PLC text (.txt), a ladder document (.ldx) or new-format ladder document (.ld2, through its .txt companion) for r80, a memory image (.hex, .tmp) for memory. Start the controller&apos;s input after this.</source>
        <translation>Sends FILE to the controller: a part program or PLC text (.txt), a ladder document (.ldx) or new-format ladder document (.ld2, through its .txt companion) for r80, a memory image (.hex, .tmp) for memory. Start the controller&apos;s input after this.</translation>
    </message>
    <message>
        <source>The document to send.</source>
        <translation>The document to send.</translation>
    </message>
    <message>
        <source>send takes one FILE (see --help)</source>
        <translation>send takes one FILE (see --help)</translation>
    </message>
    <message>
        <source>Reads the controller&apos;s copy back and compares it with FILE as the controller stores it (a PLC text without the step fields a receive adds): says whether they are identical, or where they first differ, and prints the differing lines side by side. Start the controller&apos;s output after this. Exit code 0: identical, 7: different.</source>
        <translation>Reads the controller&apos;s copy back and compares it with FILE as the controller stores it (a PLC text without the step fields a receive adds): says whether they are identical, or where they first differ, and prints the differing lines side by side. Start the controller&apos;s output after this. Exit code 0: identical, 7: different.</translation>
    </message>
    <message>
        <source>The document that was sent.</source>
        <translation>The document that was sent.</translation>
    </message>
    <message>
        <source>verify takes one FILE (see --help)</source>
        <translation>verify takes one FILE (see --help)</translation>
    </message>
    <message>
        <source>Asks the controller for a document and writes it to FILE (or standard output): the text as received, or the raw bytes of a memory image. Start the controller&apos;s output after this.</source>
        <translation>Asks the controller for a document and writes it to FILE (or standard output): the text as received, or the raw bytes of a memory image. Start the controller&apos;s output after this.</translation>
    </message>
    <message>
        <source>Where the document goes (&apos;-&apos; or nothing: standard output).</source>
        <translation>Where the document goes (&apos;-&apos; or nothing: standard output).</translation>
    </message>
    <message>
        <source>convert DOC.ldx [-o OUT.txt]: the ladder document&apos;s instructions as a PLC text document.
convert TEXT.txt --into DOC.ldx: writes the PLC text document into the ladder document, converted to the ladder software&apos;s layout; DOC_bak.ldx keeps the old one.</source>
        <translation>convert DOC.ldx [-o OUT.txt]: the ladder document&apos;s instructions as a PLC text document.
convert TEXT.txt --into DOC.ldx: writes the PLC text document into the ladder document, converted to the ladder software&apos;s layout; DOC_bak.ldx keeps the old one.</translation>
    </message>
    <message>
        <source>The ladder document, or the PLC text document.</source>
        <translation>The ladder document, or the PLC text document.</translation>
    </message>
    <message>
        <source>Where the PLC text goes (default: standard output).</source>
        <translation>Where the PLC text goes (default: standard output).</translation>
    </message>
    <message>
        <source>The ladder document to write the PLC text into.</source>
        <translation>The ladder document to write the PLC text into.</translation>
    </message>
    <message>
        <source>convert takes one FILE (see --help)</source>
        <translation>convert takes one FILE (see --help)</translation>
    </message>
    <message>
        <source>%1 is both what is converted and where it goes: choose another file</source>
        <translation>%1 is both what is converted and where it goes: choose another file</translation>
    </message>
    <message>
        <source>%1 is the backup of %2, which the save writes anew: copy it to another name first</source>
        <translation>%1 is the backup of %2, which the save writes anew: copy it to another name first</translation>
    </message>
    <message>
        <source>Prints a memory image (.hex, .tmp) as TapLink shows it.</source>
        <translation>Prints a memory image (.hex, .tmp) as TapLink shows it.</translation>
    </message>
    <message>
        <source>The memory image.</source>
        <translation>The memory image.</translation>
    </message>
    <message>
        <source>hexdump takes one IMAGE (see --help)</source>
        <translation>hexdump takes one IMAGE (see --help)</translation>
    </message>
    <message>
        <source>Usage: taplink-cli COMMAND [options]
  send FILE --port DEVICE [--model r40|r80|memory] [line options]
  receive --port DEVICE [--model ...] [-o FILE] [line options]
  verify FILE --port DEVICE [--model ...] [line options]
  journal [--since DATE] [--port P] [--machine NAME] [--json] [--machines]
  journal --get ID -o FILE          journal --prune [--keep-days N]
  convert DOC.ldx [-o OUT.txt]      convert TEXT.txt --into DOC.ldx
  hexdump IMAGE
--language original|en|zh_CN|system, with any command, chooses the language of the texts.
taplink-cli COMMAND --help tells more; taplink-cli --version says the version.
Exit codes: 0 done, 1 usage or file error, 2 document refused, 3 controller not ready,
4 no response or the line stopped taking data, 5 port failure, 6 wrong data from the
controller, 7 the controller&apos;s copy differs (verify), 8 the journal cannot be opened or
read, or keeps no such document (journal).
</source>
        <translation>Usage: taplink-cli COMMAND [options]
  send FILE --port DEVICE [--model r40|r80|memory] [line options]
  receive --port DEVICE [--model ...] [-o FILE] [line options]
  verify FILE --port DEVICE [--model ...] [line options]
  journal [--since DATE] [--port P] [--machine NAME] [--json] [--machines]
  journal --get ID -o FILE          journal --prune [--keep-days N]
  convert DOC.ldx [-o OUT.txt]      convert TEXT.txt --into DOC.ldx
  hexdump IMAGE
--language original|en|zh_CN|system, with any command, chooses the language of the texts.
taplink-cli COMMAND --help tells more; taplink-cli --version says the version.
Exit codes: 0 done, 1 usage or file error, 2 document refused, 3 controller not ready,
4 no response or the line stopped taking data, 5 port failure, 6 wrong data from the
controller, 7 the controller&apos;s copy differs (verify), 8 the journal cannot be opened or
read, or keeps no such document (journal).
</translation>
    </message>
    <message>
        <source>Serves the station&apos;s machines and journal on a web page and a JSON API, as the
[floor] section of the station&apos;s config says.</source>
        <translation>Serves the station&apos;s machines and journal on a web page and a JSON API, as the
[floor] section of the station&apos;s config says.</translation>
    </message>
    <message>
        <source>The station&apos;s config.</source>
        <translation>The station&apos;s config.</translation>
    </message>
    <message>
        <source>Adds a user (or gives one a new role and password), the password read from standard input.</source>
        <translation>Adds a user (or gives one a new role and password), the password read from standard input.</translation>
    </message>
    <message>
        <source>viewer, operator or admin.</source>
        <translation>viewer, operator or admin.</translation>
    </message>
    <message>
        <source>Serves every machine of the config from this PC: sends what each machine&apos;s outbox holds when its controller asks, and keeps what each controller outputs in its inbox. SIGHUP reads the config again.</source>
        <translation>Serves every machine of the config from this PC: sends what each machine&apos;s outbox holds when its controller asks, and keeps what each controller outputs in its inbox. SIGHUP reads the config again.</translation>
    </message>
    <message>
        <source>The station&apos;s config (Qt INI: a section per machine).</source>
        <translation>The station&apos;s config (Qt INI: a section per machine).</translation>
    </message>
    <message>
        <source>Check the config, create its folders, and exit.</source>
        <translation>Check the config, create its folders, and exit.</translation>
    </message>
    <message>
        <source>Where transfers and machine states are recorded, instead of the config&apos;s journal: a SQLite file, postgresql://USER@HOST/DB, or none.</source>
        <translation>Where transfers and machine states are recorded, instead of the config&apos;s journal: a SQLite file, postgresql://USER@HOST/DB, or none.</translation>
    </message>
    <message>
        <source>--config FILE is required</source>
        <translation>--config FILE is required: name the station&apos;s config</translation>
    </message>
    <message>
        <source>%1: %2 machine(s)</source>
        <translation>%1: %2 machine(s)</translation>
    </message>
    <message>
        <source>%1 is served by another taplink-station already</source>
        <translation>%1 is served by another taplink-station already: stop that one first</translation>
    </message>
    <message>
        <source>cannot watch for signals</source>
        <translation>cannot watch for signals</translation>
    </message>
    <message>
        <source>%1 transfer end(s) that could not be recorded when they ended written now</source>
        <translation>%1 transfer end(s) that could not be recorded when they ended written now</translation>
    </message>
    <message>
        <source>%1 transfer(s) left by a stopped station marked interrupted</source>
        <translation>%1 transfer(s) left by a stopped station marked interrupted</translation>
    </message>
    <message>
        <source>%1 transfer(s) ended more than %2 day(s) ago removed from the journal</source>
        <translation>%1 transfer(s) ended more than %2 day(s) ago removed from the journal</translation>
    </message>
    <message>
        <source>the config was not reloaded, the running one is kept: %1</source>
        <translation>the config was not reloaded, the running one is kept: %1</translation>
    </message>
    <message>
        <source>the config was not reloaded, the running one is kept: %1 is served by another taplink-station</source>
        <translation>the config was not reloaded, the running one is kept: %1 is served by another taplink-station</translation>
    </message>
    <message>
        <source>the journal changes only when the station starts again: transfers are still recorded in %1</source>
        <translation>the journal changes only when the station starts again: transfers are still recorded in %1</translation>
    </message>
    <message>
        <source>no journal</source>
        <translation>no journal</translation>
    </message>
    <message>
        <source>stopping</source>
        <translation>stopping</translation>
    </message>
    <message>
        <source>stopped</source>
        <translation>stopped</translation>
    </message>
    <message>
        <source>%1 failed: %2</source>
        <translation>%1 failed: %2</translation>
    </message>
    <message>
        <source>unknown command %1</source>
        <translation>unknown command %1</translation>
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
    <name>taplink::Machine</name>
    <message>
        <source>%1 was sent before the station stopped; it is moved, not sent again</source>
        <translation>%1 was sent before the station stopped; it is moved, not sent again</translation>
    </message>
    <message>
        <source>%1 sent; it stays in the outbox until the journal has recorded that</source>
        <translation>%1 sent; it stays in the outbox until the journal has recorded that</translation>
    </message>
    <message>
        <source>%1 refused; it stays in the outbox until the journal has recorded that</source>
        <translation>%1 refused; it stays in the outbox until the journal has recorded that</translation>
    </message>
    <message>
        <source>%1 was taken out of the outbox before it could be moved</source>
        <translation>%1 was taken out of the outbox before it could be moved</translation>
    </message>
    <message>
        <source>%1 sent, now %2</source>
        <translation>%1 sent, now %2</translation>
    </message>
    <message>
        <source>%1 refused, now %2%3</source>
        <translation>%1 refused, now %2%3 (the .why beside it says why)</translation>
    </message>
    <message>
        <source> (its .why could not be written: %1)</source>
        <translation> (its .why could not be written: %1)</translation>
    </message>
    <message>
        <source>the %1 byte(s) received could not be kept: %2; the journal keeps them until the inbox takes them</source>
        <translation>the %1 byte(s) received could not be kept: %2; the journal keeps them until the inbox takes them</translation>
    </message>
    <message>
        <source>the %1 byte(s) received could not be kept: %2</source>
        <translation>the %1 byte(s) received could not be kept: %2</translation>
    </message>
    <message>
        <source>received %1 byte(s), now %2</source>
        <translation>received %1 byte(s), now %2</translation>
    </message>
    <message>
        <source>journal unavailable %1; nothing starts until it can be written</source>
        <translation>journal unavailable %1; nothing starts until it can be written</translation>
    </message>
    <message>
        <source>the document of transfer %1 cannot be filed: %2</source>
        <translation>the document of transfer %1 cannot be filed: %2</translation>
    </message>
    <message>
        <source>the %1 byte(s) received in transfer %2 are filed from the journal, now %3</source>
        <translation>the %1 byte(s) received in transfer %2 are filed from the journal, now %3</translation>
    </message>
    <message>
        <source>port lost, next try in %1 s: %2</source>
        <translation>port lost, next try in %1 s: %2</translation>
    </message>
    <message>
        <source>resumed</source>
        <translation>resumed</translation>
    </message>
    <message>
        <source>the machine&apos;s state could not be written to the journal: %1</source>
        <translation>the machine&apos;s state could not be written to the journal: %1</translation>
    </message>
    <message>
        <source>stopped during the transfer</source>
        <translation>stopped during the transfer</translation>
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
