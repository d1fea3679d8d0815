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
        <source>Couldn't report this translation. Try again later.</source>
        <translation>이 번역을 신고하지 못했습니다. 나중에 다시 시도하세요.</translation>
    </message>
</context>
</TS>
