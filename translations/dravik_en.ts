<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>CDATOptionDialog</name>
    <message>
        <source>Свойства</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>Выберите путь для временного хранения файлов из DAT файла</source>
        <translation>Choose the folder that keeps copies of files from the DAT file</translation>
    </message>
    <message>
        <source>&amp;Обзор ...</source>
        <translation>&amp;Browse...</translation>
    </message>
    <message>
        <source>&amp;Язык (после перезапуска):</source>
        <translation>&amp;Language (after a restart):</translation>
    </message>
    <message>
        <source>Как на рабочем столе</source>
        <translation>As the desktop</translation>
    </message>
    <message>
        <source>Путь до кэша</source>
        <translation>Cache folder</translation>
    </message>
    <message>
        <source>Директории %1не существует создать ее?</source>
        <translation>The folder %1 does not exist. Create it?</translation>
    </message>
    <message>
        <source>Предупреждение</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>Не возможно создать директорию %1</source>
        <translation>Cannot create the folder %1</translation>
    </message>
    <message>
        <source>Ошибка</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>Необходмио ввести имя директории</source>
        <translation>Enter the name of a folder</translation>
    </message>
</context>
<context>
    <name>CMainFrame</name>
    <message>
        <source>&amp;Файл</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>&amp;Открыть...</source>
        <translation>&amp;Open...</translation>
    </message>
    <message>
        <source>Recent File</source>
        <translation>Recent File</translation>
    </message>
    <message>
        <source>&amp;Выход</source>
        <translation>E&amp;xit</translation>
    </message>
    <message>
        <source>&amp;Вид</source>
        <translation>&amp;View</translation>
    </message>
    <message>
        <source>&amp;Toolbar</source>
        <translation>&amp;Toolbar</translation>
    </message>
    <message>
        <source>&amp;Status Bar</source>
        <translation>&amp;Status Bar</translation>
    </message>
    <message>
        <source>&amp;Папки</source>
        <translation>F&amp;olders</translation>
    </message>
    <message>
        <source>&amp;Типы</source>
        <translation>&amp;Types</translation>
    </message>
    <message>
        <source>&amp;Автопоказ</source>
        <translation>&amp;Autoshow</translation>
    </message>
    <message>
        <source>&amp;Кодировка</source>
        <translation>&amp;Encoding</translation>
    </message>
    <message>
        <source>&amp;Настройка</source>
        <translation>&amp;Settings</translation>
    </message>
    <message>
        <source>&amp;Свойства ...</source>
        <translation>&amp;Properties...</translation>
    </message>
    <message>
        <source>&amp;Помощь</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>&amp;Справка ...</source>
        <translation>&amp;Help...</translation>
    </message>
    <message>
        <source>&amp;О ...</source>
        <translation>&amp;About...</translation>
    </message>
    <message>
        <source>Toolbar</source>
        <translation>Toolbar</translation>
    </message>
    <message>
        <source>For Help, press F1</source>
        <translation>For Help, press F1</translation>
    </message>
</context>
</TS>
