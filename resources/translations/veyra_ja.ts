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
        <source>The file “%@” couldn't be read.</source>
        <translation>ファイル「%@」を読み込めませんでした。</translation>
    </message>
    <message>
        <source>The folder “%@” couldn't be created.</source>
        <translation>フォルダ「%@」を作成できませんでした。</translation>
    </message>
    <message>
        <source>The file “%@” couldn't be saved.</source>
        <translation>ファイル「%@」を保存できませんでした。</translation>
    </message>
    <message>
        <source>The saved capture areas use an unsupported format.</source>
        <translation>保存されたキャプチャ領域は、サポートされていない形式です。</translation>
    </message>
    <message>
        <source>The saved capture areas use an unsupported coordinate mode.</source>
        <translation>保存されたキャプチャ領域は、サポートされていない座標モードを使用しています。</translation>
    </message>
    <message>
        <source>Add at least one capture area before saving.</source>
        <translation>保存する前に、キャプチャ領域を1つ以上追加してください。</translation>
    </message>
    <message>
        <source>Box IDs may contain only letters, numbers, underscores, and hyphens.</source>
        <translation>ボックスIDには、英字、数字、アンダースコア、ハイフンのみ使用できます。</translation>
    </message>
    <message>
        <source>Each box ID must be unique.</source>
        <translation>ボックスIDはそれぞれ異なるものにしてください。</translation>
    </message>
    <message>
        <source>Choose a background for %@ before saving.</source>
        <translation>保存する前に、%@ の背景を選択してください。</translation>
    </message>
    <message>
        <source>Veyra couldn't save the capture areas: %@</source>
        <translation>Veyraはキャプチャ領域を保存できませんでした: %@</translation>
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
    <message>
        <source>Couldn't report this translation. Try again later.</source>
        <translation>この翻訳を報告できませんでした。しばらくしてからもう一度お試しください。</translation>
    </message>
</context>
</TS>
