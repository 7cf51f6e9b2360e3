<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU">
<context>
    <name>CDATOptionDialog</name>
    <message>
        <source>Свойства</source>
        <translation>Свойства</translation>
    </message>
    <message>
        <source>Выберите путь для временного хранения файлов из DAT файла</source>
        <translation>Выберите путь для временного хранения файлов из DAT файла</translation>
    </message>
    <message>
        <source>&amp;Обзор ...</source>
        <translation>&amp;Обзор ...</translation>
    </message>
    <message>
        <source>&amp;Язык (после перезапуска):</source>
        <translation>&amp;Язык (после перезапуска):</translation>
    </message>
    <message>
        <source>Как на рабочем столе</source>
        <translation>Как на рабочем столе</translation>
    </message>
    <message>
        <source>Путь до кэша</source>
        <translation>Путь до кэша</translation>
    </message>
    <message>
        <source>Директории %1не существует создать ее?</source>
        <translation>Директории %1не существует создать ее?</translation>
    </message>
    <message>
        <source>Предупреждение</source>
        <translation>Предупреждение</translation>
    </message>
    <message>
        <source>Не возможно создать директорию %1</source>
        <translation>Не возможно создать директорию %1</translation>
    </message>
    <message>
        <source>Ошибка</source>
        <translation>Ошибка</translation>
    </message>
    <message>
        <source>Необходмио ввести имя директории</source>
        <translation>Необходмио ввести имя директории</translation>
    </message>
</context>
<context>
    <name>CMainFrame</name>
    <message>
        <source>&amp;Файл</source>
        <translation>&amp;Файл</translation>
    </message>
    <message>
        <source>&amp;Открыть...</source>
        <translation>&amp;Открыть...</translation>
    </message>
    <message>
        <source>Recent File</source>
        <translation>Последний файл</translation>
    </message>
    <message>
        <source>&amp;Выход</source>
        <translation>&amp;Выход</translation>
    </message>
    <message>
        <source>&amp;Вид</source>
        <translation>&amp;Вид</translation>
    </message>
    <message>
        <source>&amp;Toolbar</source>
        <translation>&amp;Панель инструментов</translation>
    </message>
    <message>
        <source>&amp;Status Bar</source>
        <translation>&amp;Строка состояния</translation>
    </message>
    <message>
        <source>&amp;Папки</source>
        <translation>&amp;Папки</translation>
    </message>
    <message>
        <source>&amp;Типы</source>
        <translation>&amp;Типы</translation>
    </message>
    <message>
        <source>&amp;Автопоказ</source>
        <translation>&amp;Автопоказ</translation>
    </message>
    <message>
        <source>&amp;Кодировка</source>
        <translation>&amp;Кодировка</translation>
    </message>
    <message>
        <source>&amp;Настройка</source>
        <translation>&amp;Настройка</translation>
    </message>
    <message>
        <source>&amp;Свойства ...</source>
        <translation>&amp;Свойства ...</translation>
    </message>
    <message>
        <source>&amp;Помощь</source>
        <translation>&amp;Помощь</translation>
    </message>
    <message>
        <source>&amp;Справка ...</source>
        <translation>&amp;Справка ...</translation>
    </message>
    <message>
        <source>&amp;О ...</source>
        <translation>&amp;О ...</translation>
    </message>
    <message>
        <source>Toolbar</source>
        <translation>Панель инструментов</translation>
    </message>
    <message>
        <source>For Help, press F1</source>
        <translation>Для получения справки нажмите F1</translation>
    </message>
</context>
</TS>
