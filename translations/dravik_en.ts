<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>CAboutDlg</name>
    <message>
        <source>О программе</source>
        <translation>About</translation>
    </message>
    <message>
        <source>Версия 0.9</source>
        <translation>Version 0.9</translation>
    </message>
    <message>
        <source>Свободный проект для Linux</source>
        <translation>A free project for Linux</translation>
    </message>
</context>
<context>
    <name>CDATFileList</name>
    <message>
        <source>&amp;Открыть</source>
        <translation>&amp;Open</translation>
    </message>
    <message>
        <source>&amp;Показать</source>
        <translation>&amp;Show</translation>
    </message>
    <message>
        <source>&amp;Сохранить как ...</source>
        <translation>Save &amp;As...</translation>
    </message>
    <message>
        <source>С&amp;копировать в ...</source>
        <translation>&amp;Copy To...</translation>
    </message>
    <message>
        <source>Извлечь с &amp;папками...</source>
        <translation>Extract with &amp;Folders...</translation>
    </message>
    <message>
        <source>С&amp;войства</source>
        <translation>P&amp;roperties</translation>
    </message>
    <message>
        <source>Повреждённые файлы не скопированы:</source>
        <translation>Damaged files were not copied:</translation>
    </message>
    <message>
        <source>... и ещё %1</source>
        <translation>... and %1 more</translation>
    </message>
    <message>
        <source>Предупреждение</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>Извлечено файлов: %1 в %2%3</source>
        <translation>Files extracted: %1 to %2%3</translation>
    </message>
    <message>
        <source> (прервано)</source>
        <translation> (stopped)</translation>
    </message>
    <message>
        <source>Повреждённые файлы не извлечены:</source>
        <translation>Damaged files were not extracted:</translation>
    </message>
    <message>
        <source>Повреждённые файлы пропущены: %1</source>
        <translation>Damaged files skipped: %1</translation>
    </message>
    <message>
        <source>Имя файла, часть пути или маска (*.frm)</source>
        <translation>File name, part of a path or a mask (*.frm)</translation>
    </message>
    <message>
        <source>Экспорт выбранных картинок в PNG</source>
        <translation>Export the selected pictures to PNG</translation>
    </message>
    <message>
        <source>Экспорт...</source>
        <translation>Exporting...</translation>
    </message>
    <message>
        <source>&amp;Экспорт в PNG...</source>
        <translation>&amp;Export to PNG...</translation>
    </message>
    <message>
        <source>Экспортировано картинок: %1 в %2%3</source>
        <translation>Pictures exported: %1 to %2%3</translation>
    </message>
    <message>
        <source>Не удалось преобразовать в PNG:
</source>
        <translation>Could not convert to PNG:
</translation>
    </message>
</context>
<context>
    <name>CDATFileViewer</name>
    <message>
        <source>Палитра</source>
        <translation>Palette</translation>
    </message>
    <message>
        <source>PAL files (*.pal);;All files (*)</source>
        <translation>PAL files (*.pal);;All files (*)</translation>
    </message>
    <message>
        <source>Играть</source>
        <translation>Play</translation>
    </message>
    <message>
        <source>Пробел или «Играть» — прослушать, ещё раз — остановить</source>
        <translation>Space or Play starts the sound, again stops it</translation>
    </message>
    <message>
        <source>Звуковое устройство не найдено</source>
        <translation>No sound device was found</translation>
    </message>
    <message>
        <source>Стоп</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>Было: %1</source>
        <translation>Before: %1</translation>
    </message>
    <message>
        <source>Стало: %1</source>
        <translation>After: %1</translation>
    </message>
</context>
<context>
    <name>CDATHelpDialog</name>
    <message>
        <source>Помощь</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>Предназначен для просмотра упакованных файлов с ресурсами Ashmoor 2 (DAT - файлов) </source>
        <translation>Browses the packed resource files of Ashmoor 2 (DAT files) </translation>
    </message>
    <message>
        <source>Позволяет просматривать, открывать и сохранять FRM, RIX, текстовые файлы, а также запускать на просмотр виде-ролики (MVE)</source>
        <translation>Shows, opens and saves FRM, RIX and text files, and plays the movies (MVE)</translation>
    </message>
    <message>
        <source>В левой части расположено дерево файлов,правая верхняя содержит список файлов, правая нижняя - содержимое файла.</source>
        <translation>The left pane holds the tree of folders, the upper right one the list of files, the lower right one the contents of a file.</translation>
    </message>
    <message>
        <source>Возможно два вида отображения дерева:</source>
        <translation>The tree can be shown in two ways:</translation>
    </message>
    <message>
        <source>	1. по директориям внутри DAT файла</source>
        <translation>	1. by the folders inside the DAT file</translation>
    </message>
    <message>
        <source>	2. по типам файлов</source>
        <translation>	2. by the types of the files</translation>
    </message>
    <message>
        <source>Смена режимов:  Меню - Вид - Папки (Типы)</source>
        <translation>To switch: menu View - Folders (Types)</translation>
    </message>
    <message>
        <source>По умолчанию при выборе файла в списке файлов происходит автоматическое отображение содержимого в нижней части.</source>
        <translation>By default, selecting a file in the list shows its contents in the lower pane.</translation>
    </message>
    <message>
        <source>При желании этот режим можно отключить: Меню - Вид - Автопоказ.</source>
        <translation>This can be turned off: menu View - Auto Show.</translation>
    </message>
    <message>
        <source>При отключенном автопоказе просмотр осуществляется кнопкой просмотр на панели.</source>
        <translation>With Auto Show off, the Show button on the toolbar shows a file.</translation>
    </message>
    <message>
        <source>Для сохранения или открытия файла необходимо выбрать его в списке файлов и вызвать контекстное меню, далее по вкусу.</source>
        <translation>To save or open a file, select it in the list and open its context menu.</translation>
    </message>
    <message>
        <source>Первая версия browser&apos;а.</source>
        <translation>The first version of the browser.</translation>
    </message>
    <message>
        <source>Интересен будет всем кто хочет знать что внутри.</source>
        <translation>For everyone who wants to know what is inside.</translation>
    </message>
    <message>
        <source>Спасибо сообществу моддеров Ashmoor 2 за сведения о форматах файлов.</source>
        <translation>Thanks to the Ashmoor 2 modding community for what it found out about the file formats.</translation>
    </message>
    <message>
        <source>Пожелания и замечания направляйте разработчикам проекта Dravik:</source>
        <translation>Send wishes and remarks to the developers of the Dravik project:</translation>
    </message>
    <message>
        <source>трекер задач проекта (раздел Issues его репозитория)</source>
        <translation>the project&apos;s issue tracker (Issues in its repository)</translation>
    </message>
    <message>
        <source>или обсуждения проекта (раздел Discussions его репозитория)</source>
        <translation>or the project&apos;s discussions (Discussions in its repository)</translation>
    </message>
</context>
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
    <message>
        <source>О&amp;чистить кэш</source>
        <translation>C&amp;lear the Cache</translation>
    </message>
    <message>
        <source>Русский</source>
        <translation>Russian</translation>
    </message>
    <message>
        <source>О&amp;бзор ...</source>
        <translation>Br&amp;owse...</translation>
    </message>
    <message>
        <source>Палитра для архивов без палитры</source>
        <translation>Palette for archives without one</translation>
    </message>
    <message>
        <source>Палитра</source>
        <translation>Palette</translation>
    </message>
    <message>
        <source>PAL files (*.pal);;All files (*)</source>
        <translation>PAL files (*.pal);;All files (*)</translation>
    </message>
    <message>
        <source>Кэш занимает %1 (файлов: %2)</source>
        <translation>The cache takes %1 (%2 files)</translation>
    </message>
    <message>
        <source>Удалить файлы кэша из %1?</source>
        <translation>Delete the cache files in %1?</translation>
    </message>
    <message>
        <source>Файл палитры не найден: %1</source>
        <translation>Palette file not found: %1</translation>
    </message>
</context>
<context>
    <name>CFilePropDialog</name>
    <message>
        <source>Свойства</source>
        <translation>Properties</translation>
    </message>
    <message>
        <source>Общие</source>
        <translation>General</translation>
    </message>
    <message>
        <source>Тип:</source>
        <translation>Type:</translation>
    </message>
    <message>
        <source>Путь:</source>
        <translation>Path:</translation>
    </message>
    <message>
        <source>Размер:</source>
        <translation>Size:</translation>
    </message>
    <message>
        <source>Сжатый:</source>
        <translation>Packed:</translation>
    </message>
    <message>
        <source>Смещение:</source>
        <translation>Offset:</translation>
    </message>
    <message>
        <source>Кэш:</source>
        <translation>Cache:</translation>
    </message>
    <message>
        <source>Источник</source>
        <translation>Source</translation>
    </message>
    <message>
        <source>Копии (%1)</source>
        <translation>Copies (%1)</translation>
    </message>
    <message>
        <source>Размер</source>
        <translation>Size</translation>
    </message>
    <message>
        <source>Сжатый</source>
        <translation>Packed</translation>
    </message>
    <message>
        <source>Смещение</source>
        <translation>Offset</translation>
    </message>
</context>
<context>
    <name>CListingModel</name>
    <message>
        <source>Файл</source>
        <translation>File</translation>
    </message>
    <message>
        <source>Тип</source>
        <translation>Type</translation>
    </message>
    <message>
        <source>Размер</source>
        <translation>Size</translation>
    </message>
    <message>
        <source>Сжатый</source>
        <translation>Packed</translation>
    </message>
    <message>
        <source>Смещение</source>
        <translation>Offset</translation>
    </message>
    <message>
        <source>Папка</source>
        <translation>Folder</translation>
    </message>
    <message>
        <source>%1 (поверх %2)</source>
        <translation>%1 (over %2)</translation>
    </message>
    <message>
        <source>Источник</source>
        <translation>Source</translation>
    </message>
    <message>
        <source>добавлен</source>
        <translation>added</translation>
    </message>
    <message>
        <source>удалён</source>
        <translation>removed</translation>
    </message>
    <message>
        <source>изменён</source>
        <translation>changed</translation>
    </message>
    <message>
        <source>повреждён</source>
        <translation>damaged</translation>
    </message>
    <message>
        <source>без изменений</source>
        <translation>unchanged</translation>
    </message>
    <message>
        <source>Состояние</source>
        <translation>Status</translation>
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
    <message>
        <source>&amp;Правка</source>
        <translation>&amp;Edit</translation>
    </message>
    <message>
        <source>&amp;Найти</source>
        <translation>&amp;Find</translation>
    </message>
    <message>
        <source>&amp;Вверх</source>
        <translation>&amp;Up</translation>
    </message>
    <message>
        <source>&amp;Открыть заново</source>
        <translation>&amp;Reopen</translation>
    </message>
    <message>
        <source>&amp;Прозрачность</source>
        <translation>&amp;Transparency</translation>
    </message>
    <message>
        <source>&amp;Анимация палитры</source>
        <translation>Palette &amp;Animation</translation>
    </message>
    <message>
        <source>Кодировка текстовых файлов</source>
        <translation>Encoding of text files</translation>
    </message>
    <message>
        <source>Открыть &amp;набор...</source>
        <translation>Open &amp;Set...</translation>
    </message>
    <message>
        <source>&amp;Экспорт в PNG...</source>
        <translation>&amp;Export to PNG...</translation>
    </message>
    <message>
        <source>&amp;Миниатюры</source>
        <translation>&amp;Thumbnails</translation>
    </message>
    <message>
        <source>&amp;Моноширинный шрифт</source>
        <translation>&amp;Fixed-width font</translation>
    </message>
    <message>
        <source>&amp;Сравнить с...</source>
        <translation>&amp;Compare with...</translation>
    </message>
    <message>
        <source>Сравнить с &amp;папкой...</source>
        <translation>Compare with &amp;folder...</translation>
    </message>
    <message>
        <source>&amp;Завершить сравнение</source>
        <translation>&amp;End comparison</translation>
    </message>
    <message>
        <source>Показывать &amp;неизменённые</source>
        <translation>Show &amp;unchanged</translation>
    </message>
</context>
<context>
    <name>CPictureStrip</name>
    <message>
        <source>северо-восток</source>
        <translation>north-east</translation>
    </message>
    <message>
        <source>восток</source>
        <translation>east</translation>
    </message>
    <message>
        <source>юго-восток</source>
        <translation>south-east</translation>
    </message>
    <message>
        <source>юго-запад</source>
        <translation>south-west</translation>
    </message>
    <message>
        <source>запад</source>
        <translation>west</translation>
    </message>
    <message>
        <source>северо-запад</source>
        <translation>north-west</translation>
    </message>
    <message>
        <source>Направление: %1 (%2)</source>
        <translation>Direction: %1 (%2)</translation>
    </message>
    <message>
        <source>Предыдущий кадр (,)</source>
        <translation>Previous frame (,)</translation>
    </message>
    <message>
        <source>Пуск/пауза (пробел)</source>
        <translation>Play/pause (Space)</translation>
    </message>
    <message>
        <source>Следующий кадр (.)</source>
        <translation>Next frame (.)</translation>
    </message>
    <message>
        <source>Вписать</source>
        <translation>Fit</translation>
    </message>
    <message>
        <source>Масштаб (Ctrl+колесо, Ctrl+0)</source>
        <translation>Zoom (Ctrl+wheel, Ctrl+0)</translation>
    </message>
    <message>
        <source>Кадр действия: %1</source>
        <translation>Action frame: %1</translation>
    </message>
    <message>
        <source>Палитра</source>
        <translation>Palette</translation>
    </message>
    <message>
        <source>Своя палитра</source>
        <translation>Own palette</translation>
    </message>
    <message>
        <source>Файл...</source>
        <translation>File...</translation>
    </message>
</context>
<context>
    <name>CProgressDlg</name>
    <message>
        <source>Процес...</source>
        <translation>Progress...</translation>
    </message>
</context>
<context>
    <name>CSourceSetDialog</name>
    <message>
        <source>Набор архивов</source>
        <translation>Archive Set</translation>
    </message>
    <message>
        <source>Добавить &amp;архив...</source>
        <translation>Add &amp;Archive...</translation>
    </message>
    <message>
        <source>Добавить &amp;папку...</source>
        <translation>Add &amp;Folder...</translation>
    </message>
    <message>
        <source>&amp;Выше</source>
        <translation>&amp;Up</translation>
    </message>
    <message>
        <source>&amp;Ниже</source>
        <translation>&amp;Down</translation>
    </message>
    <message>
        <source>&amp;Удалить</source>
        <translation>&amp;Remove</translation>
    </message>
    <message>
        <source>Файлы нижних источников заменяют файлы верхних:</source>
        <translation>Files of lower sources override those of upper ones:</translation>
    </message>
</context>
<context>
    <name>CommandPrompt</name>
    <message>
        <source>Open this document</source>
        <translation>Open this document</translation>
    </message>
    <message>
        <source>Open an existing document
Open</source>
        <translation>Open an existing document
Open</translation>
    </message>
    <message>
        <source>Quit the application; prompts to save documents
Exit</source>
        <translation>Quit the application
Exit</translation>
    </message>
    <message>
        <source>Show or hide the toolbar
Toggle ToolBar</source>
        <translation>Show or hide the toolbar
Toggle Toolbar</translation>
    </message>
    <message>
        <source>Show or hide the status bar
Toggle StatusBar</source>
        <translation>Show or hide the status bar
Toggle Status Bar</translation>
    </message>
    <message>
        <source>Просмотр по папкам</source>
        <translation>View by folders</translation>
    </message>
    <message>
        <source>Просмотр по типам</source>
        <translation>View by file types</translation>
    </message>
    <message>
        <source>Автоматически показывать файл когда он выбран в списке</source>
        <translation>Show a file automatically when it is selected in the list</translation>
    </message>
    <message>
        <source>Свойства</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>Показывать цвет 0 прозрачным</source>
        <translation>Show colour 0 as transparent</translation>
    </message>
    <message>
        <source>Анимировать цвета палитры, как в игре</source>
        <translation>Animate the palette&apos;s colours as the game does</translation>
    </message>
    <message>
        <source>Display program information, version number and copyright
About</source>
        <translation>Display program information, version number and copyright
About</translation>
    </message>
    <message>
        <source>Показать
Показать</source>
        <translation>Show
Show</translation>
    </message>
    <message>
        <source>Display items by using large icons.
Large Icons</source>
        <translation>Display items by using large icons.
Large Icons</translation>
    </message>
    <message>
        <source>Display items by using small icons.
Small Icons</source>
        <translation>Display items by using small icons.
Small Icons</translation>
    </message>
    <message>
        <source>Displays items in a list.
List</source>
        <translation>Displays items in a list.
List</translation>
    </message>
    <message>
        <source>Displays detailed information about each item in the window.
Details</source>
        <translation>Displays detailed information about each item in the window.
Details</translation>
    </message>
    <message>
        <source>Открыть для редактирования/просмотра внешними программами</source>
        <translation>Open for editing or viewing in another program</translation>
    </message>
    <message>
        <source>Сохранить элемент(ы) на диск</source>
        <translation>Save the item(s) to disk</translation>
    </message>
    <message>
        <source>Свойства файла или папки</source>
        <translation>Properties of the file or folder</translation>
    </message>
    <message>
        <source>Скопировать элемент(ы) в папку</source>
        <translation>Copy the item(s) to a folder</translation>
    </message>
    <message>
        <source>Показать содержимое файла</source>
        <translation>Show the contents of the file</translation>
    </message>
    <message>
        <source>Извлечь элемент(ы) в папку вместе с их папками</source>
        <translation>Extract the item(s) to a folder together with their folders</translation>
    </message>
    <message>
        <source>Поместить выбранные элементы в буфер обмена как файлы</source>
        <translation>Put the selected items on the clipboard as files</translation>
    </message>
    <message>
        <source>Найти файлы по имени или маске во всём архиве
Найти</source>
        <translation>Find files by name or mask in the whole archive
Find</translation>
    </message>
    <message>
        <source>Перейти в родительскую папку
Вверх</source>
        <translation>Go to the parent folder
Up</translation>
    </message>
    <message>
        <source>Открыть архив заново</source>
        <translation>Open the archive again</translation>
    </message>
    <message>
        <source>Показывать тексты моноширинным шрифтом</source>
        <translation>Show texts in a fixed-width font</translation>
    </message>
    <message>
        <source>Сохранить выбранные картинки в папку как PNG вместе с их папками</source>
        <translation>Save the selected pictures to a folder as PNG, with their folders</translation>
    </message>
    <message>
        <source>Открыть несколько архивов и папок как один; нижние заменяют верхние</source>
        <translation>Open several archives and folders as one; lower ones override upper ones</translation>
    </message>
    <message>
        <source>Показать, чем второй архив отличается от открытого</source>
        <translation>Show how a second archive differs from the open one</translation>
    </message>
    <message>
        <source>Показать, чем папка с файлами отличается от открытого архива</source>
        <translation>Show how a folder of files differs from the open archive</translation>
    </message>
    <message>
        <source>Вернуться к обычному виду открытого архива</source>
        <translation>Return to the plain view of the open archive</translation>
    </message>
    <message>
        <source>Показывать при сравнении и неизменённые файлы</source>
        <translation>Also show unchanged files while comparing</translation>
    </message>
</context>
<context>
    <name>Core</name>
    <message>
        <source>Файл «%1» не открыт: это не архив DAT или архив повреждён.

%2</source>
        <translation>The file “%1” was not opened: it is not a DAT archive, or the archive is damaged.

%2</translation>
    </message>
    <message>
        <source>Файл «%1» не открыт.

%2</source>
        <translation>The file “%1” was not opened.

%2</translation>
    </message>
    <message>
        <source>Файл «%1» пуст (0 байт): открывать нечего.</source>
        <translation>The file “%1” is empty (0 bytes): there is nothing to open.</translation>
    </message>
    <message>
        <source>Failed to open document.</source>
        <translation>Failed to open document.</translation>
    </message>
    <message>
        <source>Загрузка...</source>
        <translation>Loading...</translation>
    </message>
    <message>
        <source>Canceled loading?</source>
        <translation>Cancel loading?</translation>
    </message>
    <message>
        <source>Untitled</source>
        <translation>Untitled</translation>
    </message>
    <message>
        <source>%1 кадр|%1 кадра|%1 кадров</source>
        <translation>%1 frame|%1 frames</translation>
    </message>
    <message>
        <source>%1 направление|%1 направления|%1 направлений</source>
        <translation>%1 direction|%1 directions</translation>
    </message>
    <message>
        <source>, палитра %1</source>
        <translation>, palette %1</translation>
    </message>
    <message>
        <source>%1 (по умолчанию)</source>
        <translation>%1 (default)</translation>
    </message>
    <message>
        <source>Невозможно показать файл. Нет палитры.</source>
        <translation>Cannot show the file: there is no palette.</translation>
    </message>
    <message>
        <source>Не удалось открыть файл: %1</source>
        <translation>Could not open the file: %1</translation>
    </message>
    <message>
        <source>Ошибка</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>Невозможно сохранить файл. Нет палитры.
Файл: %1</source>
        <translation>Cannot save the file: there is no palette.
File: %1</translation>
    </message>
    <message>
        <source>Для распаковки потребуется время. Продолжать?</source>
        <translation>Unpacking will take a while. Continue?</translation>
    </message>
    <message>
        <source>Распаковка...</source>
        <translation>Unpacking...</translation>
    </message>
    <message>
        <source>Для просмотра кина выберите в сплывающем меню: &apos;Открыть&apos;</source>
        <translation>To watch the movie, choose “Open” in the context menu</translation>
    </message>
    <message>
        <source>Предупреждение</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>Автоматически</source>
        <translation>Automatic</translation>
    </message>
    <message>
        <source>Центральноевропейская (1250)</source>
        <translation>Central European (1250)</translation>
    </message>
    <message>
        <source>Кириллица (1251)</source>
        <translation>Cyrillic (1251)</translation>
    </message>
    <message>
        <source>Западноевропейская (1252)</source>
        <translation>Western European (1252)</translation>
    </message>
    <message>
        <source>Китайская традиционная (Big5)</source>
        <translation>Chinese Traditional (Big5)</translation>
    </message>
    <message>
        <source>Китайская упрощённая (GBK)</source>
        <translation>Chinese Simplified (GBK)</translation>
    </message>
    <message>
        <source>Японская (Shift-JIS)</source>
        <translation>Japanese (Shift-JIS)</translation>
    </message>
    <message>
        <source>Корейская (949)</source>
        <translation>Korean (949)</translation>
    </message>
    <message>
        <source>Сохранение выбранных элементов</source>
        <translation>Saving the selected items</translation>
    </message>
    <message>
        <source>Копирование...</source>
        <translation>Copying...</translation>
    </message>
    <message>
        <source>Прекратить?</source>
        <translation>Stop?</translation>
    </message>
    <message>
        <source>Файл %1 существует. Заменить его?</source>
        <translation>The file %1 exists. Replace it?</translation>
    </message>
    <message>
        <source>Извлечение...</source>
        <translation>Extracting...</translation>
    </message>
    <message>
        <source>Извлечение выбранных элементов с папками</source>
        <translation>Extracting the selected items with their folders</translation>
    </message>
    <message>
        <source>%1 с</source>
        <translation>%1 s</translation>
    </message>
    <message>
        <source>Длительность: %1   Каналов: %2   Частота: %3 Гц   Отсчётов: %4</source>
        <translation>Duration: %1   Channels: %2   Rate: %3 Hz   Samples: %4</translation>
    </message>
    <message>
        <source>Звук повреждён: %1</source>
        <translation>The sound is damaged: %1</translation>
    </message>
    <message>
        <source>%1 × %2   Кадров: %3   Длительность: %4</source>
        <translation>%1 × %2   Frames: %3   Duration: %4</translation>
    </message>
    <message>
        <source>   Звук: %1, %2 Гц, каналов: %3</source>
        <translation>   Sound: %1, %2 Hz, channels: %3</translation>
    </message>
    <message>
        <source>   Без звука</source>
        <translation>   No sound</translation>
    </message>
    <message>
        <source>Кино повреждено: %1</source>
        <translation>The movie is damaged: %1</translation>
    </message>
    <message>
        <source>Сравнение...</source>
        <translation>Comparing...</translation>
    </message>
    <message>
        <source>Сравнить с папкой</source>
        <translation>Compare with folder</translation>
    </message>
    <message>
        <source>Сравнить с архивом</source>
        <translation>Compare with archive</translation>
    </message>
    <message>
        <source>Сравнение не выполнено.

%1</source>
        <translation>The comparison failed.

%1</translation>
    </message>
    <message>
        <source>Не все файлы удалось сравнить:

%1</source>
        <translation>Some files could not be compared:

%1</translation>
    </message>
</context>
</TS>
