<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="zh_CN">
<context>
    <name>Controls</name>
    <message>
        <source>跳跃</source>
        <translation>Jump</translation>
    </message>
    <message>
        <source>下蹲</source>
        <translation>Duck</translation>
    </message>
    <message>
        <source>向左</source>
        <translation>Left</translation>
    </message>
    <message>
        <source>向右</source>
        <translation>Right</translation>
    </message>
    <message>
        <source>暂停</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>冲刺</source>
        <translation>Dash</translation>
    </message>
    <message>
        <source>死亡之眼</source>
        <translation>Dead Eye</translation>
    </message>
    <message>
        <source>开火</source>
        <translation>Fire</translation>
    </message>
    <message>
        <source>准星上移</source>
        <translation>Crosshair up</translation>
    </message>
    <message>
        <source>准星下移</source>
        <translation>Crosshair down</translation>
    </message>
    <message>
        <source>准星左移</source>
        <translation>Crosshair left</translation>
    </message>
    <message>
        <source>准星右移</source>
        <translation>Crosshair right</translation>
    </message>
    <message>
        <source>菜单上</source>
        <translation>Menu up</translation>
    </message>
    <message>
        <source>菜单下</source>
        <translation>Menu down</translation>
    </message>
    <message>
        <source>菜单左</source>
        <translation>Menu left</translation>
    </message>
    <message>
        <source>菜单右</source>
        <translation>Menu right</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>Confirm</translation>
    </message>
    <message>
        <source>返回</source>
        <translation>Back</translation>
    </message>
    <message>
        <source>十字键↑</source>
        <translation>D-pad ↑</translation>
    </message>
    <message>
        <source>十字键↓</source>
        <translation>D-pad ↓</translation>
    </message>
    <message>
        <source>十字键←</source>
        <translation>D-pad ←</translation>
    </message>
    <message>
        <source>十字键→</source>
        <translation>D-pad →</translation>
    </message>
    <message>
        <source>左摇杆←</source>
        <translation>L stick ←</translation>
    </message>
    <message>
        <source>左摇杆→</source>
        <translation>L stick →</translation>
    </message>
    <message>
        <source>左摇杆↑</source>
        <translation>L stick ↑</translation>
    </message>
    <message>
        <source>左摇杆↓</source>
        <translation>L stick ↓</translation>
    </message>
    <message>
        <source>右摇杆←</source>
        <translation>R stick ←</translation>
    </message>
    <message>
        <source>右摇杆→</source>
        <translation>R stick →</translation>
    </message>
    <message>
        <source>右摇杆↑</source>
        <translation>R stick ↑</translation>
    </message>
    <message>
        <source>右摇杆↓</source>
        <translation>R stick ↓</translation>
    </message>
    <message>
        <source>空格</source>
        <translation>Space</translation>
    </message>
</context>
<context>
    <name>EnvironmentSystem</name>
    <message>
        <source>恭喜，墨鲲又被您击退！
看来，今天恐龙还不会灭绝。。。
利用好收集到的能量精粹，
为明日的逃亡做好准备吧！</source>
        <translation>Congratulations! You drove the Mokun back once more!
It seems the dinosaurs won&apos;t die out today...
Make good use of the Energy Essence you gathered
and get ready for tomorrow&apos;s escape!</translation>
    </message>
</context>
<context>
    <name>OptionsScreen</name>
    <message>
        <source>音乐音量</source>
        <translation>Music volume</translation>
    </message>
    <message>
        <source>音效音量</source>
        <translation>Effects volume</translation>
    </message>
    <message>
        <source>全屏</source>
        <translation>Full screen</translation>
    </message>
    <message>
        <source>语言</source>
        <translation>Language</translation>
    </message>
    <message>
        <source>死亡之眼</source>
        <translation>Dead Eye</translation>
    </message>
    <message>
        <source>游戏速度</source>
        <translation>Game speed</translation>
    </message>
    <message>
        <source>恢复默认按键</source>
        <translation>Reset controls</translation>
    </message>
    <message>
        <source>返回</source>
        <translation>Back</translation>
    </message>
    <message>
        <source>开</source>
        <translation>On</translation>
    </message>
    <message>
        <source>关</source>
        <translation>Off</translation>
    </message>
    <message>
        <source>按一下开关</source>
        <translation>Press to toggle</translation>
    </message>
    <message>
        <source>按住</source>
        <translation>Hold</translation>
    </message>
    <message>
        <source>选项</source>
        <translation>Options</translation>
    </message>
    <message>
        <source>动作</source>
        <translation>Action</translation>
    </message>
    <message>
        <source>键盘</source>
        <translation>Keyboard</translation>
    </message>
    <message>
        <source>手柄</source>
        <translation>Gamepad</translation>
    </message>
    <message>
        <source>请按下新的键或手柄按钮…</source>
        <translation>Press a new key or pad button…</translation>
    </message>
</context>
<context>
    <name>StatusBar</name>
    <message>
        <source>弹药量</source>
        <translation>Ammo</translation>
    </message>
    <message>
        <source>死亡之眼</source>
        <translation>Eye</translation>
    </message>
    <message>
        <source>技能</source>
        <translation>Dash</translation>
    </message>
</context>
<context>
    <name>TutorialGuide</name>
    <message>
        <source>%1：跳跃</source>
        <translation>%1: jump</translation>
    </message>
    <message>
        <source>%1：下蹲 / 空中急降</source>
        <translation>%1: duck / drop fast</translation>
    </message>
    <message>
        <source>%1：左右移动</source>
        <translation>%1: walk left / right</translation>
    </message>
    <message>
        <source>%1：冲刺（无敌）</source>
        <translation>%1: dash (invincible)</translation>
    </message>
    <message>
        <source>%1：暂停</source>
        <translation>%1: pause</translation>
    </message>
</context>
<context>
    <name>Widget</name>
    <message>
        <source>恐龙，是怎么灭绝的？
天上掉下来的，
真的只是陨石吗？
恐怕未必。</source>
        <translation>How did the dinosaurs die out?
What fell from the sky,
was it really just a meteor?
Perhaps not.</translation>
    </message>
    <message>
        <source>轰击地球的,
不是石头。
是墨鲲的卵鞘，
来自深空。
墨鲲降临。</source>
        <translation>What struck the Earth
was not rock.
It was the egg pods of the Mokun,
from deep space.
The Mokun has come.</translation>
    </message>
    <message>
        <source>幼龙侵害万物。
植物、恐龙、其他生灵……
巨兽哀鸣倒地。
天空布满掠影。</source>
        <translation>Its young ravaged everything.
Plants, dinosaurs, every living thing...
Great beasts fell, wailing.
Shadows swept the sky.</translation>
    </message>
    <message>
        <source>世上生灵皆被异化，
你是唯一幸存者。
焦土中，残骸间。
背上，浮游炮…唯一伙伴。</source>
        <translation>Every creature on Earth was twisted.
You are the only survivor.
On scorched earth, among the wreckage.
On your back, the floating gun... your only companion.</translation>
    </message>
    <message>
        <source>它低鸣，警示。
绿光，在炮口闪烁。
快跑！急奔！
炮口旋转，锁定…
但墨鲲从来都不止一只。</source>
        <translation>It hums low, a warning.
Green light flickers at its muzzle.
Run! Run fast!
The muzzle turns, locks on...
But there is never just one Mokun.</translation>
    </message>
    <message>
        <source>逃亡，
已经开始。</source>
        <translation>The escape
has begun.</translation>
    </message>
    <message>
        <source>死亡之眼最大持续时间增加</source>
        <translation>Longer Dead Eye</translation>
    </message>
    <message>
        <source>浮游炮子弹容量增加</source>
        <translation>Bigger gun magazine</translation>
    </message>
    <message>
        <source>死亡之眼恢复速度增加</source>
        <translation>Faster Dead Eye recharge</translation>
    </message>
    <message>
        <source>浮游炮伤害增加</source>
        <translation>More gun damage</translation>
    </message>
    <message>
        <source>Widget</source>
        <translation>Widget</translation>
    </message>
    <message>
        <source>能量精粹</source>
        <translation>Energy Essence</translation>
    </message>
    <message>
        <source>当前等级为：%1</source>
        <translation>Current level: %1</translation>
    </message>
    <message>
        <source>升级效果:%1</source>
        <translation>Next upgrade: %1</translation>
    </message>
    <message>
        <source>升级所需能量精粹:%1</source>
        <translation>Cost: %1 Energy Essence</translation>
    </message>
    <message>
        <source>无法保存</source>
        <translation>Could not save</translation>
    </message>
</context>
</TS>
