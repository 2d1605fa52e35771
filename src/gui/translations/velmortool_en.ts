<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<!-- English texts of the program. The source texts are the built-in Chinese ones;
     contexts are the views' class names and, for texts that come from models,
     the model's name. Built into velmortool_en.qm beside the program. -->
<TS version="2.1" language="en_US" sourcelanguage="zh_CN">
<context>
    <name>velmor::gui::MainWindow</name>
    <message>
        <source>连接状态</source>
        <translation>Connection</translation>
    </message>
    <message>
        <source>设备名称</source>
        <translation>Device name</translation>
    </message>
    <message>
        <source>主板类型</source>
        <translation>Board type</translation>
    </message>
    <message>
        <source>关于</source>
        <translation>About</translation>
    </message>
    <message>
        <source>退出</source>
        <translation>Exit</translation>
    </message>
</context>
<context>
    <name>CAboutDlg</name>
    <message>
        <source>关于 VelmorTool</source>
        <translation>About VelmorTool</translation>
    </message>
    <message>
        <source>VelmorTool，1.000.001.037 版</source>
        <translation>VelmorTool, version 1.000.001.037</translation>
    </message>
    <message>
        <source>1.清洗参数下载支持直流电机</source>
        <translation>1. Cleaning parameter download supports DC motors</translation>
    </message>
    <message>
        <source>2.初始化运动添加了X直流电机</source>
        <translation>2. Initialization movement has the X DC motor</translation>
    </message>
    <message>
        <source>3.测试运动里添加了X直流电机</source>
        <translation>3. Test motion has the X DC motor</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>关于 VelmorTool(&amp;A)...</source>
        <translation>&amp;About VelmorTool...</translation>
    </message>
</context>
<context>
    <name>PlaceholderPage</name>
    <message>
        <source>初始化运动（主板）</source>
        <translation>Initialization movement (main board)</translation>
    </message>
    <message>
        <source>初始化运动（光纤板）</source>
        <translation>Initialization movement (fibre boards)</translation>
    </message>
    <message>
        <source>固件设置</source>
        <translation>Firmware setting</translation>
    </message>
    <message>
        <source>清洗设置</source>
        <translation>Cleaning setting</translation>
    </message>
</context>
<context>
    <name>velmor::gui::PlaceholderPageView</name>
    <message>
        <source>该页面将在后续版本中提供。</source>
        <translation>This page comes in a later release.</translation>
    </message>
</context>
<context>
    <name>velmor::gui::ReadWriteRegView</name>
    <message>
        <source>地址(0x)</source>
        <translation>Address(0x)</translation>
    </message>
    <message>
        <source>数据</source>
        <translation>Data</translation>
    </message>
    <message>
        <source>ms</source>
        <translation>ms</translation>
    </message>
    <message>
        <source>主板和喷车板读写</source>
        <translation>Main board and head board registers</translation>
    </message>
    <message>
        <source>版本号和复位操作</source>
        <translation>Versions and resets</translation>
    </message>
    <message>
        <source>产生数据方式</source>
        <translation>Data pattern</translation>
    </message>
    <message>
        <source>字节数</source>
        <translation>Bytes</translation>
    </message>
    <message>
        <source>Flash 读写</source>
        <translation>Flash read/write</translation>
    </message>
    <message>
        <source>供墨时间</source>
        <translation>Ink supply time</translation>
    </message>
    <message>
        <source>*100ms</source>
        <translation>*100ms</translation>
    </message>
    <message>
        <source>白墨循环间隔</source>
        <translation>White ink interval</translation>
    </message>
    <message>
        <source>Minute</source>
        <translation>Minute</translation>
    </message>
    <message>
        <source>白墨循环时间</source>
        <translation>White ink time</translation>
    </message>
    <message>
        <source>Second</source>
        <translation>Second</translation>
    </message>
</context>
<context>
    <name>CReadWriteRegDlg</name>
    <message>
        <source>写主板寄存器</source>
        <translation>Write MB Reg</translation>
    </message>
    <message>
        <source>写喷车板寄存器</source>
        <translation>Write HB Reg</translation>
    </message>
    <message>
        <source>读寄存器</source>
        <translation>Read Regs</translation>
    </message>
    <message>
        <source>读主板</source>
        <translation>Read MB</translation>
    </message>
    <message>
        <source>读喷车板</source>
        <translation>Read HB</translation>
    </message>
    <message>
        <source>开写读定时器</source>
        <translation>Start W/R timer</translation>
    </message>
    <message>
        <source>关读定时器</source>
        <translation>Stop timer</translation>
    </message>
    <message>
        <source>开读定时器</source>
        <translation>Start timer</translation>
    </message>
    <message>
        <source>设置</source>
        <translation>Set</translation>
    </message>
    <message>
        <source>微噴控制</source>
        <translation>Flash spit</translation>
    </message>
    <message>
        <source>清空</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>喷车板1</source>
        <translation>Headboard1</translation>
    </message>
    <message>
        <source>喷车板2</source>
        <translation>Headboard2</translation>
    </message>
    <message>
        <source>喷车板3</source>
        <translation>Headboard3</translation>
    </message>
    <message>
        <source>喷车板4</source>
        <translation>Headboard4</translation>
    </message>
    <message>
        <source>所有喷车板</source>
        <translation>HeadboardAll</translation>
    </message>
</context>
<context>
    <name>velmor::gui::PrtConfigView</name>
    <message>
        <source>打印设置</source>
        <translation>Print settings</translation>
    </message>
    <message>
        <source>供墨时间</source>
        <translation>Ink supply time</translation>
    </message>
    <message>
        <source>点数</source>
        <translation>Dot size</translation>
    </message>
    <message>
        <source>光纤通道</source>
        <translation>Fibre channels</translation>
    </message>
    <message>
        <source>主板</source>
        <translation>Main board</translation>
    </message>
    <message>
        <source>喷车板</source>
        <translation>Head board</translation>
    </message>
    <message>
        <source>主喷车板</source>
        <translation>Main carriage</translation>
    </message>
    <message>
        <source>副喷车板</source>
        <translation>Second carriage</translation>
    </message>
</context>
<context>
    <name>CPrtConfigDlg</name>
    <message>
        <source>开闪喷</source>
        <translation>Flash spit</translation>
    </message>
    <message>
        <source>通道1</source>
        <translation>CH1</translation>
    </message>
    <message>
        <source>通道2</source>
        <translation>CH2</translation>
    </message>
    <message>
        <source>通道3</source>
        <translation>CH3</translation>
    </message>
    <message>
        <source>通道4</source>
        <translation>CH4</translation>
    </message>
    <message>
        <source>读取参数</source>
        <translation>Read params</translation>
    </message>
    <message>
        <source>初始化动作设计</source>
        <translation>Init motion design</translation>
    </message>
    <message>
        <source>加载文件</source>
        <translation>Load file</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>另存为</source>
        <translation>Save as</translation>
    </message>
    <message>
        <source>清空</source>
        <translation>Clear</translation>
    </message>
</context>
</TS>
