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
    <name>CCleanDownloadDlg</name>
    <message>
        <source>机型设置</source>
        <translation>Station</translation>
    </message>
    <message>
        <source>机型</source>
        <translation>Machine model</translation>
    </message>
    <message>
        <source>头数</source>
        <translation>Heads</translation>
    </message>
    <message>
        <source>墨栈类型</source>
        <translation>Ink stack type</translation>
    </message>
    <message>
        <source>刮片类型</source>
        <translation>Wiper type</translation>
    </message>
    <message>
        <source>电机类型</source>
        <translation>Motor type</translation>
    </message>
    <message>
        <source>新界面</source>
        <translation>New panel</translation>
    </message>
    <message>
        <source>单头</source>
        <translation>One head</translation>
    </message>
    <message>
        <source>双头</source>
        <translation>Two heads</translation>
    </message>
    <message>
        <source>升降式</source>
        <translation>Lifting</translation>
    </message>
    <message>
        <source>划靠式</source>
        <translation>Sliding</translation>
    </message>
    <message>
        <source>固定式</source>
        <translation>Fixed</translation>
    </message>
    <message>
        <source>非电磁阀</source>
        <translation>Non-solenoid</translation>
    </message>
    <message>
        <source>电磁阀</source>
        <translation>Solenoid</translation>
    </message>
    <message>
        <source>步进</source>
        <translation>Stepper</translation>
    </message>
    <message>
        <source>直流</source>
        <translation>DC</translation>
    </message>
    <message>
        <source>小车</source>
        <translation>Carriage</translation>
    </message>
    <message>
        <source>小车去刮片1位脉冲</source>
        <translation>Carriage to wiper 1</translation>
    </message>
    <message>
        <source>小车去刮片2位脉冲</source>
        <translation>Carriage to wiper 2</translation>
    </message>
    <message>
        <source>小车去刮墨1位脉冲</source>
        <translation>Carriage to scraper 1</translation>
    </message>
    <message>
        <source>小车去刮墨2位脉冲</source>
        <translation>Carriage to scraper 2</translation>
    </message>
    <message>
        <source>小车加速时间</source>
        <translation>Carriage acceleration</translation>
    </message>
    <message>
        <source>小车的最大速度</source>
        <translation>Carriage max. speed</translation>
    </message>
    <message>
        <source>闪喷距离</source>
        <translation>Flash distance</translation>
    </message>
    <message>
        <source>打印清洗位</source>
        <translation>Print cleaning pos.</translation>
    </message>
    <message>
        <source>刮片</source>
        <translation>Wiper</translation>
    </message>
    <message>
        <source>出刮片1时脉冲</source>
        <translation>Wiper out 1</translation>
    </message>
    <message>
        <source>回刮片1时脉冲</source>
        <translation>Wiper back 1</translation>
    </message>
    <message>
        <source>出刮片2时脉冲</source>
        <translation>Wiper out 2</translation>
    </message>
    <message>
        <source>回刮片2时脉冲</source>
        <translation>Wiper back 2</translation>
    </message>
    <message>
        <source>刮片的加速时间</source>
        <translation>Wiper acceleration</translation>
    </message>
    <message>
        <source>刮片的最大速度</source>
        <translation>Wiper max. speed</translation>
    </message>
    <message>
        <source>墨栈</source>
        <translation>Ink stack</translation>
    </message>
    <message>
        <source>平台闪喷的脉冲</source>
        <translation>Platform flash</translation>
    </message>
    <message>
        <source>平台下降的脉冲</source>
        <translation>Platform down</translation>
    </message>
    <message>
        <source>平台刮墨的脉冲</source>
        <translation>Platform scraping</translation>
    </message>
    <message>
        <source>平台的加速时间</source>
        <translation>Platform acceleration</translation>
    </message>
    <message>
        <source>平台吸墨的脉冲</source>
        <translation>Platform sucking</translation>
    </message>
    <message>
        <source>平台上升的脉冲</source>
        <translation>Platform up</translation>
    </message>
    <message>
        <source>平台的最大速度</source>
        <translation>Platform max. speed</translation>
    </message>
    <message>
        <source>闪喷的墨栈高度</source>
        <translation>Stack height, flash</translation>
    </message>
    <message>
        <source>刮墨时的墨栈高度</source>
        <translation>Stack height, scraping</translation>
    </message>
    <message>
        <source>墨栈下降的高度</source>
        <translation>Stack height, down</translation>
    </message>
    <message>
        <source>墨栈加速时间</source>
        <translation>Stack acceleration</translation>
    </message>
    <message>
        <source>吸墨时的墨栈高度</source>
        <translation>Stack height, sucking</translation>
    </message>
    <message>
        <source>待机时墨栈高度</source>
        <translation>Stack height, standby</translation>
    </message>
    <message>
        <source>墨栈的最大速度</source>
        <translation>Stack max. speed</translation>
    </message>
    <message>
        <source>运动参数</source>
        <translation>Motion</translation>
    </message>
    <message>
        <source>X齿轮比</source>
        <translation>X gear ratio</translation>
    </message>
    <message>
        <source>Y齿轮比</source>
        <translation>Y gear ratio</translation>
    </message>
    <message>
        <source>车头移动总长</source>
        <translation>Carriage travel</translation>
    </message>
    <message>
        <source>X打印速度</source>
        <translation>X print speed</translation>
    </message>
    <message>
        <source>Y打印速度</source>
        <translation>Y print speed</translation>
    </message>
    <message>
        <source>小车加速距离</source>
        <translation>Carriage acc. distance</translation>
    </message>
    <message>
        <source>X手移速度</source>
        <translation>X manual speed</translation>
    </message>
    <message>
        <source>Y手移速度</source>
        <translation>Y manual speed</translation>
    </message>
    <message>
        <source>走料加速距离</source>
        <translation>Feed acc. distance</translation>
    </message>
    <message>
        <source>直流电机</source>
        <translation>DC motor</translation>
    </message>
    <message>
        <source>清洗终止电平</source>
        <translation>Cleaning end level</translation>
    </message>
    <message>
        <source>起始电平</source>
        <translation>Start level</translation>
    </message>
    <message>
        <source>低速终止电平</source>
        <translation>Low speed end level</translation>
    </message>
    <message>
        <source>中速终止电平</source>
        <translation>Mid speed end level</translation>
    </message>
    <message>
        <source>低速频率</source>
        <translation>Low speed frequency</translation>
    </message>
    <message>
        <source>中速频率</source>
        <translation>Mid speed frequency</translation>
    </message>
    <message>
        <source>清洗时间</source>
        <translation>Cleaning times</translation>
    </message>
    <message>
        <source>普通抽墨时间</source>
        <translation>Normal suck</translation>
    </message>
    <message>
        <source>普通等待时间</source>
        <translation>Normal wait</translation>
    </message>
    <message>
        <source>普通抽墨垫时间</source>
        <translation>Normal pad suck</translation>
    </message>
    <message>
        <source>普通闪喷时间</source>
        <translation>Normal flash</translation>
    </message>
    <message>
        <source>普通闪喷间隔时间</source>
        <translation>Normal flash interval</translation>
    </message>
    <message>
        <source>深度抽墨时间</source>
        <translation>Deep suck</translation>
    </message>
    <message>
        <source>深度等待时间</source>
        <translation>Deep wait</translation>
    </message>
    <message>
        <source>深度抽墨垫时间</source>
        <translation>Deep pad suck</translation>
    </message>
    <message>
        <source>深度闪喷时间</source>
        <translation>Deep flash</translation>
    </message>
    <message>
        <source>深度闪喷间隔时间</source>
        <translation>Deep flash interval</translation>
    </message>
    <message>
        <source>闪喷开停次数</source>
        <translation>Flash on/off count</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>另保存</source>
        <translation>Save as</translation>
    </message>
    <message>
        <source>加载文件</source>
        <translation>Load file</translation>
    </message>
    <message>
        <source>下载参数</source>
        <translation>Download</translation>
    </message>
    <message>
        <source>初始化跳过</source>
        <translation>Skip initialisation</translation>
    </message>
</context>
<context>
    <name>MovementPage</name>
    <message>
        <source>加减速步数</source>
        <translation>Accel. steps</translation>
    </message>
    <message>
        <source>最大速度</source>
        <translation>Top speed</translation>
    </message>
    <message>
        <source>移动距离(脉冲)</source>
        <translation>Distance (pulses)</translation>
    </message>
    <message>
        <source>运动方向</source>
        <translation>Direction</translation>
    </message>
    <message>
        <source>(0-原点,1-终点)</source>
        <translation>(0-origin, 1-end)</translation>
    </message>
    <message>
        <source>X电机</source>
        <translation>X motor</translation>
    </message>
    <message>
        <source>Y电机</source>
        <translation>Y motor</translation>
    </message>
    <message>
        <source>Z电机</source>
        <translation>Z motor</translation>
    </message>
    <message>
        <source>M0电机</source>
        <translation>M0 motor</translation>
    </message>
    <message>
        <source>M1电机</source>
        <translation>M1 motor</translation>
    </message>
    <message>
        <source>X无刷电机</source>
        <translation>X DC motor</translation>
    </message>
    <message>
        <source>起动电压</source>
        <translation>Start voltage</translation>
    </message>
    <message>
        <source>终速电压</source>
        <translation>End voltage</translation>
    </message>
    <message>
        <source>PWM频率</source>
        <translation>PWM frequency</translation>
    </message>
    <message>
        <source>加速距离:</source>
        <translation>Accel. distance:</translation>
    </message>
    <message>
        <source>方向极性</source>
        <translation>Dir. polarity</translation>
    </message>
    <message>
        <source>限位极性</source>
        <translation>Limit polarity</translation>
    </message>
    <message>
        <source>左限位极性</source>
        <translation>Left limit</translation>
    </message>
    <message>
        <source>右限位极性</source>
        <translation>Right limit</translation>
    </message>
    <message>
        <source>上限位极性</source>
        <translation>Upper limit</translation>
    </message>
    <message>
        <source>下限位极性</source>
        <translation>Lower limit</translation>
    </message>
    <message>
        <source>限位使能</source>
        <translation>Limit enable</translation>
    </message>
    <message>
        <source>双Y</source>
        <translation>Dual Y</translation>
    </message>
    <message>
        <source>控制板</source>
        <translation>Control board</translation>
    </message>
    <message>
        <source>Z轴齿轮比:</source>
        <translation>Z gear ratio:</translation>
    </message>
    <message>
        <source>测试运动</source>
        <translation>Test motion</translation>
    </message>
    <message>
        <source>电机运动</source>
        <translation>Move motor</translation>
    </message>
    <message>
        <source>预览</source>
        <translation>Preview</translation>
    </message>
    <message>
        <source>电机停止</source>
        <translation>Stop motor</translation>
    </message>
    <message>
        <source>LED显示</source>
        <translation>LED display</translation>
    </message>
    <message>
        <source>增加</source>
        <translation>Add</translation>
    </message>
    <message>
        <source>删除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>删除 (测试表)</source>
        <translation>Delete (movetest)</translation>
    </message>
</context>
<context>
    <name>CCmdSetsDlg</name>
    <message>
        <source>添加</source>
        <translation>Add</translation>
    </message>
    <message>
        <source>删除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>上移</source>
        <translation>Up</translation>
    </message>
    <message>
        <source>下移</source>
        <translation>Down</translation>
    </message>
    <message>
        <source>编辑命令集</source>
        <translation>Edit command set</translation>
    </message>
    <message>
        <source>退出</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>红色的命令没有映像代码，下载时会被拒绝。</source>
        <translation>Commands in red have no image code; the download refuses them.</translation>
    </message>
</context>
<context>
    <name>velmor::gui::CmdSetsView</name>
    <message>
        <source>下载顺序</source>
        <translation>Download order</translation>
    </message>
    <message>
        <source>命令预览</source>
        <translation>Command preview</translation>
    </message>
</context>
<context>
    <name>CCmdEditDlg</name>
    <message>
        <source>编辑命令集</source>
        <translation>Edit command set</translation>
    </message>
    <message>
        <source>增加</source>
        <translation>Add</translation>
    </message>
    <message>
        <source>插入</source>
        <translation>Insert</translation>
    </message>
    <message>
        <source>修改</source>
        <translation>Modify</translation>
    </message>
    <message>
        <source>删除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>删除全部</source>
        <translation>Delete all</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>退出</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>红色的命令没有映像代码，下载时会被拒绝。</source>
        <translation>Commands in red have no image code; the download refuses them.</translation>
    </message>
</context>
<context>
    <name>velmor::gui::CmdEditView</name>
    <message>
        <source>序号</source>
        <translation>Number</translation>
    </message>
    <message>
        <source>命令</source>
        <translation>Command</translation>
    </message>
    <message>
        <source>目标寄存器名称</source>
        <translation>Target register name</translation>
    </message>
    <message>
        <source>目标地址</source>
        <translation>Target address</translation>
    </message>
    <message>
        <source>数据</source>
        <translation>Data</translation>
    </message>
    <message>
        <source>命令集名称:</source>
        <translation>Command set name:</translation>
    </message>
    <message>
        <source>现有命令集</source>
        <translation>Existing command sets</translation>
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
        <translation>Fiber channels</translation>
    </message>
    <message>
        <source>主板</source>
        <translation>Main board</translation>
    </message>
    <message>
        <source>喷车板</source>
        <translation>Head board</translation>
    </message>
</context>
<context>
    <name>CPrtConfigDlg</name>
    <message>
        <source>主喷车板</source>
        <translation>Main carriage</translation>
    </message>
    <message>
        <source>副喷车板</source>
        <translation>Second carriage</translation>
    </message>
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
