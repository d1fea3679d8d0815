<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ko_KR" sourcelanguage="en">
<context>
    <name>Veyra</name>
    <message>
        <source>Veyra Overlay</source>
        <translation>Veyra 오버레이</translation>
    </message>
    <message>
        <source>Edit Capture Areas</source>
        <translation>캡처 영역 편집</translation>
    </message>
    <message>
        <source>Game Notes</source>
        <translation>게임 메모</translation>
    </message>
    <message>
        <source>Software Update</source>
        <translation>소프트웨어 업데이트</translation>
    </message>
    <message>
        <source>The selected window is no longer available.</source>
        <translation>선택한 창을 더 이상 사용할 수 없습니다.</translation>
    </message>
    <message>
        <source>Veyra couldn't capture the selected window.</source>
        <translation>Veyra가 선택한 창을 캡처하지 못했습니다.</translation>
    </message>
    <message>
        <source>The file “%@” couldn't be read.</source>
        <translation>“%@” 파일을 읽을 수 없습니다.</translation>
    </message>
    <message>
        <source>The folder “%@” couldn't be created.</source>
        <translation>“%@” 폴더를 만들 수 없습니다.</translation>
    </message>
    <message>
        <source>The file “%@” couldn't be saved.</source>
        <translation>“%@” 파일을 저장할 수 없습니다.</translation>
    </message>
    <message>
        <source>The saved capture areas use an unsupported format.</source>
        <translation>저장된 캡처 영역이 지원되지 않는 형식입니다.</translation>
    </message>
    <message>
        <source>The saved capture areas use an unsupported coordinate mode.</source>
        <translation>저장된 캡처 영역이 지원되지 않는 좌표 방식을 사용합니다.</translation>
    </message>
    <message>
        <source>Add at least one capture area before saving.</source>
        <translation>저장하기 전에 캡처 영역을 하나 이상 추가하세요.</translation>
    </message>
    <message>
        <source>Box IDs may contain only letters, numbers, underscores, and hyphens.</source>
        <translation>박스 ID에는 영문자, 숫자, 밑줄(_), 하이픈(-)만 사용할 수 있습니다.</translation>
    </message>
    <message>
        <source>Each box ID must be unique.</source>
        <translation>박스 ID는 서로 겹치지 않아야 합니다.</translation>
    </message>
    <message>
        <source>Choose a background for %@ before saving.</source>
        <translation>저장하기 전에 %@의 배경을 선택하세요.</translation>
    </message>
    <message>
        <source>Veyra couldn't save the capture areas: %@</source>
        <translation>Veyra가 캡처 영역을 저장하지 못했습니다: %@</translation>
    </message>
    <message>
        <source>Veyra couldn't save its settings.</source>
        <translation>Veyra가 설정을 저장하지 못했습니다.</translation>
    </message>
    <message>
        <source>%@ Veyra tries again with every change; until that works, changed settings are lost when Veyra quits.</source>
        <translation>%@ Veyra는 변경할 때마다 다시 저장을 시도합니다. 저장될 때까지 변경한 설정은 Veyra를 종료하면 사라집니다.</translation>
    </message>
    <message>
        <source>%@ Veyra keeps its settings in memory only for this run: changed settings are lost when Veyra quits.</source>
        <translation>%@ Veyra는 이번 실행 동안 설정을 메모리에만 보관합니다. 변경한 설정은 Veyra를 종료하면 사라집니다.</translation>
    </message>
    <message>
        <source>The request to the server timed out.</source>
        <translation>서버 요청 시간이 초과되었습니다.</translation>
    </message>
    <message>
        <source>The server's response was too large.</source>
        <translation>서버 응답이 너무 큽니다.</translation>
    </message>
    <message>
        <source>Veyra couldn't reach the server: %@</source>
        <translation>Veyra가 서버에 연결하지 못했습니다: %@</translation>
    </message>
    <message>
        <source>Veyra couldn't load the running window list. Refresh the list and try again.</source>
        <translation>Veyra가 실행 중인 창 목록을 불러오지 못했습니다. 목록을 새로 고친 후 다시 시도하세요.</translation>
    </message>
    <message>
        <source>(Untitled)</source>
        <translation>(제목 없음)</translation>
    </message>
    <message>
        <source>Screen Recording Permission Granted</source>
        <translation>화면 기록 권한이 허용됨</translation>
    </message>
    <message>
        <source>Quit and reopen %@ to load available windows.</source>
        <translation>사용 가능한 창을 불러오려면 %@을(를) 종료한 후 다시 여세요.</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>종료</translation>
    </message>
    <message>
        <source>The saved game notes use an unsupported format.</source>
        <translation>저장된 게임 메모의 형식이 지원되지 않습니다.</translation>
    </message>
    <message>
        <source>Veyra couldn't save the note: %@</source>
        <translation>Veyra가 메모를 저장하지 못했습니다: %@</translation>
    </message>
    <message>
        <source>Try Again</source>
        <translation>다시 시도</translation>
    </message>
    <message>
        <source>Saving…</source>
        <translation>저장 중…</translation>
    </message>
    <message>
        <source>Changes are saved automatically.</source>
        <translation>변경 사항은 자동으로 저장됩니다.</translation>
    </message>
    <message>
        <source>No Game Notes</source>
        <translation>게임 메모 없음</translation>
    </message>
    <message>
        <source>Add a note from the overlay while playing a game.</source>
        <translation>게임을 플레이하는 동안 오버레이에서 메모를 추가하세요.</translation>
    </message>
    <message>
        <source>Just now</source>
        <translation>방금 전</translation>
    </message>
    <message>
        <source>%@ min ago</source>
        <translation>%@분 전</translation>
    </message>
    <message>
        <source>%@ hr ago</source>
        <translation>%@시간 전</translation>
    </message>
    <message>
        <source>1 day ago</source>
        <translation>1일 전</translation>
    </message>
    <message>
        <source>%@ days ago</source>
        <translation>%@일 전</translation>
    </message>
    <message>
        <source>Authentication was rejected. Please sign in again.</source>
        <translation>인증이 거부되었습니다. 다시 로그인하세요.</translation>
    </message>
    <message>
        <source>The saved session couldn't be accessed.</source>
        <translation>저장된 세션에 접근할 수 없습니다.</translation>
    </message>
    <message>
        <source>Google authentication isn't configured for this build.</source>
        <translation>이 빌드에는 Google 인증이 구성되어 있지 않습니다.</translation>
    </message>
    <message>
        <source>The authentication server returned an invalid response.</source>
        <translation>인증 서버가 잘못된 응답을 반환했습니다.</translation>
    </message>
    <message>
        <source>Web registration is required before signing in to the app.</source>
        <translation>앱에 로그인하려면 먼저 웹에서 가입해야 합니다.</translation>
    </message>
    <message>
        <source>Authentication is temporarily unavailable. Try again.</source>
        <translation>일시적으로 인증을 사용할 수 없습니다. 다시 시도하세요.</translation>
    </message>
    <message>
        <source>No saved session is available.</source>
        <translation>저장된 세션이 없습니다.</translation>
    </message>
    <message>
        <source>Google sign-in couldn't be completed. Try again.</source>
        <translation>Google 로그인을 완료하지 못했습니다. 다시 시도하세요.</translation>
    </message>
    <message>
        <source>Veyra couldn't identify the selected application.</source>
        <translation>Veyra가 선택한 애플리케이션을 식별하지 못했습니다.</translation>
    </message>
    <message>
        <source>Veyra couldn't analyze this background point.</source>
        <translation>Veyra가 이 배경 지점을 분석하지 못했습니다.</translation>
    </message>
    <message>
        <source>Dialogue Search</source>
        <translation>대사 검색</translation>
    </message>
    <message>
        <source>Use the eyedropper and click a clean, text-free part of the dialogue background.</source>
        <translation>스포이트로 대사 배경 중 글자가 없는 깨끗한 부분을 클릭하세요.</translation>
    </message>
    <message>
        <source>Left</source>
        <translation>왼쪽</translation>
    </message>
    <message>
        <source>Top</source>
        <translation>위쪽</translation>
    </message>
    <message>
        <source>Width</source>
        <translation>너비</translation>
    </message>
    <message>
        <source>Height</source>
        <translation>높이</translation>
    </message>
    <message>
        <source>Capture Area</source>
        <translation>캡처 영역</translation>
    </message>
    <message>
        <source>Box ID</source>
        <translation>박스 ID</translation>
    </message>
    <message>
        <source>Selected region</source>
        <translation>선택한 영역</translation>
    </message>
    <message>
        <source>Background</source>
        <translation>배경</translation>
    </message>
    <message>
        <source>Blue marks a rough search area. Each box keeps its own sampled background color.</source>
        <translation>파란색은 대략적인 검색 영역을 나타냅니다. 각 박스는 직접 추출한 배경 색상을 따로 유지합니다.</translation>
    </message>
    <message>
        <source>Select a capture area to edit it.</source>
        <translation>편집할 캡처 영역을 선택하세요.</translation>
    </message>
    <message>
        <source>Choose a more uniform background point for reliable detection.</source>
        <translation>안정적으로 감지하려면 더 균일한 배경 지점을 선택하세요.</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>취소</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>저장</translation>
    </message>
    <message>
        <source>Editing Guide</source>
        <translation>편집 가이드</translation>
    </message>
    <message>
        <source>Add Area</source>
        <translation>영역 추가</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>삭제</translation>
    </message>
    <message>
        <source>Capturing the selected window…</source>
        <translation>선택한 창을 캡처하는 중…</translation>
    </message>
    <message>
        <source>Choose Another Window</source>
        <translation>다른 창 선택</translation>
    </message>
    <message>
        <source>Click Background…</source>
        <translation>배경 클릭…</translation>
    </message>
    <message>
        <source>Pick Background</source>
        <translation>배경 선택</translation>
    </message>
    <message>
        <source>Nothing to report, Captain!</source>
        <translation>이상 없습니다, 선장님!</translation>
    </message>
    <message>
        <source>Draw each Dialogue Search area generously around the dialogue window. It does not need to fit exactly.</source>
        <translation>각 대사 검색 영역을 대화창 주변에 넉넉하게 그리세요. 정확하게 맞출 필요는 없습니다.</translation>
    </message>
    <message>
        <source>Select a box, then use the eyedropper on a clean, text-free part of that box's dialogue background.</source>
        <translation>박스를 선택한 다음, 스포이트로 그 박스의 대사 배경 중 글자가 없는 깨끗한 부분을 찍으세요.</translation>
    </message>
    <message>
        <source>If dialogue areas do not appear together, save one now and add the next when it appears later.</source>
        <translation>대사 영역이 함께 나타나지 않으면 지금 하나를 저장하고, 다음 영역은 나중에 나타날 때 추가하세요.</translation>
    </message>
    <message>
        <source>Show Veyra where dialogue appears</source>
        <translation>Veyra에게 대사가 나타나는 위치를 알려 주세요</translation>
    </message>
    <message>
        <source>Done</source>
        <translation>완료</translation>
    </message>
    <message>
        <source>Couldn't report this translation. Try again later.</source>
        <translation>이 번역을 신고하지 못했습니다. 나중에 다시 시도하세요.</translation>
    </message>
    <message>
        <source>Installing update…</source>
        <translation>업데이트 설치 중…</translation>
    </message>
    <message>
        <source>Veyra will restart when the update is installed.</source>
        <translation>업데이트가 설치되면 Veyra가 다시 시작됩니다.</translation>
    </message>
    <message>
        <source>Downloading update…</source>
        <translation>업데이트 다운로드 중…</translation>
    </message>
    <message>
        <source>%@ of %@</source>
        <translation>%@ / %@</translation>
    </message>
    <message>
        <source>A new version of Veyra is available.</source>
        <translation>새로운 버전의 Veyra를 사용할 수 있습니다.</translation>
    </message>
    <message>
        <source>Veyra %@ is available. You have %@.</source>
        <translation>Veyra %@을(를) 사용할 수 있습니다. 현재 버전은 %@입니다.</translation>
    </message>
    <message>
        <source>Release Notes</source>
        <translation>릴리스 노트</translation>
    </message>
    <message>
        <source>Release notes are unavailable.</source>
        <translation>릴리스 노트를 불러올 수 없습니다.</translation>
    </message>
    <message>
        <source>Loading release notes…</source>
        <translation>릴리스 노트를 불러오는 중…</translation>
    </message>
    <message>
        <source>Update</source>
        <translation>업데이트</translation>
    </message>
    <message>
        <source>You're up to date!</source>
        <translation>최신 버전을 사용 중입니다!</translation>
    </message>
    <message>
        <source>Veyra %@ is currently the newest version available.</source>
        <translation>Veyra %@이(가) 현재 최신 버전입니다.</translation>
    </message>
    <message>
        <source>Update Error</source>
        <translation>업데이트 오류</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>확인</translation>
    </message>
    <message>
        <source>Software updates aren't set up for this copy of Veyra.</source>
        <translation>이 Veyra에는 소프트웨어 업데이트가 설정되어 있지 않습니다.</translation>
    </message>
    <message>
        <source>Veyra couldn't check for updates. Check your internet connection and try again.</source>
        <translation>Veyra가 업데이트를 확인하지 못했습니다. 인터넷 연결을 확인한 후 다시 시도하세요.</translation>
    </message>
    <message>
        <source>The update information couldn't be read. Try again later.</source>
        <translation>업데이트 정보를 읽을 수 없습니다. 나중에 다시 시도하세요.</translation>
    </message>
    <message>
        <source>Veyra couldn't download the update. Check your internet connection and try again.</source>
        <translation>Veyra가 업데이트를 다운로드하지 못했습니다. 인터넷 연결을 확인한 후 다시 시도하세요.</translation>
    </message>
    <message>
        <source>Veyra couldn't save the update in “%@”.</source>
        <translation>Veyra가 업데이트를 “%@”에 저장하지 못했습니다.</translation>
    </message>
    <message>
        <source>The update needs %@ MB, but only %@ MB are free.</source>
        <translation>업데이트에 %@MB가 필요하지만 사용 가능한 공간은 %@MB뿐입니다.</translation>
    </message>
    <message>
        <source>The downloaded update isn't signed correctly, so Veyra didn't install it.</source>
        <translation>다운로드한 업데이트의 서명이 올바르지 않아 Veyra가 설치하지 않았습니다.</translation>
    </message>
    <message>
        <source>Veyra couldn't install the update.</source>
        <translation>Veyra가 업데이트를 설치하지 못했습니다.</translation>
    </message>
    <message>
        <source>This copy of Veyra can't update itself. The download page has opened in your browser.</source>
        <translation>이 Veyra는 스스로 업데이트할 수 없습니다. 브라우저에서 다운로드 페이지를 열었습니다.</translation>
    </message>
    <message>
        <source>Checking the app version…</source>
        <translation>앱 버전을 확인하는 중…</translation>
    </message>
    <message>
        <source>Veyra will continue after confirming this version is supported.</source>
        <translation>이 버전이 지원되는지 확인한 후 Veyra가 계속 진행됩니다.</translation>
    </message>
    <message>
        <source>The app version couldn't be verified.</source>
        <translation>앱 버전을 확인할 수 없습니다.</translation>
    </message>
    <message>
        <source>Check your internet connection and try again.</source>
        <translation>인터넷 연결을 확인한 후 다시 시도하세요.</translation>
    </message>
    <message>
        <source>Update Veyra to continue.</source>
        <translation>계속하려면 Veyra를 업데이트하세요.</translation>
    </message>
    <message>
        <source>This version is no longer supported. Update and restart Veyra.</source>
        <translation>이 버전은 더 이상 지원되지 않습니다. 업데이트한 후 Veyra를 다시 시작하세요.</translation>
    </message>
    <message>
        <source>The update couldn't be installed.</source>
        <translation>업데이트를 설치할 수 없습니다.</translation>
    </message>
    <message>
        <source>Try again or download the latest Veyra from the website.</source>
        <translation>다시 시도하거나 웹사이트에서 최신 Veyra를 다운로드하세요.</translation>
    </message>
    <message>
        <source>Current version: %@</source>
        <translation>현재 버전: %@</translation>
    </message>
    <message>
        <source>Requires Veyra %@ or later</source>
        <translation>Veyra %@ 이상 필요</translation>
    </message>
    <message>
        <source>Download from Website</source>
        <translation>웹사이트에서 다운로드</translation>
    </message>
    <message>
        <source>Quit Veyra</source>
        <translation>Veyra 종료</translation>
    </message>
    <message>
        <source>Waiting for dialogue…</source>
        <translation>대사를 기다리는 중…</translation>
    </message>
    <message>
        <source>Veyra Translation</source>
        <translation>Veyra 번역</translation>
    </message>
    <message>
        <source>Translating…</source>
        <translation>번역 중…</translation>
    </message>
    <message>
        <source>Capture areas required</source>
        <translation>캡처 영역이 필요합니다</translation>
    </message>
    <message>
        <source>Add at least one capture area before capture can start.</source>
        <translation>캡처를 시작하려면 캡처 영역을 하나 이상 추가하세요.</translation>
    </message>
    <message>
        <source>Edit Capture Areas…</source>
        <translation>캡처 영역 편집…</translation>
    </message>
    <message>
        <source>Capture areas unavailable</source>
        <translation>캡처 영역을 사용할 수 없음</translation>
    </message>
    <message>
        <source>Capture window unavailable</source>
        <translation>캡처할 창을 사용할 수 없음</translation>
    </message>
    <message>
        <source>Veyra needs your help</source>
        <translation>Veyra에 도움이 필요합니다</translation>
    </message>
    <message>
        <source>Report a Translation Error</source>
        <translation>번역 오류 신고</translation>
    </message>
    <message>
        <source>Select the translation that should be reported.</source>
        <translation>신고할 번역을 선택하세요.</translation>
    </message>
    <message>
        <source>Review the OCR text and translation before reporting.</source>
        <translation>신고하기 전에 OCR 텍스트와 번역을 확인하세요.</translation>
    </message>
    <message>
        <source>Reporting sends the captured game window used for this OCR text to the server and stores it for review.</source>
        <translation>신고하면 이 OCR 텍스트에 사용된 게임 창 캡처가 서버로 전송되어 검토를 위해 저장됩니다.</translation>
    </message>
    <message>
        <source>OCR text</source>
        <translation>OCR 텍스트</translation>
    </message>
    <message>
        <source>General</source>
        <translation>일반</translation>
    </message>
    <message>
        <source>Account</source>
        <translation>계정</translation>
    </message>
    <message>
        <source>Overlay</source>
        <translation>오버레이</translation>
    </message>
    <message>
        <source>Reset Settings…</source>
        <translation>설정 재설정…</translation>
    </message>
    <message>
        <source>Version %@ (%@)</source>
        <translation>버전 %@ (%@)</translation>
    </message>
    <message>
        <source>Interface</source>
        <translation>인터페이스</translation>
    </message>
    <message>
        <source>Translation</source>
        <translation>번역</translation>
    </message>
    <message>
        <source>Report</source>
        <translation>신고</translation>
    </message>
    <message>
        <source>Reporting…</source>
        <translation>신고 중…</translation>
    </message>
    <message>
        <source>Game Note</source>
        <translation>게임 메모</translation>
    </message>
    <message>
        <source>Report Translation Error</source>
        <translation>번역 오류 신고</translation>
    </message>
    <message>
        <source>Move Overlay</source>
        <translation>오버레이 이동</translation>
    </message>
    <message>
        <source>Resize Overlay</source>
        <translation>오버레이 크기 조절</translation>
    </message>
    <message>
        <source>Veyra couldn't open your web browser for Google sign-in.</source>
        <translation>Google 로그인을 위해 웹 브라우저를 열지 못했습니다.</translation>
    </message>
    <message>
        <source>Veyra couldn't prepare Google sign-in. Try again.</source>
        <translation>Veyra가 Google 로그인을 준비하지 못했습니다. 다시 시도하세요.</translation>
    </message>
    <message>
        <source>Veyra couldn't reach Google. Check your connection and try again.</source>
        <translation>Veyra가 Google에 연결하지 못했습니다. 네트워크 연결을 확인한 후 다시 시도하세요.</translation>
    </message>
    <message>
        <source>Google refused the sign-in request. Try again later.</source>
        <translation>Google이 로그인 요청을 거부했습니다. 나중에 다시 시도하세요.</translation>
    </message>
    <message>
        <source>You can close this page and return to Veyra.</source>
        <translation>이 페이지를 닫고 Veyra로 돌아가도 됩니다.</translation>
    </message>
    <message>
        <source>The access server configuration is invalid.</source>
        <translation>계정 서버 구성이 올바르지 않습니다.</translation>
    </message>
    <message>
        <source>The access server returned an invalid response.</source>
        <translation>계정 서버가 잘못된 응답을 반환했습니다.</translation>
    </message>
    <message>
        <source>Translate dialogue and understand your game without leaving the moment.</source>
        <translation>게임을 멈추지 않고 대사를 번역하고 이해하세요.</translation>
    </message>
    <message>
        <source>Restoring your session…</source>
        <translation>세션을 복원하는 중…</translation>
    </message>
    <message>
        <source>Signing in…</source>
        <translation>로그인하는 중…</translation>
    </message>
    <message>
        <source>Veyra is available to users aged 14 and older. Review the Terms of Service and privacy consent on the web, complete sign-up, then return to the app and try Google sign-in again.</source>
        <translation>Veyra는 만 14세 이상만 이용할 수 있습니다. 웹에서 서비스 약관과 개인정보 수집·이용 동의를 확인하고 가입을 완료한 다음, 앱으로 돌아와 Google 로그인을 다시 시도하세요.</translation>
    </message>
    <message>
        <source>The authentication server is temporarily unavailable. Your saved session is still on this computer.</source>
        <translation>인증 서버를 일시적으로 사용할 수 없습니다. 저장된 세션은 이 컴퓨터에 그대로 남아 있습니다.</translation>
    </message>
    <message>
        <source>The keyring that keeps your sign-in isn't answering or is locked. Your saved session is still on this computer.</source>
        <translation>로그인 정보를 보관하는 키링이 응답하지 않거나 잠겨 있습니다. 저장된 세션은 이 컴퓨터에 그대로 남아 있습니다.</translation>
    </message>
    <message>
        <source>WEB REGISTRATION REQUIRED</source>
        <translation>웹 가입 필요</translation>
    </message>
    <message>
        <source>Sign up on the web first</source>
        <translation>먼저 웹에서 가입하세요</translation>
    </message>
    <message>
        <source>YOUR AI GAMING COMPANION</source>
        <translation>당신의 AI 게임 동반자</translation>
    </message>
    <message>
        <source>Just play. Veyra’s got you.</source>
        <translation>플레이에만 집중하세요. 나머지는 Veyra가 맡습니다.</translation>
    </message>
    <message>
        <source>Sign in with Google</source>
        <translation>Google로 로그인</translation>
    </message>
    <message>
        <source>In progress</source>
        <translation>진행 중</translation>
    </message>
    <message>
        <source>Accounts aren't created in the app</source>
        <translation>계정은 앱에서 만들지 않습니다</translation>
    </message>
    <message>
        <source>Sign-up is completed on the web so required consent records can be managed in one place.</source>
        <translation>필요한 동의 기록을 한곳에서 관리할 수 있도록 가입은 웹에서 완료합니다.</translation>
    </message>
    <message>
        <source>Sign Up on the Web</source>
        <translation>웹에서 가입하기</translation>
    </message>
    <message>
        <source>Try Google Sign-In Again</source>
        <translation>Google 로그인 다시 시도</translation>
    </message>
    <message>
        <source>Sign in once. Come back automatically.</source>
        <translation>한 번 로그인하면 다음부터 자동으로 로그인됩니다.</translation>
    </message>
    <message>
        <source>Finishing sign-up won't automatically sign you in to the app.</source>
        <translation>가입을 완료해도 앱에 자동으로 로그인되지는 않습니다.</translation>
    </message>
    <message>
        <source>Interface language</source>
        <translation>인터페이스 언어</translation>
    </message>
    <message>
        <source>Target language</source>
        <translation>번역할 언어</translation>
    </message>
    <message>
        <source>Korean</source>
        <translation>한국어</translation>
    </message>
    <message>
        <source>Japanese</source>
        <translation>일본어</translation>
    </message>
    <message>
        <source>English</source>
        <translation>영어</translation>
    </message>
    <message>
        <source>Reset settings?</source>
        <translation>설정을 재설정할까요?</translation>
    </message>
    <message>
        <source>This resets language, opacity, and text sizes to their defaults.</source>
        <translation>언어, 불투명도, 글자 크기가 기본값으로 재설정됩니다.</translation>
    </message>
    <message>
        <source>Reset</source>
        <translation>재설정</translation>
    </message>
    <message>
        <source>Background opacity</source>
        <translation>배경 불투명도</translation>
    </message>
    <message>
        <source>OCR text size</source>
        <translation>OCR 글자 크기</translation>
    </message>
    <message>
        <source>Translation text size</source>
        <translation>번역 글자 크기</translation>
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
        <translation>선택한 창을 더 이상 사용할 수 없습니다. 목록을 새로 고친 다음 다시 선택하세요.</translation>
    </message>
    <message numerus="yes">
        <source>%n windows</source>
        <translation>
            <numerusform>창 %n개</numerusform>
        </translation>
    </message>
    <message>
        <source>Open the game you want to translate first.</source>
        <translation>번역할 게임을 먼저 실행하세요.</translation>
    </message>
    <message>
        <source>This is not a supported-games catalog. It shows apps and windows currently open on this computer.</source>
        <translation>지원 게임 목록이 아닙니다. 지금 이 컴퓨터에 열려 있는 앱과 창을 보여 줍니다.</translation>
    </message>
    <message>
        <source>If the game is already running but missing, choose Refresh.</source>
        <translation>게임이 이미 실행 중인데 보이지 않으면 새로 고침을 누르세요.</translation>
    </message>
    <message>
        <source>Loading windows…</source>
        <translation>창을 불러오는 중…</translation>
    </message>
    <message>
        <source>Refresh</source>
        <translation>새로 고침</translation>
    </message>
    <message>
        <source>Open Web Account</source>
        <translation>웹 계정 열기</translation>
    </message>
    <message>
        <source>Customer Support</source>
        <translation>고객 지원</translation>
    </message>
    <message>
        <source>Refreshing account…</source>
        <translation>계정을 새로 고치는 중…</translation>
    </message>
    <message>
        <source>Veyra couldn't refresh your account. Try again.</source>
        <translation>Veyra가 계정을 새로 고치지 못했습니다. 다시 시도하세요.</translation>
    </message>
    <message>
        <source>Veyra couldn't load the capture areas: %@</source>
        <translation>Veyra가 캡처 영역을 불러오지 못했습니다: %@</translation>
    </message>
    <message>
        <source>Play with Veyra</source>
        <translation>Veyra로 플레이</translation>
    </message>
    <message>
        <source>No selectable windows were found. Open the game you want to translate, then refresh the list.</source>
        <translation>선택할 수 있는 창이 없습니다. 번역할 게임을 실행한 다음 목록을 새로 고치세요.</translation>
    </message>
    <message>
        <source>Game Notes…</source>
        <translation>게임 메모…</translation>
    </message>
    <message>
        <source>Check for Updates…</source>
        <translation>업데이트 확인…</translation>
    </message>
    <message>
        <source>Settings…</source>
        <translation>설정…</translation>
    </message>
    <message>
        <source>Log Out</source>
        <translation>로그아웃</translation>
    </message>
    <message>
        <source>Bring Veyra in</source>
        <translation>Veyra 시작하기</translation>
    </message>
    <message>
        <source>%@ can't capture game windows on this display: its X server runs without the Composite extension. Turn Composite on in the X server's configuration, then quit and reopen %@.</source>
        <translation>이 디스플레이에서는 %@이(가) 게임 창을 캡처할 수 없습니다. X 서버가 Composite 확장 없이 실행되고 있습니다. X 서버 설정에서 Composite를 켠 다음 %@을(를) 종료하고 다시 여세요.</translation>
    </message>
    <message>
        <source>Ready</source>
        <translation>완료</translation>
    </message>
    <message>
        <source>Current step</source>
        <translation>현재 단계</translation>
    </message>
    <message>
        <source>Sign in</source>
        <translation>로그인</translation>
    </message>
    <message>
        <source>Allow screen access</source>
        <translation>화면 접근 허용</translation>
    </message>
    <message>
        <source>Choose your game</source>
        <translation>게임 선택</translation>
    </message>
    <message>
        <source>Allow Screen Access</source>
        <translation>화면 접근 허용</translation>
    </message>
    <message>
        <source>%@ needs screen recording access to list and capture the window you select.</source>
        <translation>%@이(가) 창 목록을 표시하고 선택한 창을 캡처하려면 화면 기록 권한이 필요합니다.</translation>
    </message>
    <message>
        <source>Which game are we playing?</source>
        <translation>어떤 게임을 플레이하나요?</translation>
    </message>
    <message>
        <source>Choose the window Veyra should watch and translate.</source>
        <translation>Veyra가 지켜보고 번역할 창을 선택하세요.</translation>
    </message>
    <message>
        <source>Checking screen recording permission…</source>
        <translation>화면 기록 권한을 확인하는 중…</translation>
    </message>
    <message>
        <source>Requesting screen recording permission…</source>
        <translation>화면 기록 권한을 요청하는 중…</translation>
    </message>
    <message>
        <source>R %@  G %@  B %@</source>
        <translation>R %@  G %@  B %@</translation>
    </message>
    <message>
        <source>Next step</source>
        <translation>다음 단계</translation>
    </message>
    <message>
        <source>No Note Selected</source>
        <translation>선택한 메모 없음</translation>
    </message>
    <message>
        <source>Choose a note in the list to read or edit it.</source>
        <translation>목록에서 메모를 선택하면 읽거나 편집할 수 있습니다.</translation>
    </message>
    <message>
        <source>It is a folder, not a file.</source>
        <translation>폴더이며 파일이 아닙니다.</translation>
    </message>
    <message>
        <source>It is a named pipe, a device or a socket, not a regular file.</source>
        <translation>일반 파일이 아니라 명명된 파이프, 장치 또는 소켓입니다.</translation>
    </message>
    <message>
        <source>It is a link to “%@”, which doesn't exist.</source>
        <translation>존재하지 않는 “%@”에 대한 링크입니다.</translation>
    </message>
    <message>
        <source>It is larger than %@ MB.</source>
        <translation>%@MB보다 큽니다.</translation>
    </message>
    <message>
        <source>Only %@ of %@ bytes could be written.</source>
        <translation>%@바이트만 기록할 수 있었습니다(전체 %@바이트).</translation>
    </message>
    <message>
        <source>Another program kept changing it while Veyra was saving it.</source>
        <translation>Veyra가 저장하는 동안 다른 프로그램이 이 파일을 계속 변경했습니다.</translation>
    </message>
    <message>
        <source>No space left on device</source>
        <translation>디스크에 남은 공간이 없습니다</translation>
    </message>
    <message>
        <source>Read-only file system</source>
        <translation>읽기 전용 파일 시스템입니다</translation>
    </message>
    <message>
        <source>Permission denied</source>
        <translation>접근 권한이 없습니다</translation>
    </message>
    <message>
        <source>Operation not permitted</source>
        <translation>허용되지 않은 작업입니다</translation>
    </message>
    <message>
        <source>Disk quota exceeded</source>
        <translation>디스크 할당량을 초과했습니다</translation>
    </message>
    <message>
        <source>Input/output error</source>
        <translation>디스크 입출력 오류가 발생했습니다</translation>
    </message>
    <message>
        <source>It is damaged and couldn't be moved aside.</source>
        <translation>손상되었으며 다른 곳으로 옮길 수 없었습니다.</translation>
    </message>
    <message>
        <source>It is damaged and couldn't be moved aside, so Veyra writes nothing over it.</source>
        <translation>손상되었으며 다른 곳으로 옮길 수 없어서 Veyra는 그 위에 아무것도 쓰지 않습니다.</translation>
    </message>
    <message>
        <source>Only part of the settings could be written.</source>
        <translation>설정의 일부만 기록할 수 있었습니다.</translation>
    </message>
    <message>
        <source>The new file couldn't take the place of the old one.</source>
        <translation>새 파일로 이전 파일을 대체할 수 없었습니다.</translation>
    </message>
    <message>
        <source>The file or its lock file couldn't be opened.</source>
        <translation>파일 또는 그 잠금 파일을 열 수 없었습니다.</translation>
    </message>
    <message>
        <source>The notes would take more than %@ MB.</source>
        <translation>메모가 %@MB를 넘게 됩니다.</translation>
    </message>
    <message>
        <source>The game notes file “%@” is damaged, so Veyra left it as it is.</source>
        <translation>게임 메모 파일 “%@”이(가) 손상되어 Veyra가 그대로 두었습니다.</translation>
    </message>
    <message>
        <source>Veyra couldn't save the note: %@ What you typed is kept in “%@”.</source>
        <translation>Veyra가 메모를 저장하지 못했습니다: %@ 입력한 내용은 “%@”에 보관되어 있습니다.</translation>
    </message>
    <message>
        <source>A note holds %@ characters, more than the %@ a note may hold.</source>
        <translation>메모가 %@자로, 메모 하나에 담을 수 있는 %@자를 넘습니다.</translation>
    </message>
    <message>
        <source>A note's date “%@” is not of the form YYYY-MM-DDTHH:MM:SSZ.</source>
        <translation>메모의 날짜 “%@”이(가) YYYY-MM-DDTHH:MM:SSZ 형식이 아닙니다.</translation>
    </message>
    <message>
        <source>Two notes belong to the window “%@”.</source>
        <translation>창 “%@”의 메모가 두 개 있습니다.</translation>
    </message>
    <message>
        <source>Your notes were also changed elsewhere (on another computer, say): where the same note was changed on both sides, Veyra kept both texts in it, the newest first.</source>
        <translation>메모가 다른 곳(예: 다른 컴퓨터)에서도 변경되었습니다. 같은 메모가 양쪽에서 변경된 경우 Veyra가 두 내용을 모두 최신 순으로 그 메모에 남겼습니다.</translation>
    </message>
    <message>
        <source>Another program kept changing the game notes file “%@” while Veyra was saving the notes.</source>
        <translation>Veyra가 메모를 저장하는 동안 다른 프로그램이 게임 메모 파일 “%@”을(를) 계속 변경했습니다.</translation>
    </message>
    <message>
        <source>The notes kept aside earlier are back in your notes.</source>
        <translation>이전에 따로 보관된 메모를 메모로 되돌렸습니다.</translation>
    </message>
    <message>
        <source>Some notes kept beside “%@” couldn't be brought back, so Veyra left their files as they are.</source>
        <translation>“%@” 옆에 보관된 메모 일부를 되돌리지 못해 Veyra가 해당 파일을 그대로 두었습니다.</translation>
    </message>
    <message>
        <source>The notes kept aside earlier are back in your notes, but some kept beside “%@” couldn't be brought back, so Veyra left their files as they are.</source>
        <translation>이전에 따로 보관된 메모를 메모로 되돌렸지만, “%@” 옆에 보관된 메모 일부는 되돌리지 못해 Veyra가 해당 파일을 그대로 두었습니다.</translation>
    </message>
    <message>
        <source>Veyra couldn't save the note: %@ What you typed is kept in the files from “%@” to “%@”.</source>
        <translation>Veyra가 메모를 저장하지 못했습니다: %@ 입력한 내용은 “%@”부터 “%@”까지의 파일에 보관되어 있습니다.</translation>
    </message>
    <message>
        <source>Veyra couldn't save the note: %@ Nor could it keep what you typed anywhere else, so for now it is only in this window.</source>
        <translation>Veyra가 메모를 저장하지 못했습니다: %@ 입력한 내용을 다른 곳에 보관하지도 못해, 지금은 이 창에만 있습니다.</translation>
    </message>
    <message>
        <source>Some notes kept aside couldn't be brought back: with them, your notes would take more than the notes file may hold. Veyra left their files as they are; once you delete notes you no longer need, it brings them back at its next start.</source>
        <translation>따로 보관된 메모 일부를 되돌리지 못했습니다. 되돌리면 메모가 메모 파일에 담을 수 있는 양을 넘습니다. Veyra가 해당 파일을 그대로 두었으며, 더 이상 필요 없는 메모를 삭제하면 다음 실행 때 되돌립니다.</translation>
    </message>
    <message>
        <source>The notes kept aside earlier are back in your notes, except some that would take more than the notes file may hold. Veyra left their files as they are; once you delete notes you no longer need, it brings them back at its next start.</source>
        <translation>이전에 따로 보관된 메모를 메모로 되돌렸지만, 메모 파일에 담을 수 있는 양을 넘게 되는 일부는 되돌리지 못했습니다. Veyra가 해당 파일을 그대로 두었으며, 더 이상 필요 없는 메모를 삭제하면 다음 실행 때 되돌립니다.</translation>
    </message>
    <message>
        <source>%@ %@</source>
        <translation>%@ %@</translation>
    </message>
    <message>
        <source>A note holds at most %@ characters: the last character you entered was left out.</source>
        <translation>메모에는 최대 %@자까지 담을 수 있습니다. 입력한 마지막 1자는 들어가지 않았습니다.</translation>
    </message>
    <message>
        <source>A note holds at most %@ characters: the last %@ characters you entered were left out.</source>
        <translation>메모에는 최대 %@자까지 담을 수 있습니다. 입력한 마지막 %@자는 들어가지 않았습니다.</translation>
    </message>
</context>
</TS>
