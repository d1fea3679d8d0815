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
        <source>Veyra couldn't load the running window list. Refresh the list and try again.</source>
        <translation>Veyraは実行中のウインドウの一覧を読み込めませんでした。一覧を更新して、もう一度お試しください。</translation>
    </message>
    <message>
        <source>(Untitled)</source>
        <translation>(名称未設定)</translation>
    </message>
    <message>
        <source>Screen Recording Permission Granted</source>
        <translation>画面収録の権限が許可されました</translation>
    </message>
    <message>
        <source>Quit and reopen %@ to load available windows.</source>
        <translation>使用可能なウインドウを読み込むには、%@を終了してから再度開いてください。</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>終了</translation>
    </message>
</context>
</TS>
