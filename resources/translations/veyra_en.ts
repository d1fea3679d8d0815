<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="en">
<context>
    <name>Veyra</name>
    <message numerus="yes">
        <source>%n windows</source>
        <translation>
            <numerusform>%n window</numerusform>
            <numerusform>%n windows</numerusform>
        </translation>
    </message>
</context>
</TS>
