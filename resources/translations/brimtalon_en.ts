<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="zh_CN">
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
