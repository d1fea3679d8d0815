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
</context>
</TS>
