<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP" sourcelanguage="en">
<context>
    <name>Veyra</name>
    <message>
        <source>Veyra Overlay</source>
        <translation>Veyra オーバーレイ</translation>
    </message>
    <message>
        <source>Edit Capture Areas</source>
        <translation>キャプチャ領域を編集</translation>
    </message>
    <message>
        <source>Game Notes</source>
        <translation>ゲームメモ</translation>
    </message>
    <message>
        <source>Software Update</source>
        <translation>ソフトウェア・アップデート</translation>
    </message>
</context>
</TS>
