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
</context>
</TS>
