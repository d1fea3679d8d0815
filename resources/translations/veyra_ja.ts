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
    </message>
    <message>
        <source>Veyra couldn't save its settings.</source>
        <translation>Veyraは設定を保存できませんでした。</translation>
    </message>
    <message>
        <source>%@ Veyra tries again with every change; until that works, changed settings are lost when Veyra quits.</source>
        <translation>%@ Veyraは変更のたびに保存をやり直します。保存できるまでは、変更した設定はVeyraを終了すると失われます。</translation>
    </message>
    <message>
        <source>%@ Veyra keeps its settings in memory only for this run: changed settings are lost when Veyra quits.</source>
        <translation>%@ Veyraは今回の実行中、設定をメモリにだけ保持します。変更した設定はVeyraを終了すると失われます。</translation>
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
    <message>
        <source>The saved game notes use an unsupported format.</source>
        <translation>保存されたゲームメモの形式はサポートされていません。</translation>
    </message>
    <message>
        <source>Veyra couldn't save the note: %@</source>
        <translation>Veyraはメモを保存できませんでした: %@</translation>
    </message>
    <message>
        <source>Try Again</source>
        <translation>再試行</translation>
    </message>
    <message>
        <source>Saving…</source>
        <translation>保存中…</translation>
    </message>
    <message>
        <source>Changes are saved automatically.</source>
        <translation>変更は自動的に保存されます。</translation>
    </message>
    <message>
        <source>No Game Notes</source>
        <translation>ゲームメモはありません</translation>
    </message>
    <message>
        <source>Add a note from the overlay while playing a game.</source>
        <translation>ゲームのプレイ中にオーバーレイからメモを追加できます。</translation>
    </message>
    <message>
        <source>Just now</source>
        <translation>たった今</translation>
    </message>
    <message>
        <source>%@ min ago</source>
        <translation>%@分前</translation>
    </message>
    <message>
        <source>%@ hr ago</source>
        <translation>%@時間前</translation>
    </message>
    <message>
        <source>1 day ago</source>
        <translation>1日前</translation>
    </message>
    <message>
        <source>%@ days ago</source>
        <translation>%@日前</translation>
    </message>
    <message>
        <source>Authentication was rejected. Please sign in again.</source>
        <translation>認証が拒否されました。もう一度サインインしてください。</translation>
    </message>
    <message>
        <source>The saved session couldn't be accessed.</source>
        <translation>保存されたセッションにアクセスできませんでした。</translation>
    </message>
    <message>
        <source>Google authentication isn't configured for this build.</source>
        <translation>このビルドではGoogle認証が設定されていません。</translation>
    </message>
    <message>
        <source>The authentication server returned an invalid response.</source>
        <translation>認証サーバーから無効な応答が返されました。</translation>
    </message>
    <message>
        <source>Web registration is required before signing in to the app.</source>
        <translation>アプリにサインインする前に、Webでの登録が必要です。</translation>
    </message>
    <message>
        <source>Authentication is temporarily unavailable. Try again.</source>
        <translation>認証は一時的に利用できません。もう一度お試しください。</translation>
    </message>
    <message>
        <source>No saved session is available.</source>
        <translation>保存されたセッションはありません。</translation>
    </message>
    <message>
        <source>Google sign-in couldn't be completed. Try again.</source>
        <translation>Googleサインインを完了できませんでした。もう一度お試しください。</translation>
    </message>
    <message>
        <source>Veyra couldn't identify the selected application.</source>
        <translation>Veyraは選択したアプリケーションを識別できませんでした。</translation>
    </message>
    <message>
        <source>Veyra couldn't analyze this background point.</source>
        <translation>Veyraはこの背景の位置を分析できませんでした。</translation>
    </message>
    <message>
        <source>Dialogue Search</source>
        <translation>セリフ検索</translation>
    </message>
    <message>
        <source>Use the eyedropper and click a clean, text-free part of the dialogue background.</source>
        <translation>スポイトで、セリフの背景のうち文字のないきれいな部分をクリックしてください。</translation>
    </message>
    <message>
        <source>Left</source>
        <translation>左</translation>
    </message>
    <message>
        <source>Top</source>
        <translation>上</translation>
    </message>
    <message>
        <source>Width</source>
        <translation>幅</translation>
    </message>
    <message>
        <source>Height</source>
        <translation>高さ</translation>
    </message>
    <message>
        <source>Capture Area</source>
        <translation>キャプチャ領域</translation>
    </message>
    <message>
        <source>Box ID</source>
        <translation>ボックスID</translation>
    </message>
    <message>
        <source>Selected region</source>
        <translation>選択した領域</translation>
    </message>
    <message>
        <source>Background</source>
        <translation>背景</translation>
    </message>
    <message>
        <source>Blue marks a rough search area. Each box keeps its own sampled background color.</source>
        <translation>青は大まかな検索領域を示します。各ボックスは、それぞれ抽出した背景色を保持します。</translation>
    </message>
    <message>
        <source>Select a capture area to edit it.</source>
        <translation>編集するキャプチャ領域を選択してください。</translation>
    </message>
    <message>
        <source>Choose a more uniform background point for reliable detection.</source>
        <translation>確実に検出できるよう、より均一な背景の位置を選択してください。</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>キャンセル</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>保存</translation>
    </message>
    <message>
        <source>Editing Guide</source>
        <translation>編集ガイド</translation>
    </message>
    <message>
        <source>Add Area</source>
        <translation>領域を追加</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>削除</translation>
    </message>
    <message>
        <source>Capturing the selected window…</source>
        <translation>選択したウインドウをキャプチャしています…</translation>
    </message>
    <message>
        <source>Choose Another Window</source>
        <translation>別のウインドウを選択</translation>
    </message>
    <message>
        <source>Click Background…</source>
        <translation>背景をクリック…</translation>
    </message>
    <message>
        <source>Pick Background</source>
        <translation>背景を選択</translation>
    </message>
    <message>
        <source>Nothing to report, Captain!</source>
        <translation>異常ありません、船長！</translation>
    </message>
    <message>
        <source>Draw each Dialogue Search area generously around the dialogue window. It does not need to fit exactly.</source>
        <translation>各セリフ検索領域は、会話ウインドウの周りに余裕を持って描いてください。ぴったり合わせる必要はありません。</translation>
    </message>
    <message>
        <source>Select a box, then use the eyedropper on a clean, text-free part of that box's dialogue background.</source>
        <translation>ボックスを選択し、スポイトでそのボックスのセリフの背景のうち文字のないきれいな部分を選んでください。</translation>
    </message>
    <message>
        <source>If dialogue areas do not appear together, save one now and add the next when it appears later.</source>
        <translation>セリフの領域が同時に表示されない場合は、今ひとつ保存し、次の領域は後で表示されたときに追加してください。</translation>
    </message>
    <message>
        <source>Show Veyra where dialogue appears</source>
        <translation>セリフが表示される場所をVeyraに教えましょう</translation>
    </message>
    <message>
        <source>Done</source>
        <translation>完了</translation>
    </message>
    <message>
        <source>Couldn't report this translation. Try again later.</source>
        <translation>この翻訳を報告できませんでした。しばらくしてからもう一度お試しください。</translation>
    </message>
    <message>
        <source>Installing update…</source>
        <translation>アップデートをインストール中…</translation>
    </message>
    <message>
        <source>Veyra will restart when the update is installed.</source>
        <translation>アップデートのインストールが終わるとVeyraが再起動します。</translation>
    </message>
    <message>
        <source>Downloading update…</source>
        <translation>アップデートをダウンロード中…</translation>
    </message>
    <message>
        <source>%@ of %@</source>
        <translation>%@ / %@</translation>
    </message>
    <message>
        <source>A new version of Veyra is available.</source>
        <translation>Veyraの新しいバージョンがあります。</translation>
    </message>
    <message>
        <source>Veyra %@ is available. You have %@.</source>
        <translation>Veyra %@ が利用可能です。現在のバージョンは %@ です。</translation>
    </message>
    <message>
        <source>Release Notes</source>
        <translation>リリースノート</translation>
    </message>
    <message>
        <source>Release notes are unavailable.</source>
        <translation>リリースノートを表示できません。</translation>
    </message>
    <message>
        <source>Loading release notes…</source>
        <translation>リリースノートを読み込み中…</translation>
    </message>
    <message>
        <source>Update</source>
        <translation>アップデート</translation>
    </message>
    <message>
        <source>You're up to date!</source>
        <translation>最新の状態です！</translation>
    </message>
    <message>
        <source>Veyra %@ is currently the newest version available.</source>
        <translation>Veyra %@ は現在利用できる最新バージョンです。</translation>
    </message>
    <message>
        <source>Update Error</source>
        <translation>アップデートエラー</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Software updates aren't set up for this copy of Veyra.</source>
        <translation>このVeyraではソフトウェアアップデートが設定されていません。</translation>
    </message>
    <message>
        <source>Veyra couldn't check for updates. Check your internet connection and try again.</source>
        <translation>Veyraはアップデートを確認できませんでした。インターネット接続を確認して、もう一度お試しください。</translation>
    </message>
    <message>
        <source>The update information couldn't be read. Try again later.</source>
        <translation>アップデート情報を読み込めませんでした。しばらくしてからもう一度お試しください。</translation>
    </message>
    <message>
        <source>Veyra couldn't download the update. Check your internet connection and try again.</source>
        <translation>Veyraはアップデートをダウンロードできませんでした。インターネット接続を確認して、もう一度お試しください。</translation>
    </message>
    <message>
        <source>Veyra couldn't save the update in “%@”.</source>
        <translation>Veyraはアップデートを「%@」に保存できませんでした。</translation>
    </message>
    <message>
        <source>The update needs %@ MB, but only %@ MB are free.</source>
        <translation>アップデートには %@ MB が必要ですが、空き容量は %@ MB しかありません。</translation>
    </message>
    <message>
        <source>The downloaded update isn't signed correctly, so Veyra didn't install it.</source>
        <translation>ダウンロードしたアップデートの署名が正しくないため、Veyraはインストールしませんでした。</translation>
    </message>
    <message>
        <source>Veyra couldn't install the update.</source>
        <translation>Veyraはアップデートをインストールできませんでした。</translation>
    </message>
    <message>
        <source>This copy of Veyra can't update itself. The download page has opened in your browser.</source>
        <translation>このVeyraは自動でアップデートできません。ブラウザでダウンロードページを開きました。</translation>
    </message>
    <message>
        <source>Checking the app version…</source>
        <translation>アプリのバージョンを確認中…</translation>
    </message>
    <message>
        <source>Veyra will continue after confirming this version is supported.</source>
        <translation>このバージョンがサポートされていることを確認してから、Veyraを続行します。</translation>
    </message>
    <message>
        <source>The app version couldn't be verified.</source>
        <translation>アプリのバージョンを確認できませんでした。</translation>
    </message>
    <message>
        <source>Check your internet connection and try again.</source>
        <translation>インターネット接続を確認して、もう一度お試しください。</translation>
    </message>
    <message>
        <source>Update Veyra to continue.</source>
        <translation>続行するにはVeyraをアップデートしてください。</translation>
    </message>
    <message>
        <source>This version is no longer supported. Update and restart Veyra.</source>
        <translation>このバージョンはサポートが終了しました。アップデートしてVeyraを再起動してください。</translation>
    </message>
    <message>
        <source>The update couldn't be installed.</source>
        <translation>アップデートをインストールできませんでした。</translation>
    </message>
    <message>
        <source>Try again or download the latest Veyra from the website.</source>
        <translation>もう一度お試しいただくか、Webサイトから最新のVeyraをダウンロードしてください。</translation>
    </message>
    <message>
        <source>Current version: %@</source>
        <translation>現在のバージョン: %@</translation>
    </message>
    <message>
        <source>Requires Veyra %@ or later</source>
        <translation>Veyra %@ 以降が必要です</translation>
    </message>
    <message>
        <source>Download from Website</source>
        <translation>Webサイトからダウンロード</translation>
    </message>
    <message>
        <source>Quit Veyra</source>
        <translation>Veyraを終了</translation>
    </message>
    <message>
        <source>Waiting for dialogue…</source>
        <translation>台詞を待っています…</translation>
    </message>
    <message>
        <source>Veyra Translation</source>
        <translation>Veyra 翻訳</translation>
    </message>
    <message>
        <source>Translating…</source>
        <translation>翻訳中…</translation>
    </message>
    <message>
        <source>Capture areas required</source>
        <translation>キャプチャ領域が必要です</translation>
    </message>
    <message>
        <source>Add at least one capture area before capture can start.</source>
        <translation>キャプチャを開始するには、キャプチャ領域を1つ以上追加してください。</translation>
    </message>
    <message>
        <source>Edit Capture Areas…</source>
        <translation>キャプチャ領域を編集…</translation>
    </message>
    <message>
        <source>Capture areas unavailable</source>
        <translation>キャプチャ領域を利用できません</translation>
    </message>
    <message>
        <source>Capture window unavailable</source>
        <translation>キャプチャするウインドウを利用できません</translation>
    </message>
    <message>
        <source>Veyra needs your help</source>
        <translation>Veyra にはあなたの助けが必要です</translation>
    </message>
    <message>
        <source>Report a Translation Error</source>
        <translation>翻訳エラーを報告</translation>
    </message>
    <message>
        <source>Select the translation that should be reported.</source>
        <translation>報告する翻訳を選択してください。</translation>
    </message>
    <message>
        <source>Review the OCR text and translation before reporting.</source>
        <translation>報告する前に OCR テキストと翻訳を確認してください。</translation>
    </message>
    <message>
        <source>Reporting sends the captured game window used for this OCR text to the server and stores it for review.</source>
        <translation>報告すると、この OCR テキストに使われたゲームウインドウのキャプチャがサーバーに送信され、確認のために保存されます。</translation>
    </message>
    <message>
        <source>OCR text</source>
        <translation>OCR テキスト</translation>
    </message>
    <message>
        <source>General</source>
        <translation>一般</translation>
    </message>
    <message>
        <source>Account</source>
        <translation>アカウント</translation>
    </message>
    <message>
        <source>Overlay</source>
        <translation>オーバーレイ</translation>
    </message>
    <message>
        <source>Reset Settings…</source>
        <translation>設定をリセット…</translation>
    </message>
    <message>
        <source>Version %@ (%@)</source>
        <translation>バージョン %@ (%@)</translation>
    </message>
    <message>
        <source>Interface</source>
        <translation>インターフェイス</translation>
    </message>
    <message>
        <source>Translation</source>
        <translation>翻訳</translation>
    </message>
    <message>
        <source>Report</source>
        <translation>報告</translation>
    </message>
    <message>
        <source>Reporting…</source>
        <translation>報告中…</translation>
    </message>
    <message>
        <source>Game Note</source>
        <translation>ゲームメモ</translation>
    </message>
    <message>
        <source>Report Translation Error</source>
        <translation>翻訳エラーを報告</translation>
    </message>
    <message>
        <source>Move Overlay</source>
        <translation>オーバーレイを移動</translation>
    </message>
    <message>
        <source>Resize Overlay</source>
        <translation>オーバーレイのサイズを変更</translation>
    </message>
    <message>
        <source>Veyra couldn't open your web browser for Google sign-in.</source>
        <translation>Googleサインインのためにウェブブラウザを開けませんでした。</translation>
    </message>
    <message>
        <source>Veyra couldn't prepare Google sign-in. Try again.</source>
        <translation>VeyraはGoogleサインインを準備できませんでした。もう一度お試しください。</translation>
    </message>
    <message>
        <source>Veyra couldn't reach Google. Check your connection and try again.</source>
        <translation>VeyraはGoogleに接続できませんでした。接続を確認して、もう一度お試しください。</translation>
    </message>
    <message>
        <source>Google refused the sign-in request. Try again later.</source>
        <translation>Googleがサインインのリクエストを拒否しました。しばらくしてからもう一度お試しください。</translation>
    </message>
    <message>
        <source>You can close this page and return to Veyra.</source>
        <translation>このページを閉じてVeyraに戻ってください。</translation>
    </message>
    <message>
        <source>The access server configuration is invalid.</source>
        <translation>アカウントサーバーの設定が無効です。</translation>
    </message>
    <message>
        <source>The access server returned an invalid response.</source>
        <translation>アカウントサーバーから無効な応答が返されました。</translation>
    </message>
    <message>
        <source>Translate dialogue and understand your game without leaving the moment.</source>
        <translation>ゲームの手を止めずに、セリフを翻訳して理解しましょう。</translation>
    </message>
    <message>
        <source>Restoring your session…</source>
        <translation>セッションを復元しています…</translation>
    </message>
    <message>
        <source>Signing in…</source>
        <translation>サインインしています…</translation>
    </message>
    <message>
        <source>Veyra is available to users aged 14 and older. Review the Terms of Service and privacy consent on the web, complete sign-up, then return to the app and try Google sign-in again.</source>
        <translation>Veyraは14歳以上の方がご利用いただけます。Webで利用規約とプライバシーに関する同意内容を確認して登録を完了し、アプリに戻ってもう一度Googleでサインインしてください。</translation>
    </message>
    <message>
        <source>The authentication server is temporarily unavailable. Your saved session is still on this computer.</source>
        <translation>認証サーバーは一時的に利用できません。保存されたセッションはこのコンピュータに残っています。</translation>
    </message>
    <message>
        <source>The keyring that keeps your sign-in isn't answering or is locked. Your saved session is still on this computer.</source>
        <translation>サインイン情報を保管しているキーリングが応答しないか、ロックされています。保存されたセッションはこのコンピュータに残っています。</translation>
    </message>
    <message>
        <source>WEB REGISTRATION REQUIRED</source>
        <translation>WEB登録が必要です</translation>
    </message>
    <message>
        <source>Sign up on the web first</source>
        <translation>まずWebで登録してください</translation>
    </message>
    <message>
        <source>YOUR AI GAMING COMPANION</source>
        <translation>あなたのAIゲームコンパニオン</translation>
    </message>
    <message>
        <source>Just play. Veyra’s got you.</source>
        <translation>プレイに集中。あとはVeyraにおまかせ。</translation>
    </message>
    <message>
        <source>Sign in with Google</source>
        <translation>Googleでログイン</translation>
    </message>
    <message>
        <source>In progress</source>
        <translation>処理中</translation>
    </message>
    <message>
        <source>Accounts aren't created in the app</source>
        <translation>アカウントはアプリでは作成されません</translation>
    </message>
    <message>
        <source>Sign-up is completed on the web so required consent records can be managed in one place.</source>
        <translation>必要な同意の記録を一か所で管理できるよう、登録はWebで行います。</translation>
    </message>
    <message>
        <source>Sign Up on the Web</source>
        <translation>Webで登録</translation>
    </message>
    <message>
        <source>Try Google Sign-In Again</source>
        <translation>もう一度Googleでサインイン</translation>
    </message>
    <message>
        <source>Sign in once. Come back automatically.</source>
        <translation>一度サインインすれば、次回からは自動でサインインします。</translation>
    </message>
    <message>
        <source>Finishing sign-up won't automatically sign you in to the app.</source>
        <translation>登録を完了しても、アプリに自動でサインインされるわけではありません。</translation>
    </message>
    <message>
        <source>Interface language</source>
        <translation>インターフェイスの言語</translation>
    </message>
    <message>
        <source>Target language</source>
        <translation>翻訳先の言語</translation>
    </message>
    <message>
        <source>Korean</source>
        <translation>韓国語</translation>
    </message>
    <message>
        <source>Japanese</source>
        <translation>日本語</translation>
    </message>
    <message>
        <source>English</source>
        <translation>英語</translation>
    </message>
    <message>
        <source>Reset settings?</source>
        <translation>設定をリセットしますか？</translation>
    </message>
    <message>
        <source>This resets language, opacity, and text sizes to their defaults.</source>
        <translation>言語、不透明度、文字サイズがデフォルトに戻ります。</translation>
    </message>
    <message>
        <source>Reset</source>
        <translation>リセット</translation>
    </message>
    <message>
        <source>Background opacity</source>
        <translation>背景の不透明度</translation>
    </message>
    <message>
        <source>OCR text size</source>
        <translation>OCRの文字サイズ</translation>
    </message>
    <message>
        <source>Translation text size</source>
        <translation>翻訳の文字サイズ</translation>
    </message>
    <message>
        <source>%d%%</source>
        <translation>%d%%</translation>
    </message>
    <message>
        <source>%d pt</source>
        <translation>%d pt</translation>
    </message>
    <message>
        <source>The selected window is no longer available. Refresh the list and select it again.</source>
        <translation>選択したウィンドウは使用できなくなりました。リストを更新して、もう一度選択してください。</translation>
    </message>
    <message numerus="yes">
        <source>%n windows</source>
        <translation>
            <numerusform>%n 個のウィンドウ</numerusform>
        </translation>
    </message>
    <message>
        <source>Open the game you want to translate first.</source>
        <translation>翻訳したいゲームを先に起動してください。</translation>
    </message>
    <message>
        <source>This is not a supported-games catalog. It shows apps and windows currently open on this computer.</source>
        <translation>対応ゲームの一覧ではありません。現在このコンピューターで開いているアプリとウィンドウを表示しています。</translation>
    </message>
    <message>
        <source>If the game is already running but missing, choose Refresh.</source>
        <translation>ゲームが起動しているのに表示されない場合は、「更新」を選んでください。</translation>
    </message>
    <message>
        <source>Loading windows…</source>
        <translation>ウィンドウを読み込み中…</translation>
    </message>
    <message>
        <source>Refresh</source>
        <translation>更新</translation>
    </message>
    <message>
        <source>Open Web Account</source>
        <translation>Webアカウントを開く</translation>
    </message>
    <message>
        <source>Customer Support</source>
        <translation>カスタマーサポート</translation>
    </message>
    <message>
        <source>Refreshing account…</source>
        <translation>アカウントを更新中…</translation>
    </message>
    <message>
        <source>Veyra couldn't refresh your account. Try again.</source>
        <translation>Veyraはアカウントを更新できませんでした。もう一度お試しください。</translation>
    </message>
    <message>
        <source>Veyra couldn't load the capture areas: %@</source>
        <translation>Veyraはキャプチャ領域を読み込めませんでした: %@</translation>
    </message>
    <message>
        <source>Play with Veyra</source>
        <translation>Veyra でプレイ</translation>
    </message>
    <message>
        <source>No selectable windows were found. Open the game you want to translate, then refresh the list.</source>
        <translation>選択できるウィンドウが見つかりませんでした。翻訳したいゲームを起動してから、リストを更新してください。</translation>
    </message>
    <message>
        <source>Game Notes…</source>
        <translation>ゲームメモ…</translation>
    </message>
    <message>
        <source>Check for Updates…</source>
        <translation>アップデートを確認…</translation>
    </message>
    <message>
        <source>Settings…</source>
        <translation>設定…</translation>
    </message>
    <message>
        <source>Log Out</source>
        <translation>ログアウト</translation>
    </message>
    <message>
        <source>Bring Veyra in</source>
        <translation>Veyra を準備する</translation>
    </message>
    <message>
        <source>%@ can't capture game windows on this display: its X server runs without the Composite extension. Turn Composite on in the X server's configuration, then quit and reopen %@.</source>
        <translation>このディスプレイでは %@ がゲームのウィンドウをキャプチャできません。X サーバーが Composite 拡張なしで動作しています。X サーバーの設定で Composite を有効にしてから、%@ を終了して開き直してください。</translation>
    </message>
    <message>
        <source>Ready</source>
        <translation>完了</translation>
    </message>
    <message>
        <source>Current step</source>
        <translation>現在のステップ</translation>
    </message>
    <message>
        <source>Sign in</source>
        <translation>サインイン</translation>
    </message>
    <message>
        <source>Allow screen access</source>
        <translation>画面へのアクセスを許可</translation>
    </message>
    <message>
        <source>Choose your game</source>
        <translation>ゲームを選択</translation>
    </message>
    <message>
        <source>Allow Screen Access</source>
        <translation>画面へのアクセスを許可</translation>
    </message>
    <message>
        <source>%@ needs screen recording access to list and capture the window you select.</source>
        <translation>%@ がウィンドウを一覧表示し、選択したウィンドウをキャプチャするには、画面収録へのアクセスが必要です。</translation>
    </message>
    <message>
        <source>Which game are we playing?</source>
        <translation>どのゲームをプレイしますか？</translation>
    </message>
    <message>
        <source>Choose the window Veyra should watch and translate.</source>
        <translation>Veyra が監視して翻訳するウィンドウを選択してください。</translation>
    </message>
    <message>
        <source>Checking screen recording permission…</source>
        <translation>画面収録の権限を確認中…</translation>
    </message>
    <message>
        <source>Requesting screen recording permission…</source>
        <translation>画面収録の権限をリクエスト中…</translation>
    </message>
    <message>
        <source>R %@  G %@  B %@</source>
        <translation>R %@  G %@  B %@</translation>
    </message>
    <message>
        <source>Next step</source>
        <translation>次のステップ</translation>
    </message>
    <message>
        <source>No Note Selected</source>
        <translation>メモが選択されていません</translation>
    </message>
    <message>
        <source>Choose a note in the list to read or edit it.</source>
        <translation>リストからメモを選択すると、表示や編集ができます。</translation>
    </message>
    <message>
        <source>It is a folder, not a file.</source>
        <translation>フォルダであり、ファイルではありません。</translation>
    </message>
    <message>
        <source>It is a named pipe, a device or a socket, not a regular file.</source>
        <translation>通常のファイルではなく、名前付きパイプ、デバイス、またはソケットです。</translation>
    </message>
    <message>
        <source>It is a link to “%@”, which doesn't exist.</source>
        <translation>存在しない「%@」へのリンクです。</translation>
    </message>
    <message>
        <source>It is larger than %@ MB.</source>
        <translation>%@ MBを超えています。</translation>
    </message>
    <message>
        <source>Only %@ of %@ bytes could be written.</source>
        <translation>%@ バイトしか書き込めませんでした（全体は %@ バイト）。</translation>
    </message>
    <message>
        <source>Another program kept changing it while Veyra was saving it.</source>
        <translation>Veyra が保存している間に、別のプログラムがこのファイルを変更し続けました。</translation>
    </message>
    <message>
        <source>No space left on device</source>
        <translation>ディスクに空き容量がありません</translation>
    </message>
    <message>
        <source>Read-only file system</source>
        <translation>読み取り専用のファイルシステムです</translation>
    </message>
    <message>
        <source>Permission denied</source>
        <translation>アクセス権がありません</translation>
    </message>
    <message>
        <source>Operation not permitted</source>
        <translation>この操作は許可されていません</translation>
    </message>
    <message>
        <source>Disk quota exceeded</source>
        <translation>ディスク使用量の割り当てを超えました</translation>
    </message>
    <message>
        <source>Input/output error</source>
        <translation>ディスクの入出力エラーが発生しました</translation>
    </message>
    <message>
        <source>It is damaged and couldn't be moved aside.</source>
        <translation>破損しており、別の場所に移せませんでした。</translation>
    </message>
    <message>
        <source>It is damaged and couldn't be moved aside, so Veyra writes nothing over it.</source>
        <translation>破損しており別の場所に移せなかったため、Veyraはその上に何も書き込みません。</translation>
    </message>
    <message>
        <source>Only part of the settings could be written.</source>
        <translation>設定の一部しか書き込めませんでした。</translation>
    </message>
    <message>
        <source>The new file couldn't take the place of the old one.</source>
        <translation>新しいファイルで古いファイルを置き換えられませんでした。</translation>
    </message>
    <message>
        <source>The file or its lock file couldn't be opened.</source>
        <translation>ファイルまたはそのロックファイルを開けませんでした。</translation>
    </message>
    <message>
        <source>The notes would take more than %@ MB.</source>
        <translation>メモが %@ MBを超えてしまいます。</translation>
    </message>
    <message>
        <source>The game notes file “%@” is damaged, so Veyra left it as it is.</source>
        <translation>ゲームメモのファイル「%@」が破損しているため、Veyraはそのままにしました。</translation>
    </message>
    <message>
        <source>Veyra couldn't save the note: %@ What you typed is kept in “%@”.</source>
        <translation>Veyraはメモを保存できませんでした: %@ 入力した内容は「%@」に保管されています。</translation>
    </message>
    <message>
        <source>A note holds %@ characters, more than the %@ a note may hold.</source>
        <translation>メモが %@ 文字あり、1つのメモに入れられる %@ 文字を超えています。</translation>
    </message>
    <message>
        <source>A note's date “%@” is not of the form YYYY-MM-DDTHH:MM:SSZ.</source>
        <translation>メモの日時「%@」が YYYY-MM-DDTHH:MM:SSZ の形式ではありません。</translation>
    </message>
    <message>
        <source>Two notes belong to the window “%@”.</source>
        <translation>ウィンドウ「%@」のメモが2つあります。</translation>
    </message>
    <message>
        <source>Your notes were also changed elsewhere (on another computer, say): where the same note was changed on both sides, Veyra kept both texts in it, the newest first.</source>
        <translation>メモはほかの場所(別のコンピューターなど)でも変更されました。同じメモが両方で変更された場合、Veyra は両方の内容を新しい順にそのメモに残しました。</translation>
    </message>
    <message>
        <source>Another program kept changing the game notes file “%@” while Veyra was saving the notes.</source>
        <translation>Veyraがメモを保存している間に、ほかのプログラムがゲームメモのファイル「%@」を変更し続けました。</translation>
    </message>
    <message>
        <source>The notes kept aside earlier are back in your notes.</source>
        <translation>以前に別に保管されていたメモをメモに戻しました。</translation>
    </message>
    <message>
        <source>Some notes kept beside “%@” couldn't be brought back, so Veyra left their files as they are.</source>
        <translation>「%@」の横に保管されていたメモの一部を戻せなかったため、Veyraはそのファイルをそのままにしました。</translation>
    </message>
    <message>
        <source>The notes kept aside earlier are back in your notes, but some kept beside “%@” couldn't be brought back, so Veyra left their files as they are.</source>
        <translation>以前に別に保管されていたメモをメモに戻しましたが、「%@」の横に保管されていたメモの一部は戻せなかったため、Veyraはそのファイルをそのままにしました。</translation>
    </message>
    <message>
        <source>Veyra couldn't save the note: %@ What you typed is kept in the files from “%@” to “%@”.</source>
        <translation>Veyraはメモを保存できませんでした: %@ 入力した内容は「%@」から「%@」までのファイルに保管されています。</translation>
    </message>
    <message>
        <source>Veyra couldn't save the note: %@ Nor could it keep what you typed anywhere else, so for now it is only in this window.</source>
        <translation>Veyraはメモを保存できませんでした: %@ 入力した内容をほかの場所に保管することもできなかったため、今はこのウィンドウの中にしかありません。</translation>
    </message>
    <message>
        <source>Some notes kept aside couldn't be brought back: with them, your notes would take more than the notes file may hold. Veyra left their files as they are; once you delete notes you no longer need, it brings them back at its next start.</source>
        <translation>別に保管されていたメモの一部を戻せませんでした。戻すと、メモがメモのファイルに入る量を超えてしまいます。Veyraはそのファイルをそのままにしました。不要になったメモを削除すると、次回の起動時に戻します。</translation>
    </message>
    <message>
        <source>The notes kept aside earlier are back in your notes, except some that would take more than the notes file may hold. Veyra left their files as they are; once you delete notes you no longer need, it brings them back at its next start.</source>
        <translation>以前に別に保管されていたメモをメモに戻しましたが、メモのファイルに入る量を超えてしまう一部は戻せませんでした。Veyraはそのファイルをそのままにしました。不要になったメモを削除すると、次回の起動時に戻します。</translation>
    </message>
    <message>
        <source>%@ %@</source>
        <translation>%@ %@</translation>
    </message>
    <message>
        <source>A note holds at most %@ characters: the last character you entered was left out.</source>
        <translation>メモに入れられるのは最大 %@ 文字です。入力した最後の1文字は入りませんでした。</translation>
    </message>
    <message>
        <source>A note holds at most %@ characters: the last %@ characters you entered were left out.</source>
        <translation>メモに入れられるのは最大 %@ 文字です。入力した最後の %@ 文字は入りませんでした。</translation>
    </message>
</context>
</TS>
