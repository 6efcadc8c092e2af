<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<!-- Japanese for texts that Qt draws but its own catalogue (qtbase_ja.qm)
     leaves in English. Only such texts belong here: the program's own texts
     are in the string table, and Qt's catalogue has the rest. -->
<TS version="2.1" language="ja_JP">
<context>
    <!-- The "Type" column of the file dialogs. -->
    <name>QAbstractFileIconProvider</name>
    <message>
        <source>Drive</source>
        <translation>ドライブ</translation>
    </message>
    <message>
        <source>Folder</source>
        <comment>All other platforms</comment>
        <translation>フォルダ</translation>
    </message>
    <message>
        <source>Unknown</source>
        <translation>不明</translation>
    </message>
</context>
</TS>
