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
    <message>
        <source>The selected window is no longer available.</source>
        <translation>選択したウインドウは使用できなくなりました。</translation>
    </message>
    <message>
        <source>Veyra couldn't capture the selected window.</source>
        <translation>Veyraは選択したウインドウをキャプチャできませんでした。</translation>
    </message>
    <message>
        <source>The request to the server timed out.</source>
        <translation>サーバーへのリクエストがタイムアウトしました。</translation>
    </message>
    <message>
        <source>The server's response was too large.</source>
        <translation>サーバーからの応答が大きすぎます。</translation>
    </message>
    <message>
        <source>Veyra couldn't reach the server: %@</source>
        <translation>Veyraはサーバーに接続できませんでした: %@</translation>
    </message>
</context>
</TS>
