<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>Floor</name>
    <message>
        <source>%1 takes only %2</source>
        <translation>%1 只接受 %2 请求。</translation>
    </message>
    <message>
        <source>the body is over 68 KiB</source>
        <translation>请求内容超过 68 KiB，请减少发送的内容。</translation>
    </message>
    <message>
        <source>log in first</source>
        <translation>请先登录。</translation>
    </message>
    <message>
        <source>the X-CSRF-Token header is missing or not this session&apos;s</source>
        <translation>缺少 X-CSRF-Token 请求头，或它不属于本会话：请发送登录时返回的令牌。</translation>
    </message>
    <message>
        <source>%1 is not here</source>
        <translation>此处没有 %1。</translation>
    </message>
    <message>
        <source>send the login as JSON</source>
        <translation>请以 JSON 格式发送登录信息（Content-Type: application/json）。</translation>
    </message>
    <message>
        <source>a login is {&quot;user&quot;: NAME, &quot;password&quot;: PASSWORD}</source>
        <translation>登录信息的格式为 {&quot;user&quot;: NAME, &quot;password&quot;: PASSWORD}。</translation>
    </message>
    <message>
        <source>too many wrong passwords: try again in %1 s</source>
        <translation>密码错误次数过多：请在 %1 秒后重试。</translation>
    </message>
    <message>
        <source>the users cannot be read</source>
        <translation>无法读取用户列表，请管理员检查用户文件。</translation>
    </message>
    <message>
        <source>wrong user name or password</source>
        <translation>用户名或密码错误。</translation>
    </message>
    <message>
        <source>%1=%2: %3</source>
        <translation>%1=%2：%3</translation>
    </message>
    <message>
        <source>given twice</source>
        <translation>重复给出；每个筛选条件只能给一次</translation>
    </message>
    <message>
        <source>no such outcome, as done or refused</source>
        <translation>没有这种结果；请使用如 done 或 refused 的结果</translation>
    </message>
    <message>
        <source>not a time with its zone, as 2026-12-01T06:00:00Z</source>
        <translation>不是带时区的时间；请写成 2026-12-01T06:00:00Z 的形式</translation>
    </message>
    <message>
        <source>not 1 to %1</source>
        <translation>不是 1 到 %1 之间的数</translation>
    </message>
    <message>
        <source>not a filter: they are machine, outcome, since, limit</source>
        <translation>不是筛选条件；可用的筛选条件为 machine、outcome、since 和 limit</translation>
    </message>
</context>
<context>
    <name>FloorPage</name>
    <message>
        <source>sending</source>
        <translation>发送中</translation>
    </message>
    <message>
        <source>receiving</source>
        <translation>接收中</translation>
    </message>
    <message>
        <source>listening</source>
        <translation>等待控制器</translation>
    </message>
    <message>
        <source>lost</source>
        <translation>端口断开</translation>
    </message>
    <message>
        <source>stopped</source>
        <translation>已停止</translation>
    </message>
    <message>
        <source>%1 %2–%3</source>
        <translation>%1 %2–%3</translation>
    </message>
    <message>
        <source>%1 %2: %3</source>
        <translation>%1 %2：%3</translation>
    </message>
    <message>
        <source>viewer</source>
        <translation>查看者</translation>
    </message>
    <message>
        <source>operator</source>
        <translation>操作员</translation>
    </message>
    <message>
        <source>admin</source>
        <translation>管理员</translation>
    </message>
    <message>
        <source>since %1</source>
        <translation>自 %1 起</translation>
    </message>
    <message>
        <source>%1 · TapLink floor</source>
        <translation>%1 · TapLink 车间</translation>
    </message>
    <message>
        <source>TapLink floor</source>
        <translation>TapLink 车间</translation>
    </message>
    <message>
        <source>Floor</source>
        <translation>车间</translation>
    </message>
    <message>
        <source>History</source>
        <translation>历史记录</translation>
    </message>
    <message>
        <source>Log out</source>
        <translation>退出登录</translation>
    </message>
    <message>
        <source>no transfer yet</source>
        <translation>尚无传输</translation>
    </message>
    <message>
        <source>the last 24 hours</source>
        <translation>最近 24 小时</translation>
    </message>
    <message>
        <source>24 h ago</source>
        <translation>24 小时前</translation>
    </message>
    <message>
        <source>now</source>
        <translation>现在</translation>
    </message>
    <message>
        <source>Started</source>
        <translation>开始时间</translation>
    </message>
    <message>
        <source>Machine</source>
        <translation>机床</translation>
    </message>
    <message>
        <source>Direction</source>
        <translation>方向</translation>
    </message>
    <message>
        <source>Document</source>
        <translation>文件</translation>
    </message>
    <message>
        <source>Outcome</source>
        <translation>结果</translation>
    </message>
    <message>
        <source>Bytes</source>
        <translation>字节数</translation>
    </message>
    <message>
        <source>no transfers</source>
        <translation>没有传输记录</translation>
    </message>
    <message>
        <source>Library</source>
        <translation>程序库</translation>
    </message>
    <message>
        <source>At the controller, output program %1 with %2 and the wanted number in its first block (%1, then N0000 %2%3 asks for %3).</source>
        <translation>要请求程序，请在控制器上输出程序 %1，并在其第一个程序段中写上 %2 和所需的程序号：例如 %1，然后 N0000 %2%3，即请求 %3 号程序。</translation>
    </message>
    <message>
        <source>and %1 more</source>
        <translation>另有 %1 个</translation>
    </message>
    <message>
        <source>the library is empty</source>
        <translation>程序库为空</translation>
    </message>
    <message>
        <source>not here</source>
        <translation>此处没有该文件</translation>
    </message>
    <message>
        <source>Refused</source>
        <translation>请求被拒绝</translation>
    </message>
    <message>
        <source>log out with the button</source>
        <translation>要退出登录，请按页面顶部的“退出登录”按钮。</translation>
    </message>
    <message>
        <source>the form is not this session&apos;s: reload the page</source>
        <translation>该表单来自之前的会话。请重新加载页面后再试。</translation>
    </message>
    <message>
        <source>no machine of this floor&apos;s config is called %1</source>
        <translation>本车间的配置中没有名为 %1 的机床。请检查名称，或在“车间”页面上选择机床。</translation>
    </message>
    <message>
        <source>%1 is not here</source>
        <translation>没有页面 %1。请返回“车间”页面。</translation>
    </message>
    <message>
        <source>send the login form as the page does</source>
        <translation>请使用本页面上的表单登录。</translation>
    </message>
    <message>
        <source>a login comes from this site&apos;s own form</source>
        <translation>此登录请求来自其他网站。请打开本车间自己的登录页面并在那里登录。</translation>
    </message>
    <message>
        <source>the login form takes GET and POST</source>
        <translation>登录页面只接受 GET 和 POST 请求。</translation>
    </message>
    <message>
        <source>Log in</source>
        <translation>登录</translation>
    </message>
    <message>
        <source>User</source>
        <translation>用户名</translation>
    </message>
    <message>
        <source>Password</source>
        <translation>密码</translation>
    </message>
    <message>
        <source>the journal cannot be read: %1</source>
        <translation>无法读取日志：%1。日志恢复可读后，页面会重新显示。</translation>
    </message>
    <message>
        <source>No machine yet.</source>
        <translation>尚无机床。</translation>
    </message>
    <message>
        <source>No machine</source>
        <translation>无此机床</translation>
    </message>
    <message>
        <source>no machine of this floor is called %1</source>
        <translation>本车间没有名为 %1 的机床。请检查名称，或在“车间”页面上选择机床。</translation>
    </message>
    <message>
        <source>Last transfers</source>
        <translation>最近的传输</translation>
    </message>
    <message>
        <source>Its outbox and inbox are another station&apos;s.</source>
        <translation>它的发件箱和收件箱属于另一个工作站。</translation>
    </message>
    <message>
        <source>Put a document into the outbox</source>
        <translation>将文件放入发件箱</translation>
    </message>
    <message>
        <source>Upload</source>
        <translation>上传</translation>
    </message>
    <message>
        <source>Outbox</source>
        <translation>发件箱</translation>
    </message>
    <message>
        <source>%1 bytes</source>
        <translation>%1 字节</translation>
    </message>
    <message>
        <source>nothing waiting</source>
        <translation>没有待发送的文件</translation>
    </message>
    <message>
        <source>All of %1&apos;s transfers</source>
        <translation>%1 的全部传输</translation>
    </message>
    <message>
        <source>Inbox</source>
        <translation>收件箱</translation>
    </message>
    <message>
        <source>nothing received</source>
        <translation>没有已接收的文件</translation>
    </message>
    <message>
        <source>Back to %1</source>
        <translation>返回 %1</translation>
    </message>
    <message>
        <source>an upload takes an operator&apos;s role: %1 is a %2</source>
        <translation>上传需要操作员角色，而 %1 的角色是%2。请让管理员为 %1 分配操作员角色。</translation>
    </message>
    <message>
        <source>choose a document to upload first</source>
        <translation>请先选择文件，然后按“上传”。</translation>
    </message>
    <message>
        <source>%1 waits in %2&apos;s outbox</source>
        <translation>%1 已放入 %2 的发件箱，控制器请求时即会发送。</translation>
    </message>
    <message>
        <source>%1 is no outcome</source>
        <translation>%1 不是一种结果。请从列表中选择。</translation>
    </message>
    <message>
        <source>%1 is not a date and time, as 2026-12-01T06:00</source>
        <translation>%1 不是日期和时间。请写成 2026-12-01T06:00 的形式。</translation>
    </message>
    <message>
        <source>%1 is no transfer&apos;s number</source>
        <translation>%1 不是传输编号。请用“更早”链接向前翻页。</translation>
    </message>
    <message>
        <source>any</source>
        <translation>全部</translation>
    </message>
    <message>
        <source>From</source>
        <translation>从</translation>
    </message>
    <message>
        <source>To</source>
        <translation>到</translation>
    </message>
    <message>
        <source>Show</source>
        <translation>显示</translation>
    </message>
    <message>
        <source>Older</source>
        <translation>更早</translation>
    </message>
    <message>
        <source>No transfer</source>
        <translation>无此传输</translation>
    </message>
    <message>
        <source>there is no transfer %1</source>
        <translation>没有编号为 %1 的传输。请在“历史记录”页面上查找。</translation>
    </message>
    <message>
        <source>Transfer %1</source>
        <translation>传输 %1</translation>
    </message>
    <message>
        <source>Message</source>
        <translation>信息</translation>
    </message>
    <message>
        <source>Ended</source>
        <translation>结束时间</translation>
    </message>
    <message>
        <source>SHA-256</source>
        <translation>SHA-256</translation>
    </message>
    <message>
        <source>Port, model</source>
        <translation>端口、型号</translation>
    </message>
    <message>
        <source>Host</source>
        <translation>主机</translation>
    </message>
    <message>
        <source>This transfer keeps no document.</source>
        <translation>此传输未保存文件。</translation>
    </message>
    <message>
        <source>Download</source>
        <translation>下载</translation>
    </message>
    <message>
        <source>Difference</source>
        <translation>差异</translation>
    </message>
    <message>
        <source>this transfer&apos;s port</source>
        <translation>此传输的端口</translation>
    </message>
    <message>
        <source>No earlier document was received from %1.</source>
        <translation>此前没有从 %1 接收过文件。</translation>
    </message>
    <message>
        <source>No earlier document was (%1) with %2.</source>
        <translation>此前没有与 %2 进行过（%1）的文件。</translation>
    </message>
    <message>
        <source>From %1 (%2, %3) to this one.</source>
        <translation>从 %1（%2，%3）到本次传输的变化。</translation>
    </message>
    <message>
        <source>transfer %1</source>
        <translation>传输 %1</translation>
    </message>
</context>
<context>
    <name>Journal</name>
    <message>
        <source>started</source>
        <translation>进行中</translation>
    </message>
    <message>
        <source>done</source>
        <translation>完成</translation>
    </message>
    <message>
        <source>refused</source>
        <translation>被拒绝</translation>
    </message>
    <message>
        <source>not ready</source>
        <translation>未就绪</translation>
    </message>
    <message>
        <source>no response</source>
        <translation>无应答</translation>
    </message>
    <message>
        <source>port failure</source>
        <translation>端口故障</translation>
    </message>
    <message>
        <source>wrong data</source>
        <translation>数据错误</translation>
    </message>
    <message>
        <source>verified identical</source>
        <translation>校验一致</translation>
    </message>
    <message>
        <source>verified different</source>
        <translation>校验不一致</translation>
    </message>
    <message>
        <source>interrupted</source>
        <translation>中断</translation>
    </message>
    <message>
        <source>stopped by the operator</source>
        <translation>被操作员停止</translation>
    </message>
    <message>
        <source>not filed</source>
        <translation>未归档</translation>
    </message>
    <message>
        <source>ended, result not recorded</source>
        <translation>已结束，结果未记录</translation>
    </message>
    <message>
        <source>send</source>
        <translation>发送</translation>
    </message>
    <message>
        <source>receive</source>
        <translation>接收</translation>
    </message>
    <message>
        <source>verify</source>
        <translation>校验</translation>
    </message>
    <message>
        <source>upload</source>
        <translation>上传</translation>
    </message>
    <message>
        <source>remove</source>
        <translation>删除</translation>
    </message>
    <message>
        <source>login</source>
        <translation>登录</translation>
    </message>
    <message>
        <source>Started</source>
        <translation>开始时间</translation>
    </message>
    <message>
        <source>Duration</source>
        <translation>用时</translation>
    </message>
    <message>
        <source>Port</source>
        <translation>端口</translation>
    </message>
    <message>
        <source>Model</source>
        <translation>型号</translation>
    </message>
    <message>
        <source>Direction</source>
        <translation>方向</translation>
    </message>
    <message>
        <source>Outcome</source>
        <translation>结果</translation>
    </message>
    <message>
        <source>Bytes</source>
        <translation>字节数</translation>
    </message>
    <message>
        <source>Document</source>
        <translation>文件</translation>
    </message>
    <message>
        <source>Message</source>
        <translation>信息</translation>
    </message>
    <message>
        <source>Machine</source>
        <translation>机床</translation>
    </message>
    <message>
        <source>State</source>
        <translation>状态</translation>
    </message>
    <message>
        <source>Since</source>
        <translation>起始时间</translation>
    </message>
    <message>
        <source>Updated</source>
        <translation>更新时间</translation>
    </message>
    <message>
        <source>Station</source>
        <translation>工作站</translation>
    </message>
    <message>
        <source>station not running</source>
        <translation>工作站未运行</translation>
    </message>
    <message>
        <source>station not running, last seen %1</source>
        <translation>工作站未运行，最后一次见于 %1</translation>
    </message>
</context>
<context>
    <name>LinkSettings</name>
    <message>
        <source>Even</source>
        <translation>偶校验</translation>
    </message>
    <message>
        <source>Odd</source>
        <translation>奇校验</translation>
    </message>
    <message>
        <source>Grade</source>
        <translation>标记</translation>
    </message>
    <message>
        <source>Blank</source>
        <translation>空格</translation>
    </message>
    <message>
        <source>Null</source>
        <translation>无</translation>
    </message>
    <message>
        <source>4bit</source>
        <translation>4 位</translation>
    </message>
    <message>
        <source>5bit</source>
        <translation>5 位</translation>
    </message>
    <message>
        <source>6bit</source>
        <translation>6 位</translation>
    </message>
    <message>
        <source>7bit</source>
        <translation>7 位</translation>
    </message>
    <message>
        <source>8bit</source>
        <translation>8 位</translation>
    </message>
    <message>
        <source>1bit</source>
        <translation>1 位</translation>
    </message>
    <message>
        <source>2bit</source>
        <translation>2 位</translation>
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
        <translation>两者</translation>
    </message>
</context>
<context>
    <name>Messages</name>
    <message>
        <source>Notice!</source>
        <translation>注意</translation>
    </message>
    <message>
        <source>Binary system document does not exists , has no way to preserve!</source>
        <translation>没有可保存的内存映像。请先从数控系统接收，或打开一个内存映像文件。</translation>
    </message>
    <message>
        <source>The ladder document holds no instructions: nothing to show.</source>
        <translation>该梯形图文件中没有任何指令，无可显示的内容。请确认所选文件是否正确。</translation>
    </message>
    <message>
        <source>Cannot read the file %1.
Error: %2</source>
        <translation>无法读取文件 %1。
原因：%2
请检查文件名以及是否有读取权限，然后重试。</translation>
    </message>
    <message>
        <source>Cannot write the file %1.
Error: %2</source>
        <translation>无法写入文件 %1。
原因：%2
请换一个文件夹或文件名，或腾出磁盘空间，然后重新保存。</translation>
    </message>
    <message>
        <source>Do not discover the PLC document,Examine that the document is entire or not please!</source>
        <translation>找不到 PLC 文件。请确认该文件（对于 .ld2 文件，还有与之配套的 .txt 文件）存在，然后重新打开。</translation>
    </message>
    <message>
        <source>Document content damages!</source>
        <translation>梯形图文件已损坏：找不到其指令部分。请打开一份完好的副本（例如备份文件 _bak.ldx）。</translation>
    </message>
    <message>
        <source>Warning!</source>
        <translation>警告</translation>
    </message>
    <message>
        <source>This document is not identification a ldx of correct PLC ladder diagram software document,Have no way to cover!</source>
        <translation>所选文件不是 PLC 梯形图软件的梯形图文件（.ldx），因此未写入任何内容。请选择由梯形图软件生成的 .ldx 文件。</translation>
    </message>
    <message>
        <source>The PLC document must begin from the document number,And the document number must be %999!</source>
        <translation>PLC 文件必须以文件号 %999 开头（位于第一行）。请改正第一行后重新保存。</translation>
    </message>
    <message>
        <source>Ask the document storing to be short of necessary END1 of standard PLC document or END2 instruction,The wrong document has no way to cover!</source>
        <translation>PLC 文件缺少每个 PLC 程序都必需的 END1 或 END2 指令，因此梯形图文件未被修改。请补上缺少的指令后重新保存。</translation>
    </message>
    <message>
        <source>The file layout waiting for memory is wrong,Memory has no way to carry out!</source>
        <translation>PLC 文件太短，不是完整的 PLC 程序，因此未保存任何内容。请检查文件后重新保存。</translation>
    </message>
    <message>
        <source>Carriage return starts data of the head office number queen be obliged to!</source>
        <translation>PLC 文件中的文件号（%999）和步数（8 位数字）必须各占一行，并各自以换行结束。请改正前两行后重新保存。</translation>
    </message>
    <message>
        <source>The 2nd row of data are PLC document head office numbers,It must be 8 figures,Insufficient can have 0 added in at the head!</source>
        <translation>PLC 文件的第二行是步数，必须正好是 8 位数字；位数不足时请在前面补 0（例如 00000123）。请改正后重新保存。</translation>
    </message>
    <message>
        <source>The head office number is 00000000: the PLC document has no steps, nothing was written!</source>
        <translation>第二行的步数为 00000000：该 PLC 文件没有任何步，因此未写入任何内容。请填写步数后重新保存。</translation>
    </message>
    <message>
        <source>警告!</source>
        <translation>警告</translation>
    </message>
    <message>
        <source>您输入的是非法字符!</source>
        <translation>不能输入此字符。程序中只能使用地址字母、数字、空格以及 % - / . 这几个符号。</translation>
    </message>
    <message>
        <source>此行行号有错误!</source>
        <translation>此行没有以程序段号开头（N 加四位数字，例如 N0010），因此无法为下一行编号。请先改正此行。</translation>
    </message>
    <message>
        <source>文件号有错误!</source>
        <translation>第一行必须是程序号：% 加两位数字（例如 %01）。请改正后再按回车键。</translation>
    </message>
    <message>
        <source>下面一行的行号有错误!</source>
        <translation>下一行没有以程序段号开头（N 加四位数字），因此无法在两行之间插入编号。请先改正下一行。</translation>
    </message>
    <message>
        <source>行号已到N9999，不能再编号!</source>
        <translation>程序段号已到 N9999，无法继续编号。请重新编号或拆分程序。</translation>
    </message>
    <message>
        <source>“请填入不多于%1个的字符。”</source>
        <translation>编辑区最多只能容纳 %1 个字符。请缩短文本，或将其拆分为多个程序。</translation>
    </message>
    <message>
        <source>您输入的是非法字符!
%1 at line %2, column %3: nothing was pasted.</source>
        <translation>未粘贴任何内容：文本第 %2 行第 %3 列的 %1 是程序中不允许的字符。程序中只能使用地址字母、数字、空格以及 % - / . 这几个符号。</translation>
    </message>
    <message>
        <source>您输入的是非法字符!
%1 at line %2, column %3: nothing was dropped.</source>
        <translation>未放入任何内容：文本第 %2 行第 %3 列的 %1 是程序中不允许的字符。程序中只能使用地址字母、数字、空格以及 % - / . 这几个符号。</translation>
    </message>
    <message>
        <source>Failed to %1 port %2.
Error: %3</source>
        <translation>端口 %2 出错：无法%1。
原因：%3
请确认设备已连接且未被其他程序占用，然后重试。</translation>
    </message>
    <message>
        <source>Bit rate, parity, data bits, stop bits and handshaking are set on the serial device server for a tcp:// port; the values chosen here are not sent to it.</source>
        <translation>tcp:// 端口是串口服务器：其波特率、校验、数据位、停止位和握手方式在服务器上设置，此处所选的值不会发送给它。</translation>
    </message>
    <message>
        <source>open</source>
        <translation>打开</translation>
    </message>
    <message>
        <source>a device server is given as rfc2217://HOST:PORT</source>
        <translation>串口服务器应写作 rfc2217://主机:端口</translation>
    </message>
    <message>
        <source>a device server is given as tcp://HOST:PORT</source>
        <translation>串口服务器应写作 tcp://主机:端口</translation>
    </message>
    <message>
        <source>the program is stopping</source>
        <translation>程序正在退出</translation>
    </message>
    <message>
        <source>write all data to</source>
        <translation>写入全部数据</translation>
    </message>
    <message>
        <source>set the handshaking of</source>
        <translation>设置握手方式</translation>
    </message>
    <message>
        <source>the COM port option cannot combine RTS/CTS with XON/XOFF</source>
        <translation>串口服务器不能同时使用 RTS/CTS 和 XON/XOFF</translation>
    </message>
    <message>
        <source>empty the input buffer of</source>
        <translation>清空输入缓冲区</translation>
    </message>
    <message>
        <source>the port is not open</source>
        <translation>端口未打开</translation>
    </message>
    <message>
        <source>the device server closed the connection</source>
        <translation>串口服务器关闭了连接</translation>
    </message>
    <message>
        <source>change the port number of</source>
        <translation>更改端口号</translation>
    </message>
    <message>
        <source>the port is already open</source>
        <translation>端口已经打开</translation>
    </message>
    <message>
        <source>resize the input buffer of</source>
        <translation>调整输入缓冲区大小</translation>
    </message>
    <message>
        <source>resize the output buffer of</source>
        <translation>调整输出缓冲区大小</translation>
    </message>
    <message>
        <source>no serial device is present at that position of the port list</source>
        <translation>端口列表中该位置没有串口设备，请选择其他端口</translation>
    </message>
    <message>
        <source>RTS/CTS together with XON/XOFF is not supported here</source>
        <translation>本机不支持同时使用 RTS/CTS 和 XON/XOFF，请只选其中一种</translation>
    </message>
    <message>
        <source>write to</source>
        <translation>写入</translation>
    </message>
    <message>
        <source>read from</source>
        <translation>读取</translation>
    </message>
    <message>
        <source>read the output queue of</source>
        <translation>读取输出队列</translation>
    </message>
    <message>
        <source>Can not record into string driving control of MSCOMM32.OCX!Examine if MSCOMM32.OCX fall in the catalogue please!</source>
        <translation>TapLink 无法使用串口：Qt 串口支持无法启动。请安装软件包 libqt6serialport6，然后重新启动 TapLink。</translation>
    </message>
    <message>
        <source>Error!</source>
        <translation>错误</translation>
    </message>
    <message>
        <source>Can not dispatch empty space document!</source>
        <translation>没有可发送的内容：文件为空。请先打开或输入程序。</translation>
    </message>
    <message>
        <source>CNC Procedure must add the procedure number beginning that two figures are composed of from the number &apos;%&apos;，Examine that if procedure satisfy a request after transferring please!</source>
        <translation>程序必须以程序号开头：第一行单独写 % 加两位数字（例如 %01）。请改正第一行后重新发送。</translation>
    </message>
    <message>
        <source>The procedure is too long for one frame: at most 65533 characters can be sent after blank lines and surplus spaces are removed!</source>
        <translation>程序太长，无法一次发送：去掉空行和多余空格后最多只能发送 65533 个字符。请将其拆分为几个较小的程序，逐个发送。</translation>
    </message>
    <message>
        <source>The instruction document of R80 must use &apos;%&apos; with the document number that 3 significant digits are composed of begins!</source>
        <translation>R80 文件必须以 % 加三位文件号开头（例如 %001；PLC 文件为 %999）。请改正第一行后重新发送。</translation>
    </message>
    <message>
        <source>The procedure number goes beyond the bounds!</source>
        <translation>程序号超出范围：R80 的程序号为 000 至 254（PLC 文件为 999）。请修改第一行的编号后重新发送。</translation>
    </message>
    <message>
        <source>The document exceeds the memory of CNC upper limit!</source>
        <translation>文件超出数控系统的内存容量（发送时最多 32767 字节）。请缩短或拆分文件后再发送。</translation>
    </message>
    <message>
        <source>The document number must change a line at the back!</source>
        <translation>文件号必须单独占第一行。请在文件号后直接换行，然后重新发送。</translation>
    </message>
    <message>
        <source>The PLC document must be composed of 4 document numbers and 8 head office numbers，And must be over with carriage return!</source>
        <translation>PLC 文件不完整：第一行须为文件号（%999），第二行须为 8 位步数，每行都以换行结束。请检查文件后再发送。</translation>
    </message>
    <message>
        <source>The document number must keep abrest of a carriage return at the back!</source>
        <translation>PLC 文件号（%999）必须单独占第一行。请在文件号后直接换行，然后再发送。</translation>
    </message>
    <message>
        <source>The head office number must be 8 figures!</source>
        <translation>PLC 文件第二行的步数必须正好是 8 位数字（例如 00000123）。请改正后再发送。</translation>
    </message>
    <message>
        <source>Head office number back-end must be carriage return，The head office number must be 8 figures!</source>
        <translation>PLC 文件第二行的步数必须正好是 8 位数字，并以换行结束。请改正后再发送。</translation>
    </message>
    <message>
        <source>Can not send empty space document!</source>
        <translation>没有可发送的内存映像。请先打开内存映像文件（.hex），或从数控系统接收。</translation>
    </message>
    <message>
        <source>A line ends in CR (carriage return) without LF (line feed): the controller takes lines that end in CR LF, or in LF alone, which is sent as CR LF!</source>
        <translation>有一行以回车符（CR）结尾而没有换行符（LF）。数控系统只接受以 CR LF 或单独 LF 结尾的行。请改正行尾（例如将文件重新保存为 Windows 或 Unix 格式），然后再发送。</translation>
    </message>
    <message>
        <source>The memory image is too long for one frame: at most 65535 bytes can be sent!</source>
        <translation>内存映像太长，无法一次发送：最多只能发送 65535 字节。请发送较短的映像。</translation>
    </message>
    <message>
        <source>Taking-over is finished!</source>
        <translation>接收完成：数控系统发来的内容已显示在编辑区。如需保留，请保存。</translation>
    </message>
    <message>
        <source>Data transmission is wrong!Transfer the agreement checking inconformity!</source>
        <translation>数控系统发来的数据与协议不符（协议字节、长度或校验和错误），传输失败。请确认此处所选的型号和协议字节与数控系统一致，然后重试。</translation>
    </message>
    <message>
        <source>Data transmission be finished!</source>
        <translation>发送完成：数控系统已接收全部内容。</translation>
    </message>
    <message>
        <source>CNC opens received state not yet or transmission line has not finished meeting,Examine that please!</source>
        <translation>数控系统未及时应答。请确认数控系统已就绪且连接线已接好，然后重试。</translation>
    </message>
    <message>
        <source>The CNC nothing responds,Transmission fail is transferred please again!</source>
        <translation>数控系统停止了应答，传输失败。请检查连接线和数控系统，然后重新开始传输。</translation>
    </message>
    <message>
        <source>The CNC stops taking the data,Transmission fail is transferred please again!</source>
        <translation>数控系统停止接收数据，发送失败。请检查连接线和握手设置，并确认数控系统仍在接收，然后再按“发送”。</translation>
    </message>
    <message>
        <source>Sending is finished!</source>
        <translation>发送完成：数控系统已接收整个文件。</translation>
    </message>
    <message>
        <source>The procedure number makes mistakes!</source>
        <translation>数控系统发来的文件号无效，因此未接收该文件。请检查数控系统上的程序，然后再按“接收”。</translation>
    </message>
    <message>
        <source>The controller&apos;s copy differs from what was sent, first at line %1 (%2 line differs):
sent:       %3
controller: %4</source>
        <translation>数控系统中的副本与发送的内容不同，首处差异在第 %1 行（共 %2 行不同）：
发送内容：%3
数控系统：%4
请重新发送该文件。</translation>
    </message>
    <message>
        <source>The controller&apos;s copy differs from what was sent, first at line %1 (%2 lines differ):
sent:       %3
controller: %4</source>
        <translation>数控系统中的副本与发送的内容不同，首处差异在第 %1 行（共 %2 行不同）：
发送内容：%3
数控系统：%4
请重新发送该文件。</translation>
    </message>
    <message>
        <source>Verified: the controller holds exactly what was sent (%1 byte).</source>
        <translation>核对无误：数控系统中的内容与发送的完全一致（%1 字节）。</translation>
    </message>
    <message>
        <source>Verified: the controller holds exactly what was sent (%1 bytes).</source>
        <translation>核对无误：数控系统中的内容与发送的完全一致（%1 字节）。</translation>
    </message>
    <message>
        <source>Failed to open the simulator.
Error: %1</source>
        <translation>无法启动模拟数控系统。
原因：%1</translation>
    </message>
    <message>
        <source>The command failed: %1</source>
        <translation>命令执行失败：%1
窗口仍可继续使用。</translation>
    </message>
    <message>
        <source>No transfer journal is kept: the program was started with --journal none, or the journal could not be opened.</source>
        <translation>未记录传输日志：TapLink 以 --journal none 启动，或日志无法打开。如需记录，请不带 --journal none 重新启动 TapLink。</translation>
    </message>
    <message>
        <source>CNC opens received state not yet or transmission line has not finished meeting,Examine that please!</source>
        <comment>receive</comment>
        <translation>数控系统在 %1 秒内没有应答。请在数控系统上启动输出，检查连接线，然后再按“接收”。</translation>
    </message>
    <message>
        <source>CNC opens received state not yet or transmission line has not finished meeting,Examine that please!</source>
        <comment>send</comment>
        <translation>数控系统在 %1 秒内没有准备好接收。请在数控系统上启动输入，检查连接线，然后再按“发送”。</translation>
    </message>
    <message>
        <source>G指令文件(*.txt)</source>
        <translation>G 指令文件 (*.txt)</translation>
    </message>
    <message>
        <source>所有文件(*)</source>
        <translation>所有文件 (*)</translation>
    </message>
    <message>
        <source>PLC文件(*.ldx)</source>
        <translation>PLC 梯形图文件 (*.ldx)</translation>
    </message>
    <message>
        <source>新PLC文件(*.ld2)</source>
        <translation>新格式 PLC 文件 (*.ld2)</translation>
    </message>
    <message>
        <source>二进制文件(*.hex)</source>
        <translation>内存映像文件 (*.hex)</translation>
    </message>
    <message>
        <source>二进制文件(*.tmp)</source>
        <translation>内存映像文件 (*.tmp)</translation>
    </message>
    <message>
        <source>Text File(*.txt)</source>
        <translation>文本文件 (*.txt)</translation>
    </message>
    <message>
        <source>The controller&apos;s copy differs from what was sent, first at offset %1 (%2), in %3 byte(s):
sent:       %4
controller: %5.</source>
        <translation>数控系统中的副本与发送的内容不同：共 %3 个字节不同，首处在偏移 %1（%2）：
发送内容：%4
数控系统：%5
请重新发送该内存映像。</translation>
    </message>
    <message>
        <source>The controller&apos;s copy differs from what was sent, first at offset %1 (%2), in %3 byte(s):
sent:       %4
controller: %5
The controller holds %6 byte(s), %7 were sent.</source>
        <translation>数控系统中的副本与发送的内容不同：共 %3 个字节不同，首处在偏移 %1（%2）：
发送内容：%4
数控系统：%5
数控系统中有 %6 字节，发送了 %7 字节。请重新发送该内存映像。</translation>
    </message>
    <message>
        <source>The controller&apos;s copy differs from what was sent: the controller holds %1 byte(s), %2 were sent.</source>
        <translation>数控系统中的副本与发送的内容不同：数控系统中有 %1 字节，而发送了 %2 字节。请重新发送该内存映像。</translation>
    </message>
    <message>
        <source>The verify ended without a result.</source>
        <translation>校验在得出结果之前停止了。请重新开始校验。</translation>
    </message>
    <message>
        <source>The transfer ended without a result.</source>
        <translation>传输在得出结果之前停止了。请重新开始。</translation>
    </message>
    <message>
        <source>uploaded by %1</source>
        <translation>由 %1 上传</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1：%2</translation>
    </message>
    <message>
        <source>removed by %1</source>
        <translation>由 %1 从发件箱中删除。</translation>
    </message>
    <message>
        <source>(a bad name)</source>
        <translation>（不允许的用户名）</translation>
    </message>
    <message>
        <source>%1 from %2: too many wrong passwords</source>
        <translation>%1 从 %2 登录被拒绝：密码错误次数过多。请稍候再试。</translation>
    </message>
    <message>
        <source>%1 from %2: wrong name or password</source>
        <translation>%1 从 %2 登录被拒绝：用户名或密码错误。</translation>
    </message>
    <message>
        <source>%1 (%2) from %3: logged in</source>
        <translation>%1（%2）从 %3 登录。</translation>
    </message>
    <message>
        <source>The program ended during the transfer (found at the next start).</source>
        <translation>程序在传输过程中结束（在下次打开日志时发现）。请检查控制器上的文件，必要时重新传输。</translation>
    </message>
    <message>
        <source>Recorded late: the journal could not be written when the transfer ended.</source>
        <translation>延迟记录：传输结束时无法写入日志。</translation>
    </message>
    <message>
        <source>The program ended the transfer but could not record its result (found at the next start).</source>
        <translation>程序结束了传输，但未能记录其结果（在下次打开日志时发现）。请检查控制器上的文件。</translation>
    </message>
    <message>
        <source>Filed later, as %1.</source>
        <translation>之后已归档为 %1。</translation>
    </message>
    <message>
        <source>The document could not be written to %1: %2. The journal keeps it; the station files it once the inbox takes it.</source>
        <translation>无法将文件写入 %1：%2。日志保存着该文件，收件箱可以写入后工作站会将其归档。</translation>
    </message>
    <message>
        <source>The document could not be written to %1: %2</source>
        <translation>无法将文件写入 %1：%2。请检查该文件夹是否存在且可写。</translation>
    </message>
    <message>
        <source>The station was stopped during the transfer.</source>
        <translation>传输过程中工作站被停止。请重新传输该文件。</translation>
    </message>
    <message>
        <source>request for %1</source>
        <translation>请求程序 %1</translation>
    </message>
    <message>
        <source>request</source>
        <translation>请求</translation>
    </message>
    <message>
        <source>%1 not answered: %2</source>
        <translation>%1 未答复：%2</translation>
    </message>
    <message>
        <source>%1: waiting for the controller to take %2 (from %3)</source>
        <translation>%1：%2（来自 %3）等待控制器接收。</translation>
    </message>
    <message>
        <source>%1; it replaces the copy of %2 that waited</source>
        <translation>%1 它替换了正在等待的 %2 副本。</translation>
    </message>
    <message>
        <source>The transfer was stopped by the operator.</source>
        <translation>操作员停止了传输。</translation>
    </message>
    <message>
        <source>Lost the connection to port %1.
Error: %2</source>
        <translation>与端口 %1 的连接已断开：设备可能被拔出、关闭或断开。
原因：%2
请检查连接线和设备，然后重新开始传输。</translation>
    </message>
    <message>
        <source>Taking-over is finished!</source>
        <comment>no editor</comment>
        <translation>接收完成：数控系统发来的内容已全部收到。</translation>
    </message>
</context>
<context>
    <name>Programs</name>
    <message>
        <source>Moves part programs, PLC documents and memory images between this computer and a QRN series CNC controller over a serial line.
Qt&apos;s own options (-platform, -style, -display, ...) are passed to Qt.</source>
        <translation>通过串口在本机与 QRN 系列数控系统之间传送零件程序、PLC 文件和内存映像。
Qt 自身的选项（-platform、-style、-display 等）交给 Qt 处理。</translation>
    </message>
    <message>
        <source>Put DEVICE (such as /dev/ttyUSB0, a pseudo-terminal, tcp://HOST:PORT or rfc2217://HOST:PORT for a serial device server, or simulator) first in the port list and open it (default: the first serial device, or simulator when there is none).</source>
        <translation>将 DEVICE（例如 /dev/ttyUSB0、伪终端、串口服务器的 tcp://主机:端口 或 rfc2217://主机:端口，或 simulator）放在端口列表首位并打开（默认：第一个串口设备；没有串口设备时为 simulator）。</translation>
    </message>
    <message>
        <source>Preselect the model: r40, r80 or memory (default: r40).</source>
        <translation>预先选择型号：r40、r80 或 memory（默认：r40）。</translation>
    </message>
    <message>
        <source>Write every byte in and out, with times, to FILE.</source>
        <translation>将收发的每个字节连同时间写入 FILE。</translation>
    </message>
    <message>
        <source>Record every transfer in JOURNAL: a SQLite file, postgresql://USER@HOST/DB, or none (default: the journal in the user&apos;s data folder).</source>
        <translation>将每次传输记录到 JOURNAL：SQLite 文件、postgresql://用户@主机/数据库，或 none（默认：用户数据文件夹中的日志）。</translation>
    </message>
    <message>
        <source>unknown model &quot;%1&quot; (use r40, r80 or memory)</source>
        <translation>未知型号“%1”：请使用 r40、r80 或 memory</translation>
    </message>
    <message>
        <source>no display to open the window on (set DISPLAY, or use taplink-cli for transfers without one)</source>
        <translation>没有可用于打开窗口的显示器：请设置 DISPLAY，或使用 taplink-cli 在无窗口的情况下传输</translation>
    </message>
    <message>
        <source>cannot write the trace %1</source>
        <translation>无法写入跟踪文件 %1：请选择有写入权限的文件</translation>
    </message>
    <message>
        <source>The trace %1 stopped.
Error: %2</source>
        <translation>跟踪文件 %1 已停止记录，传输将在不记录的情况下继续。
原因：%2</translation>
    </message>
    <message>
        <source>Transfers are not recorded: %1</source>
        <translation>传输未记录到日志：%1
传输功能仍可正常使用。</translation>
    </message>
    <message>
        <source>unknown language &quot;%1&quot; (use original, en, zh_CN or system)</source>
        <translation>未知语言“%1”：请使用 original、en、zh_CN 或 system</translation>
    </message>
    <message>
        <source>The language of every text: original (the system&apos;s own texts, the default), en (plain English), zh_CN (Chinese) or system (the locale&apos;s).</source>
        <translation>所有文字的语言：original（系统原有文字，默认）、en（简明英语）、zh_CN（简体中文）或 system（跟随系统区域设置）。</translation>
    </message>
    <message>
        <source>the %1 byte(s) received could not be kept: %2</source>
        <translation>收到的 %1 字节无法保存：%2</translation>
    </message>
    <message>
        <source>the %1 byte(s) received are kept in %2</source>
        <translation>收到的 %1 字节已保存在 %2</translation>
    </message>
    <message>
        <source>the document is incomplete</source>
        <translation>文件不完整：数控系统在文件结束前停止了发送</translation>
    </message>
    <message>
        <source>the trace %1 would be written over %2, which this command reads or writes: choose another file for the trace</source>
        <translation>跟踪文件 %1 会覆盖本命令要读写的 %2：请为跟踪文件另选一个文件</translation>
    </message>
    <message>
        <source>no journal: %1</source>
        <translation>没有日志：%1（传输继续进行，但不记录）</translation>
    </message>
    <message>
        <source>cannot write the trace %1: %2</source>
        <translation>无法写入跟踪文件 %1：%2</translation>
    </message>
    <message>
        <source>blocks</source>
        <translation>块</translation>
    </message>
    <message>
        <source>bytes</source>
        <translation>字节</translation>
    </message>
    <message>
        <source> (default: %1)</source>
        <translation>（默认：%1）</translation>
    </message>
    <message>
        <source>r40 (R40/R60), r80 or memory.</source>
        <translation>r40（R40/R60）、r80 或 memory（内存）。</translation>
    </message>
    <message>
        <source>A serial device (/dev/ttyUSB0), a pseudo-terminal, or a serial device server: tcp://HOST:PORT (raw TCP, settings made on the server) or rfc2217://HOST:PORT (settings sent to the server).</source>
        <translation>串口设备（/dev/ttyUSB0）、伪终端或串口服务器：tcp://主机:端口（原始 TCP，参数在服务器上设置）或 rfc2217://主机:端口（参数发送给服务器）。</translation>
    </message>
    <message>
        <source>Bit rate, parity, data bits, stop bits.</source>
        <translation>波特率、校验、数据位、停止位。</translation>
    </message>
    <message>
        <source>none, xonxoff, rtscts or both.</source>
        <translation>none（无）、xonxoff、rtscts 或 both（两者）。</translation>
    </message>
    <message>
        <source>Send protocol byte, hexadecimal.</source>
        <translation>发送协议字节，十六进制。</translation>
    </message>
    <message>
        <source>Receive protocol byte, hexadecimal.</source>
        <translation>接收协议字节，十六进制。</translation>
    </message>
    <message>
        <source>Pace of R40/R60 and Memory frames: 1 (fastest) to 500; the delay between bytes is SPEED + 1 ms.</source>
        <translation>R40/R60 和内存帧的发送速度：1（最快）至 500；字节间延时为 SPEED + 1 毫秒。</translation>
    </message>
    <message>
        <source>Where the transfer is recorded: a SQLite file, postgresql://USER@HOST/DB, or none (default: the journal in the user&apos;s data folder).</source>
        <translation>传输记录的位置：SQLite 文件、postgresql://用户@主机/数据库，或 none（默认：用户数据文件夹中的日志）。</translation>
    </message>
    <message>
        <source>unknown model %1 (r40, r80 or memory)</source>
        <translation>未知型号 %1：请使用 r40、r80 或 memory</translation>
    </message>
    <message>
        <source>--port is required</source>
        <translation>必须指定 --port：请给出串口设备，例如 --port /dev/ttyUSB0</translation>
    </message>
    <message>
        <source>--settings %1: %2</source>
        <translation>--settings %1：%2</translation>
    </message>
    <message>
        <source>unknown handshake %1</source>
        <translation>未知握手方式 %1：请使用 none、xonxoff、rtscts 或 both</translation>
    </message>
    <message>
        <source>protocol bytes are two hexadecimal digits</source>
        <translation>协议字节须为两位十六进制数字，例如 11</translation>
    </message>
    <message>
        <source>--speed takes 1 to 500</source>
        <translation>--speed 的取值为 1 至 500</translation>
    </message>
    <message>
        <source>Sends FILE to the controller: a part program or PLC text (.txt), a ladder document (.ldx) or new-format ladder document (.ld2, through its .txt companion) for r80, a memory image (.hex, .tmp) for memory. Start the controller&apos;s input after this.</source>
        <translation>将 FILE 发送到数控系统：零件程序或 PLC 文本（.txt）；r80 可发送梯形图文件（.ldx）或新格式梯形图文件（.ld2，经由其配套的 .txt 文件）；memory 发送内存映像（.hex、.tmp）。运行此命令后，请在数控系统上启动输入。</translation>
    </message>
    <message>
        <source>The document to send.</source>
        <translation>要发送的文件。</translation>
    </message>
    <message>
        <source>send takes one FILE (see --help)</source>
        <translation>send 需要一个 FILE 参数（参见 --help）</translation>
    </message>
    <message>
        <source>Reads the controller&apos;s copy back and compares it with FILE as the controller stores it (a PLC text without the step fields a receive adds): says whether they are identical, or where they first differ, and prints the differing lines side by side. Start the controller&apos;s output after this. Exit code 0: identical, 7: different.</source>
        <translation>从数控系统读回副本，按数控系统的存储形式与 FILE 比较（PLC 文本不含接收时加上的步号栏）：说明两者是否一致，或首处差异在哪里，并将不同的行并排列出。运行此命令后，请在数控系统上启动输出。退出码 0：一致；7：不同。</translation>
    </message>
    <message>
        <source>The document that was sent.</source>
        <translation>已发送的文件。</translation>
    </message>
    <message>
        <source>verify takes one FILE (see --help)</source>
        <translation>verify 需要一个 FILE 参数（参见 --help）</translation>
    </message>
    <message>
        <source>Asks the controller for a document and writes it to FILE (or standard output): the text as received, or the raw bytes of a memory image. Start the controller&apos;s output after this.</source>
        <translation>向数控系统请求文件并写入 FILE（或标准输出）：文本按收到的原样写入，内存映像写入原始字节。运行此命令后，请在数控系统上启动输出。</translation>
    </message>
    <message>
        <source>Where the document goes (&apos;-&apos; or nothing: standard output).</source>
        <translation>文件的保存位置（“-”或不给出：标准输出）。</translation>
    </message>
    <message>
        <source>convert DOC.ldx [-o OUT.txt]: the ladder document&apos;s instructions as a PLC text document.
convert TEXT.txt --into DOC.ldx: writes the PLC text document into the ladder document, converted to the ladder software&apos;s layout; DOC_bak.ldx keeps the old one.</source>
        <translation>convert DOC.ldx [-o OUT.txt]：将梯形图文件中的指令转为 PLC 文本文件。
convert TEXT.txt --into DOC.ldx：将 PLC 文本文件按梯形图软件的格式写入梯形图文件；原文件保留为 DOC_bak.ldx。</translation>
    </message>
    <message>
        <source>The ladder document, or the PLC text document.</source>
        <translation>梯形图文件或 PLC 文本文件。</translation>
    </message>
    <message>
        <source>Where the PLC text goes (default: standard output).</source>
        <translation>PLC 文本的输出位置（默认：标准输出）。</translation>
    </message>
    <message>
        <source>The ladder document to write the PLC text into.</source>
        <translation>要写入 PLC 文本的梯形图文件。</translation>
    </message>
    <message>
        <source>convert takes one FILE (see --help)</source>
        <translation>convert 需要一个 FILE 参数（参见 --help）</translation>
    </message>
    <message>
        <source>%1 is both what is converted and where it goes: choose another file</source>
        <translation>%1 既是转换的源文件又是输出文件：请另选一个文件</translation>
    </message>
    <message>
        <source>%1 is the backup of %2, which the save writes anew: copy it to another name first</source>
        <translation>%1 是 %2 的备份，保存时会重新生成：请先将其复制为其他名称</translation>
    </message>
    <message>
        <source>Prints a memory image (.hex, .tmp) as TapLink shows it.</source>
        <translation>按 TapLink 的显示方式打印内存映像（.hex、.tmp）。</translation>
    </message>
    <message>
        <source>The memory image.</source>
        <translation>内存映像。</translation>
    </message>
    <message>
        <source>hexdump takes one IMAGE (see --help)</source>
        <translation>hexdump 需要一个 IMAGE 参数（参见 --help）</translation>
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
        <translation>用法：taplink-cli 命令 [选项]
  send FILE --port DEVICE [--model r40|r80|memory] [线路选项]
  receive --port DEVICE [--model ...] [-o FILE] [线路选项]
  verify FILE --port DEVICE [--model ...] [线路选项]
  journal [--since DATE] [--port P] [--machine NAME] [--json] [--machines]
  journal --get ID -o FILE          journal --prune [--keep-days N]
  convert DOC.ldx [-o OUT.txt]      convert TEXT.txt --into DOC.ldx
  hexdump IMAGE
--language original|en|zh_CN|system 可与任何命令一起使用，用于选择文字的语言。
taplink-cli 命令 --help 显示详细说明；taplink-cli --version 显示版本。
退出码：0 完成，1 用法或文件错误，2 文件被拒绝，3 数控系统未就绪，
4 无应答或线路停止接收数据，5 端口故障，6 数控系统发来的数据有误，
7 数控系统中的副本与发送的不同（verify），8 日志无法打开或读取，
或日志中没有该文件（journal）。
</translation>
    </message>
    <message>
        <source>Serves the station&apos;s machines and journal on a web page and a JSON API, as the
[floor] section of the station&apos;s config says.</source>
        <translation>按工作站配置中 [floor] 一节的设定，通过网页和 JSON API 提供工作站的机床和日志。</translation>
    </message>
    <message>
        <source>The station&apos;s config.</source>
        <translation>工作站配置文件。</translation>
    </message>
    <message>
        <source>Adds a user (or gives one a new role and password), the password read from standard input.</source>
        <translation>添加用户（或为已有用户设置新的角色和密码），密码从标准输入读取。</translation>
    </message>
    <message>
        <source>viewer, operator or admin.</source>
        <translation>viewer（查看者）、operator（操作员）或 admin（管理员）。</translation>
    </message>
    <message>
        <source>Serves every machine of the config from this PC: sends what each machine&apos;s outbox holds when its controller asks, and keeps what each controller outputs in its inbox. SIGHUP reads the config again.</source>
        <translation>由本机为配置中的每台机床服务：数控系统请求时发送该机床发件箱中的文件，并将数控系统输出的内容保存到其收件箱。收到 SIGHUP 时重新读取配置。</translation>
    </message>
    <message>
        <source>The station&apos;s config (Qt INI: a section per machine).</source>
        <translation>工作站配置文件（Qt INI 格式：每台机床一节）。</translation>
    </message>
    <message>
        <source>Check the config, create its folders, and exit.</source>
        <translation>检查配置，创建其中的文件夹，然后退出。</translation>
    </message>
    <message>
        <source>Where transfers and machine states are recorded, instead of the config&apos;s journal: a SQLite file, postgresql://USER@HOST/DB, or none.</source>
        <translation>记录传输和机床状态的位置，代替配置中的日志：SQLite 文件、postgresql://用户@主机/数据库，或 none。</translation>
    </message>
    <message>
        <source>--config FILE is required</source>
        <translation>必须指定 --config FILE：请给出工作站配置文件</translation>
    </message>
    <message>
        <source>%1: %2 machine(s)</source>
        <translation>%1：%2 台机床</translation>
    </message>
    <message>
        <source>%1 is served by another taplink-station already</source>
        <translation>%1 已由另一个 taplink-station 服务：请先停止那一个</translation>
    </message>
    <message>
        <source>cannot watch for signals</source>
        <translation>无法监听信号</translation>
    </message>
    <message>
        <source>%1 transfer end(s) that could not be recorded when they ended written now</source>
        <translation>已补记 %1 条当时未能记录的传输结果</translation>
    </message>
    <message>
        <source>%1 transfer(s) left by a stopped station marked interrupted</source>
        <translation>已将已停止的工作站遗留的 %1 次传输标记为中断</translation>
    </message>
    <message>
        <source>%1 transfer(s) ended more than %2 day(s) ago removed from the journal</source>
        <translation>已从日志中删除 %1 次在 %2 天以前结束的传输</translation>
    </message>
    <message>
        <source>the config was not reloaded, the running one is kept: %1</source>
        <translation>配置未重新加载，继续使用当前配置：%1</translation>
    </message>
    <message>
        <source>the config was not reloaded, the running one is kept: %1 is served by another taplink-station</source>
        <translation>配置未重新加载，继续使用当前配置：%1 已由另一个 taplink-station 服务</translation>
    </message>
    <message>
        <source>the journal changes only when the station starts again: transfers are still recorded in %1</source>
        <translation>日志只在工作站重新启动时更换：传输仍记录在 %1</translation>
    </message>
    <message>
        <source>no journal</source>
        <translation>无日志</translation>
    </message>
    <message>
        <source>stopping</source>
        <translation>正在停止</translation>
    </message>
    <message>
        <source>stopped</source>
        <translation>已停止</translation>
    </message>
    <message>
        <source>%1 failed: %2</source>
        <translation>%1 失败：%2</translation>
    </message>
    <message>
        <source>unknown command %1</source>
        <translation>未知命令 %1</translation>
    </message>
</context>
<context>
    <name>QCommandLineParser</name>
    <message>
        <source>Displays help on commandline options.</source>
        <translation>显示命令行选项的帮助。</translation>
    </message>
    <message>
        <source>Displays help including Qt specific options.</source>
        <translation>显示帮助，包括 Qt 专用选项。</translation>
    </message>
    <message>
        <source>Displays version information.</source>
        <translation>显示版本信息。</translation>
    </message>
    <message>
        <source>Usage: %1</source>
        <translation>用法：%1</translation>
    </message>
    <message>
        <source>Options:</source>
        <translation>选项：</translation>
    </message>
    <message>
        <source>Arguments:</source>
        <translation>参数：</translation>
    </message>
    <message>
        <source>[options]</source>
        <translation>[选项]</translation>
    </message>
    <message>
        <source>Unknown option &apos;%1&apos;.</source>
        <translation>未知选项“%1”。</translation>
    </message>
    <message>
        <source>Unknown options: %1.</source>
        <translation>未知选项：%1。</translation>
    </message>
    <message>
        <source>Missing value after &apos;%1&apos;.</source>
        <translation>“%1”后缺少值。</translation>
    </message>
    <message>
        <source>Unexpected value after &apos;%1&apos;.</source>
        <translation>“%1”后有多余的值。</translation>
    </message>
</context>
<context>
    <name>QPlatformTheme</name>
    <message>
        <source>OK</source>
        <translation>确定</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>保存</translation>
    </message>
    <message>
        <source>Discard</source>
        <translation>不保存</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>&amp;Yes</source>
        <translation>是(&amp;Y)</translation>
    </message>
    <message>
        <source>&amp;No</source>
        <translation>否(&amp;N)</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>关闭</translation>
    </message>
</context>
<context>
    <name>taplink::CAboutDlg</name>
    <message>
        <source>About</source>
        <translation>关于 TapLink</translation>
    </message>
    <message>
        <source>QRN R40/R60/R80Series CNC Communications Software</source>
        <translation>QRN R40/R60/R80 系列数控通信软件</translation>
    </message>
    <message>
        <source>TapLink moves part programs, PLC documents and memory images between this computer and QRN series CNC controllers over a serial line.

Free software: use, copy and change it freely. No warranty of any kind.</source>
        <translation>TapLink 通过串口在本机与 QRN 系列数控系统之间传送零件程序、PLC 文件和内存映像。

自由软件：可自由使用、复制和修改。不提供任何担保。</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>确定</translation>
    </message>
</context>
<context>
    <name>taplink::CCncCommDlg</name>
    <message>
        <source>QRNR40/R60/R80 Series CNC Communications Software V6.4</source>
        <translation>QRN R40/R60/R80 系列数控通信软件 V6.4</translation>
    </message>
    <message>
        <source>Open File(&amp;F)</source>
        <translation>打开文件(&amp;F)</translation>
    </message>
    <message>
        <source>Save File(&amp;S)</source>
        <translation>保存文件(&amp;S)</translation>
    </message>
    <message>
        <source>Send   (&amp;T)</source>
        <translation>发送(&amp;T)</translation>
    </message>
    <message>
        <source>Receive(&amp;R)</source>
        <translation>接收(&amp;R)</translation>
    </message>
    <message>
        <source>Bit Rate：</source>
        <translation>波特率：</translation>
    </message>
    <message>
        <source>Choose Port：</source>
        <translation>端口：</translation>
    </message>
    <message>
        <source>Schedule：</source>
        <translation>进度：</translation>
    </message>
    <message>
        <source>Speed：</source>
        <translation>速度：</translation>
    </message>
    <message>
        <source>Checkout：</source>
        <translation>校验：</translation>
    </message>
    <message>
        <source>Data Number：</source>
        <translation>数据位：</translation>
    </message>
    <message>
        <source>Stop Number：</source>
        <translation>停止位：</translation>
    </message>
    <message>
        <source>Hsrdware ：</source>
        <translation>握手：</translation>
    </message>
    <message>
        <source>Protocol：</source>
        <translation>协议字节：</translation>
    </message>
    <message>
        <source>Send：</source>
        <translation>发送：</translation>
    </message>
    <message>
        <source>Receive：</source>
        <translation>接收：</translation>
    </message>
    <message>
        <source>About(&amp;A)</source>
        <translation>关于(&amp;A)</translation>
    </message>
    <message>
        <source>Setup</source>
        <translation>设置</translation>
    </message>
    <message>
        <source>Memory</source>
        <translation>内存</translation>
    </message>
    <message>
        <source>关于 TAPLINK(&amp;A)...</source>
        <translation>关于 TapLink(&amp;A)...</translation>
    </message>
    <message>
        <source>Verify with the controller&apos;s copy(&amp;V)...</source>
        <translation>与数控系统中的副本核对(&amp;V)...</translation>
    </message>
    <message>
        <source>Transfer journal(&amp;J)...</source>
        <translation>传输日志(&amp;J)...</translation>
    </message>
    <message>
        <source>A transfer is running. Stop it?</source>
        <translation>正在传输。要停止传输，还是继续？</translation>
    </message>
    <message>
        <source>Stop the transfer</source>
        <translation>停止传输</translation>
    </message>
    <message>
        <source>Go on</source>
        <translation>继续</translation>
    </message>
    <message>
        <source>The editor holds changes that were not saved, sent or received. Save them before closing?</source>
        <translation>编辑区中有尚未保存、发送或接收的修改。关闭前要保存吗？</translation>
    </message>
    <message>
        <source>Waiting for the controller to take the memory image: %1 s</source>
        <translation>等待数控系统接收内存映像：%1 秒</translation>
    </message>
    <message>
        <source>Waiting for the controller to take the document: %1 s</source>
        <translation>等待数控系统接收文件：%1 秒</translation>
    </message>
    <message>
        <source>Waiting for the controller to take the program: %1 s</source>
        <translation>等待数控系统接收程序：%1 秒</translation>
    </message>
    <message>
        <source>Waiting for the controller to answer: %1 s</source>
        <translation>等待数控系统应答：%1 秒</translation>
    </message>
    <message>
        <source>Waiting for the controller to send the memory image: %1 s</source>
        <translation>等待数控系统发送内存映像：%1 秒</translation>
    </message>
    <message>
        <source>Waiting for the controller to send the document: %1 s</source>
        <translation>等待数控系统发送文件：%1 秒</translation>
    </message>
    <message>
        <source>Waiting for the controller to send the program: %1 s</source>
        <translation>等待数控系统发送程序：%1 秒</translation>
    </message>
    <message>
        <source>Not taken: the field must begin with two hexadecimal digits. The protocol byte stays %1 (hex).</source>
        <translation>未采用：此栏必须以两位十六进制数字开头。协议字节仍为 %1（十六进制）。</translation>
    </message>
</context>
<context>
    <name>taplink::CSaveQueryDlg</name>
    <message>
        <source>注意！！</source>
        <translation>注意</translation>
    </message>
    <message>
        <source>文档即将被改变，是否保存？</source>
        <translation>编辑区的内容即将被替换，是否先保存？</translation>
    </message>
    <message>
        <source>是</source>
        <translation>是</translation>
    </message>
    <message>
        <source>否</source>
        <translation>否</translation>
    </message>
</context>
<context>
    <name>taplink::Machine</name>
    <message>
        <source>%1 was sent before the station stopped; it is moved, not sent again</source>
        <translation>%1 在工作站停止前已发送；现将其移走，不再重复发送</translation>
    </message>
    <message>
        <source>%1 sent; it stays in the outbox until the journal has recorded that</source>
        <translation>%1 已发送；在日志记录此事之前，它仍留在发件箱中</translation>
    </message>
    <message>
        <source>%1 refused; it stays in the outbox until the journal has recorded that</source>
        <translation>%1 被拒绝；在日志记录此事之前，它仍留在发件箱中</translation>
    </message>
    <message>
        <source>%1 was taken out of the outbox before it could be moved</source>
        <translation>%1 在移动之前已被从发件箱中取走</translation>
    </message>
    <message>
        <source>%1 sent, now %2</source>
        <translation>%1 已发送，现位于 %2</translation>
    </message>
    <message>
        <source>%1 refused, now %2%3</source>
        <translation>%1 被拒绝，现位于 %2%3（原因见其旁边的 .why 文件）</translation>
    </message>
    <message>
        <source> (its .why could not be written: %1)</source>
        <translation>（其 .why 文件无法写入：%1）</translation>
    </message>
    <message>
        <source>the %1 byte(s) received could not be kept: %2; the journal keeps them until the inbox takes them</source>
        <translation>收到的 %1 字节无法保存：%2；在收件箱可用之前由日志保存</translation>
    </message>
    <message>
        <source>the %1 byte(s) received could not be kept: %2</source>
        <translation>收到的 %1 字节无法保存：%2</translation>
    </message>
    <message>
        <source>received %1 byte(s), now %2</source>
        <translation>已接收 %1 字节，现位于 %2</translation>
    </message>
    <message>
        <source>journal unavailable %1; nothing starts until it can be written</source>
        <translation>日志不可用 %1；在能够写入日志之前不开始任何传输</translation>
    </message>
    <message>
        <source>the document of transfer %1 cannot be filed: %2</source>
        <translation>传输 %1 的文件无法存入收件箱：%2</translation>
    </message>
    <message>
        <source>the %1 byte(s) received in transfer %2 are filed from the journal, now %3</source>
        <translation>传输 %2 中收到的 %1 字节已从日志存入收件箱，现位于 %3</translation>
    </message>
    <message>
        <source>port lost, next try in %1 s: %2</source>
        <translation>端口丢失，%1 秒后重试：%2</translation>
    </message>
    <message>
        <source>resumed</source>
        <translation>已恢复</translation>
    </message>
    <message>
        <source>the machine&apos;s state could not be written to the journal: %1</source>
        <translation>机床状态无法写入日志：%1</translation>
    </message>
    <message>
        <source>stopped during the transfer</source>
        <translation>在传输过程中停止</translation>
    </message>
</context>
<context>
    <name>taplink::PortComboBox</name>
    <message>
        <source> (missing)</source>
        <translation>（未找到）</translation>
    </message>
    <message>
        <source>Simulator</source>
        <translation>模拟器</translation>
    </message>
</context>
<context>
    <name>taplink::SimulatorPanel</name>
    <message>
        <source>Controller simulator</source>
        <translation>数控系统模拟器</translation>
    </message>
    <message>
        <source>Memory</source>
        <translation>内存</translation>
    </message>
    <message>
        <source>input</source>
        <translation>输入</translation>
    </message>
    <message>
        <source>output</source>
        <translation>输出</translation>
    </message>
    <message>
        <source>The controller takes a document: press Send in TapLink</source>
        <translation>数控系统接收文件：请在 TapLink 中按“发送”</translation>
    </message>
    <message>
        <source>The controller sends what it holds: press Receive in TapLink</source>
        <translation>数控系统发送其中的内容：请在 TapLink 中按“接收”</translation>
    </message>
    <message>
        <source>Controller:</source>
        <translation>数控系统：</translation>
    </message>
    <message>
        <source>idle</source>
        <translation>空闲</translation>
    </message>
    <message>
        <source>What the controller holds:</source>
        <translation>数控系统中的内容：</translation>
    </message>
    <message>
        <source>TapLink&apos;s end: %1</source>
        <translation>TapLink 一端：%1</translation>
    </message>
    <message>
        <source>modem-line change (a pseudo-terminal has no modem lines)</source>
        <translation>调制解调器信号线变化（伪终端没有调制解调器信号线）</translation>
    </message>
</context>
<context>
    <name>taplink::VerifyView</name>
    <message>
        <source>Differences from the controller&apos;s copy</source>
        <translation>与数控系统中副本的差异</translation>
    </message>
    <message>
        <source>Offset</source>
        <translation>偏移</translation>
    </message>
    <message>
        <source>Line</source>
        <translation>行</translation>
    </message>
    <message>
        <source>Sent</source>
        <translation>发送内容</translation>
    </message>
    <message>
        <source>Controller</source>
        <translation>数控系统</translation>
    </message>
</context>
</TS>
