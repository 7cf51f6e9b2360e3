<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU">
<context>
    <name>CAboutDlg</name>
    <message>
        <source>О программе</source>
        <translation>О программе</translation>
    </message>
    <message>
        <source>Версия 0.9</source>
        <translation>Версия 0.9</translation>
    </message>
    <message>
        <source>Свободный проект для Linux</source>
        <translation>Свободный проект для Linux</translation>
    </message>
</context>
<context>
    <name>CDATFileList</name>
    <message>
        <source>&amp;Открыть</source>
        <translation>&amp;Открыть</translation>
    </message>
    <message>
        <source>&amp;Показать</source>
        <translation>&amp;Показать</translation>
    </message>
    <message>
        <source>&amp;Сохранить как ...</source>
        <translation>&amp;Сохранить как ...</translation>
    </message>
    <message>
        <source>С&amp;копировать в ...</source>
        <translation>С&amp;копировать в ...</translation>
    </message>
    <message>
        <source>Извлечь с &amp;папками...</source>
        <translation>Извлечь с &amp;папками...</translation>
    </message>
    <message>
        <source>С&amp;войства</source>
        <translation>С&amp;войства</translation>
    </message>
    <message>
        <source>Повреждённые файлы не скопированы:</source>
        <translation>Повреждённые файлы не скопированы:</translation>
    </message>
    <message>
        <source>... и ещё %1</source>
        <translation>... и ещё %1</translation>
    </message>
    <message>
        <source>Предупреждение</source>
        <translation>Предупреждение</translation>
    </message>
    <message>
        <source>Извлечено файлов: %1 в %2%3</source>
        <translation>Извлечено файлов: %1 в %2%3</translation>
    </message>
    <message>
        <source> (прервано)</source>
        <translation> (прервано)</translation>
    </message>
    <message>
        <source>Повреждённые файлы не извлечены:</source>
        <translation>Повреждённые файлы не извлечены:</translation>
    </message>
    <message>
        <source>Повреждённые файлы пропущены: %1</source>
        <translation>Повреждённые файлы пропущены: %1</translation>
    </message>
    <message>
        <source>Имя файла, часть пути или маска (*.frm)</source>
        <translation>Имя файла, часть пути или маска (*.frm)</translation>
    </message>
    <message>
        <source>Экспорт выбранных картинок в PNG</source>
        <translation>Экспорт выбранных картинок в PNG</translation>
    </message>
    <message>
        <source>Экспорт...</source>
        <translation>Экспорт...</translation>
    </message>
    <message>
        <source>&amp;Экспорт в PNG...</source>
        <translation>&amp;Экспорт в PNG...</translation>
    </message>
    <message>
        <source>Экспортировано картинок: %1 в %2%3</source>
        <translation>Экспортировано картинок: %1 в %2%3</translation>
    </message>
    <message>
        <source>Не удалось преобразовать в PNG:
</source>
        <translation>Не удалось преобразовать в PNG:
</translation>
    </message>
</context>
<context>
    <name>CDATFileViewer</name>
    <message>
        <source>Палитра</source>
        <translation>Палитра</translation>
    </message>
    <message>
        <source>PAL files (*.pal);;All files (*)</source>
        <translation type="unfinished">Файлы PAL (*.pal);;Все файлы (*)</translation>
    </message>
    <message>
        <source>Играть</source>
        <translation>Играть</translation>
    </message>
    <message>
        <source>Пробел или «Играть» — прослушать, ещё раз — остановить</source>
        <translation>Пробел или «Играть» — прослушать, ещё раз — остановить</translation>
    </message>
    <message>
        <source>Звуковое устройство не найдено</source>
        <translation>Звуковое устройство не найдено</translation>
    </message>
    <message>
        <source>Стоп</source>
        <translation>Стоп</translation>
    </message>
    <message>
        <source>Было: %1</source>
        <translation>Было: %1</translation>
    </message>
    <message>
        <source>Стало: %1</source>
        <translation>Стало: %1</translation>
    </message>
</context>
<context>
    <name>CDATHelpDialog</name>
    <message>
        <source>Помощь</source>
        <translation>Помощь</translation>
    </message>
    <message>
        <source>Предназначен для просмотра упакованных файлов с ресурсами Ashmoor 2 (DAT - файлов) </source>
        <translation>Предназначен для просмотра упакованных файлов с ресурсами Ashmoor 2 (DAT - файлов) </translation>
    </message>
    <message>
        <source>Позволяет просматривать, открывать и сохранять FRM, RIX, текстовые файлы, а также запускать на просмотр виде-ролики (MVE)</source>
        <translation>Позволяет просматривать, открывать и сохранять FRM, RIX, текстовые файлы, а также запускать на просмотр виде-ролики (MVE)</translation>
    </message>
    <message>
        <source>В левой части расположено дерево файлов,правая верхняя содержит список файлов, правая нижняя - содержимое файла.</source>
        <translation>В левой части расположено дерево файлов,правая верхняя содержит список файлов, правая нижняя - содержимое файла.</translation>
    </message>
    <message>
        <source>Возможно два вида отображения дерева:</source>
        <translation>Возможно два вида отображения дерева:</translation>
    </message>
    <message>
        <source>	1. по директориям внутри DAT файла</source>
        <translation>	1. по директориям внутри DAT файла</translation>
    </message>
    <message>
        <source>	2. по типам файлов</source>
        <translation>	2. по типам файлов</translation>
    </message>
    <message>
        <source>Смена режимов:  Меню - Вид - Папки (Типы)</source>
        <translation>Смена режимов:  Меню - Вид - Папки (Типы)</translation>
    </message>
    <message>
        <source>По умолчанию при выборе файла в списке файлов происходит автоматическое отображение содержимого в нижней части.</source>
        <translation>По умолчанию при выборе файла в списке файлов происходит автоматическое отображение содержимого в нижней части.</translation>
    </message>
    <message>
        <source>При желании этот режим можно отключить: Меню - Вид - Автопоказ.</source>
        <translation>При желании этот режим можно отключить: Меню - Вид - Автопоказ.</translation>
    </message>
    <message>
        <source>При отключенном автопоказе просмотр осуществляется кнопкой просмотр на панели.</source>
        <translation>При отключенном автопоказе просмотр осуществляется кнопкой просмотр на панели.</translation>
    </message>
    <message>
        <source>Для сохранения или открытия файла необходимо выбрать его в списке файлов и вызвать контекстное меню, далее по вкусу.</source>
        <translation>Для сохранения или открытия файла необходимо выбрать его в списке файлов и вызвать контекстное меню, далее по вкусу.</translation>
    </message>
    <message>
        <source>Первая версия browser&apos;а.</source>
        <translation>Первая версия browser&apos;а.</translation>
    </message>
    <message>
        <source>Интересен будет всем кто хочет знать что внутри.</source>
        <translation>Интересен будет всем кто хочет знать что внутри.</translation>
    </message>
    <message>
        <source>Спасибо сообществу моддеров Ashmoor 2 за сведения о форматах файлов.</source>
        <translation>Спасибо сообществу моддеров Ashmoor 2 за сведения о форматах файлов.</translation>
    </message>
    <message>
        <source>Пожелания и замечания направляйте разработчикам проекта Dravik:</source>
        <translation>Пожелания и замечания направляйте разработчикам проекта Dravik:</translation>
    </message>
    <message>
        <source>трекер задач проекта (раздел Issues его репозитория)</source>
        <translation>трекер задач проекта (раздел Issues его репозитория)</translation>
    </message>
    <message>
        <source>или обсуждения проекта (раздел Discussions его репозитория)</source>
        <translation>или обсуждения проекта (раздел Discussions его репозитория)</translation>
    </message>
</context>
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
    <message>
        <source>О&amp;чистить кэш</source>
        <translation>О&amp;чистить кэш</translation>
    </message>
    <message>
        <source>Русский</source>
        <translation>Русский</translation>
    </message>
    <message>
        <source>О&amp;бзор ...</source>
        <translation>О&amp;бзор ...</translation>
    </message>
    <message>
        <source>Палитра для архивов без палитры</source>
        <translation>Палитра для архивов без палитры</translation>
    </message>
    <message>
        <source>Палитра</source>
        <translation>Палитра</translation>
    </message>
    <message>
        <source>PAL files (*.pal);;All files (*)</source>
        <translation>Файлы PAL (*.pal);;Все файлы (*)</translation>
    </message>
    <message>
        <source>Кэш занимает %1 (файлов: %2)</source>
        <translation>Кэш занимает %1 (файлов: %2)</translation>
    </message>
    <message>
        <source>Удалить файлы кэша из %1?</source>
        <translation>Удалить файлы кэша из %1?</translation>
    </message>
    <message>
        <source>Файл палитры не найден: %1</source>
        <translation>Файл палитры не найден: %1</translation>
    </message>
</context>
<context>
    <name>CFilePropDialog</name>
    <message>
        <source>Свойства</source>
        <translation>Свойства</translation>
    </message>
    <message>
        <source>Общие</source>
        <translation>Общие</translation>
    </message>
    <message>
        <source>Тип:</source>
        <translation>Тип:</translation>
    </message>
    <message>
        <source>Путь:</source>
        <translation>Путь:</translation>
    </message>
    <message>
        <source>Размер:</source>
        <translation>Размер:</translation>
    </message>
    <message>
        <source>Сжатый:</source>
        <translation>Сжатый:</translation>
    </message>
    <message>
        <source>Смещение:</source>
        <translation>Смещение:</translation>
    </message>
    <message>
        <source>Кэш:</source>
        <translation>Кэш:</translation>
    </message>
    <message>
        <source>Источник</source>
        <translation>Источник</translation>
    </message>
    <message>
        <source>Копии (%1)</source>
        <translation>Копии (%1)</translation>
    </message>
    <message>
        <source>Размер</source>
        <translation>Размер</translation>
    </message>
    <message>
        <source>Сжатый</source>
        <translation>Сжатый</translation>
    </message>
    <message>
        <source>Смещение</source>
        <translation>Смещение</translation>
    </message>
</context>
<context>
    <name>CListingModel</name>
    <message>
        <source>Файл</source>
        <translation>Файл</translation>
    </message>
    <message>
        <source>Тип</source>
        <translation>Тип</translation>
    </message>
    <message>
        <source>Размер</source>
        <translation>Размер</translation>
    </message>
    <message>
        <source>Сжатый</source>
        <translation>Сжатый</translation>
    </message>
    <message>
        <source>Смещение</source>
        <translation>Смещение</translation>
    </message>
    <message>
        <source>Папка</source>
        <translation>Папка</translation>
    </message>
    <message>
        <source>%1 (поверх %2)</source>
        <translation>%1 (поверх %2)</translation>
    </message>
    <message>
        <source>Источник</source>
        <translation>Источник</translation>
    </message>
    <message>
        <source>добавлен</source>
        <translation>добавлен</translation>
    </message>
    <message>
        <source>удалён</source>
        <translation>удалён</translation>
    </message>
    <message>
        <source>изменён</source>
        <translation>изменён</translation>
    </message>
    <message>
        <source>повреждён</source>
        <translation>повреждён</translation>
    </message>
    <message>
        <source>без изменений</source>
        <translation>без изменений</translation>
    </message>
    <message>
        <source>Состояние</source>
        <translation>Состояние</translation>
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
    <message>
        <source>&amp;Правка</source>
        <translation>&amp;Правка</translation>
    </message>
    <message>
        <source>&amp;Найти</source>
        <translation>&amp;Найти</translation>
    </message>
    <message>
        <source>&amp;Вверх</source>
        <translation>&amp;Вверх</translation>
    </message>
    <message>
        <source>&amp;Открыть заново</source>
        <translation>&amp;Открыть заново</translation>
    </message>
    <message>
        <source>&amp;Прозрачность</source>
        <translation>&amp;Прозрачность</translation>
    </message>
    <message>
        <source>&amp;Анимация палитры</source>
        <translation>&amp;Анимация палитры</translation>
    </message>
    <message>
        <source>Кодировка текстовых файлов</source>
        <translation>Кодировка текстовых файлов</translation>
    </message>
    <message>
        <source>Открыть &amp;набор...</source>
        <translation>Открыть &amp;набор...</translation>
    </message>
    <message>
        <source>&amp;Экспорт в PNG...</source>
        <translation>&amp;Экспорт в PNG...</translation>
    </message>
    <message>
        <source>&amp;Миниатюры</source>
        <translation>&amp;Миниатюры</translation>
    </message>
    <message>
        <source>&amp;Моноширинный шрифт</source>
        <translation>&amp;Моноширинный шрифт</translation>
    </message>
    <message>
        <source>&amp;Сравнить с...</source>
        <translation>&amp;Сравнить с...</translation>
    </message>
    <message>
        <source>Сравнить с &amp;папкой...</source>
        <translation>Сравнить с &amp;папкой...</translation>
    </message>
    <message>
        <source>&amp;Завершить сравнение</source>
        <translation>&amp;Завершить сравнение</translation>
    </message>
    <message>
        <source>Показывать &amp;неизменённые</source>
        <translation>Показывать &amp;неизменённые</translation>
    </message>
</context>
<context>
    <name>CPictureStrip</name>
    <message>
        <source>северо-восток</source>
        <translation>северо-восток</translation>
    </message>
    <message>
        <source>восток</source>
        <translation>восток</translation>
    </message>
    <message>
        <source>юго-восток</source>
        <translation>юго-восток</translation>
    </message>
    <message>
        <source>юго-запад</source>
        <translation>юго-запад</translation>
    </message>
    <message>
        <source>запад</source>
        <translation>запад</translation>
    </message>
    <message>
        <source>северо-запад</source>
        <translation>северо-запад</translation>
    </message>
    <message>
        <source>Направление: %1 (%2)</source>
        <translation>Направление: %1 (%2)</translation>
    </message>
    <message>
        <source>Предыдущий кадр (,)</source>
        <translation>Предыдущий кадр (,)</translation>
    </message>
    <message>
        <source>Пуск/пауза (пробел)</source>
        <translation>Пуск/пауза (пробел)</translation>
    </message>
    <message>
        <source>Следующий кадр (.)</source>
        <translation>Следующий кадр (.)</translation>
    </message>
    <message>
        <source>Вписать</source>
        <translation>Вписать</translation>
    </message>
    <message>
        <source>Масштаб (Ctrl+колесо, Ctrl+0)</source>
        <translation>Масштаб (Ctrl+колесо, Ctrl+0)</translation>
    </message>
    <message>
        <source>Кадр действия: %1</source>
        <translation>Кадр действия: %1</translation>
    </message>
    <message>
        <source>Палитра</source>
        <translation>Палитра</translation>
    </message>
    <message>
        <source>Своя палитра</source>
        <translation>Своя палитра</translation>
    </message>
    <message>
        <source>Файл...</source>
        <translation>Файл...</translation>
    </message>
</context>
<context>
    <name>CProgressDlg</name>
    <message>
        <source>Процес...</source>
        <translation>Процес...</translation>
    </message>
</context>
<context>
    <name>CSourceSetDialog</name>
    <message>
        <source>Набор архивов</source>
        <translation>Набор архивов</translation>
    </message>
    <message>
        <source>Добавить &amp;архив...</source>
        <translation>Добавить &amp;архив...</translation>
    </message>
    <message>
        <source>Добавить &amp;папку...</source>
        <translation>Добавить &amp;папку...</translation>
    </message>
    <message>
        <source>&amp;Выше</source>
        <translation>&amp;Выше</translation>
    </message>
    <message>
        <source>&amp;Ниже</source>
        <translation>&amp;Ниже</translation>
    </message>
    <message>
        <source>&amp;Удалить</source>
        <translation>&amp;Удалить</translation>
    </message>
    <message>
        <source>Файлы нижних источников заменяют файлы верхних:</source>
        <translation>Файлы нижних источников заменяют файлы верхних:</translation>
    </message>
</context>
<context>
    <name>CommandPrompt</name>
    <message>
        <source>Open this document</source>
        <translation>Открыть этот документ</translation>
    </message>
    <message>
        <source>Open an existing document
Open</source>
        <translation>Открыть существующий документ
Открыть</translation>
    </message>
    <message>
        <source>Quit the application; prompts to save documents
Exit</source>
        <translation>Выйти из программы
Выход</translation>
    </message>
    <message>
        <source>Show or hide the toolbar
Toggle ToolBar</source>
        <translation>Показать или скрыть панель инструментов
Панель инструментов</translation>
    </message>
    <message>
        <source>Show or hide the status bar
Toggle StatusBar</source>
        <translation>Показать или скрыть строку состояния
Строка состояния</translation>
    </message>
    <message>
        <source>Просмотр по папкам</source>
        <translation>Просмотр по папкам</translation>
    </message>
    <message>
        <source>Просмотр по типам</source>
        <translation>Просмотр по типам</translation>
    </message>
    <message>
        <source>Автоматически показывать файл когда он выбран в списке</source>
        <translation>Автоматически показывать файл когда он выбран в списке</translation>
    </message>
    <message>
        <source>Свойства</source>
        <translation>Свойства</translation>
    </message>
    <message>
        <source>Показывать цвет 0 прозрачным</source>
        <translation>Показывать цвет 0 прозрачным</translation>
    </message>
    <message>
        <source>Анимировать цвета палитры, как в игре</source>
        <translation>Анимировать цвета палитры, как в игре</translation>
    </message>
    <message>
        <source>Display program information, version number and copyright
About</source>
        <translation>Показать сведения о программе, её версию и авторские права
О программе</translation>
    </message>
    <message>
        <source>Показать
Показать</source>
        <translation>Показать
Показать</translation>
    </message>
    <message>
        <source>Display items by using large icons.
Large Icons</source>
        <translation>Показать элементы крупными значками.
Крупные значки</translation>
    </message>
    <message>
        <source>Display items by using small icons.
Small Icons</source>
        <translation>Показать элементы мелкими значками.
Мелкие значки</translation>
    </message>
    <message>
        <source>Displays items in a list.
List</source>
        <translation>Показать элементы списком.
Список</translation>
    </message>
    <message>
        <source>Displays detailed information about each item in the window.
Details</source>
        <translation>Показать подробные сведения о каждом элементе.
Таблица</translation>
    </message>
    <message>
        <source>Открыть для редактирования/просмотра внешними программами</source>
        <translation>Открыть для редактирования/просмотра внешними программами</translation>
    </message>
    <message>
        <source>Сохранить элемент(ы) на диск</source>
        <translation>Сохранить элемент(ы) на диск</translation>
    </message>
    <message>
        <source>Свойства файла или папки</source>
        <translation>Свойства файла или папки</translation>
    </message>
    <message>
        <source>Скопировать элемент(ы) в папку</source>
        <translation>Скопировать элемент(ы) в папку</translation>
    </message>
    <message>
        <source>Показать содержимое файла</source>
        <translation>Показать содержимое файла</translation>
    </message>
    <message>
        <source>Извлечь элемент(ы) в папку вместе с их папками</source>
        <translation>Извлечь элемент(ы) в папку вместе с их папками</translation>
    </message>
    <message>
        <source>Поместить выбранные элементы в буфер обмена как файлы</source>
        <translation>Поместить выбранные элементы в буфер обмена как файлы</translation>
    </message>
    <message>
        <source>Найти файлы по имени или маске во всём архиве
Найти</source>
        <translation>Найти файлы по имени или маске во всём архиве
Найти</translation>
    </message>
    <message>
        <source>Перейти в родительскую папку
Вверх</source>
        <translation>Перейти в родительскую папку
Вверх</translation>
    </message>
    <message>
        <source>Открыть архив заново</source>
        <translation>Открыть архив заново</translation>
    </message>
    <message>
        <source>Показывать тексты моноширинным шрифтом</source>
        <translation>Показывать тексты моноширинным шрифтом</translation>
    </message>
    <message>
        <source>Сохранить выбранные картинки в папку как PNG вместе с их папками</source>
        <translation>Сохранить выбранные картинки в папку как PNG вместе с их папками</translation>
    </message>
    <message>
        <source>Открыть несколько архивов и папок как один; нижние заменяют верхние</source>
        <translation>Открыть несколько архивов и папок как один; нижние заменяют верхние</translation>
    </message>
    <message>
        <source>Показать, чем второй архив отличается от открытого</source>
        <translation>Показать, чем второй архив отличается от открытого</translation>
    </message>
    <message>
        <source>Показать, чем папка с файлами отличается от открытого архива</source>
        <translation>Показать, чем папка с файлами отличается от открытого архива</translation>
    </message>
    <message>
        <source>Вернуться к обычному виду открытого архива</source>
        <translation>Вернуться к обычному виду открытого архива</translation>
    </message>
    <message>
        <source>Показывать при сравнении и неизменённые файлы</source>
        <translation>Показывать при сравнении и неизменённые файлы</translation>
    </message>
</context>
<context>
    <name>Core</name>
    <message>
        <source>Файл «%1» не открыт: это не архив DAT или архив повреждён.

%2</source>
        <translation>Файл «%1» не открыт: это не архив DAT или архив повреждён.

%2</translation>
    </message>
    <message>
        <source>Файл «%1» не открыт.

%2</source>
        <translation>Файл «%1» не открыт.

%2</translation>
    </message>
    <message>
        <source>Файл «%1» пуст (0 байт): открывать нечего.</source>
        <translation>Файл «%1» пуст (0 байт): открывать нечего.</translation>
    </message>
    <message>
        <source>Failed to open document.</source>
        <translation>Не удалось открыть документ.</translation>
    </message>
    <message>
        <source>Загрузка...</source>
        <translation>Загрузка...</translation>
    </message>
    <message>
        <source>Canceled loading?</source>
        <translation>Canceled loading?</translation>
    </message>
    <message>
        <source>Untitled</source>
        <translation>Безымянный</translation>
    </message>
    <message>
        <source>%1 кадр|%1 кадра|%1 кадров</source>
        <translation>%1 кадр|%1 кадра|%1 кадров</translation>
    </message>
    <message>
        <source>%1 направление|%1 направления|%1 направлений</source>
        <translation>%1 направление|%1 направления|%1 направлений</translation>
    </message>
    <message>
        <source>, палитра %1</source>
        <translation>, палитра %1</translation>
    </message>
    <message>
        <source>%1 (по умолчанию)</source>
        <translation>%1 (по умолчанию)</translation>
    </message>
    <message>
        <source>Невозможно показать файл. Нет палитры.</source>
        <translation>Невозможно показать файл. Нет палитры.</translation>
    </message>
    <message>
        <source>Не удалось открыть файл: %1</source>
        <translation>Не удалось открыть файл: %1</translation>
    </message>
    <message>
        <source>Ошибка</source>
        <translation>Ошибка</translation>
    </message>
    <message>
        <source>Невозможно сохранить файл. Нет палитры.
Файл: %1</source>
        <translation>Невозможно сохранить файл. Нет палитры.
Файл: %1</translation>
    </message>
    <message>
        <source>Для распаковки потребуется время. Продолжать?</source>
        <translation>Для распаковки потребуется время. Продолжать?</translation>
    </message>
    <message>
        <source>Распаковка...</source>
        <translation>Распаковка...</translation>
    </message>
    <message>
        <source>Для просмотра кина выберите в сплывающем меню: &apos;Открыть&apos;</source>
        <translation>Для просмотра кина выберите в сплывающем меню: &apos;Открыть&apos;</translation>
    </message>
    <message>
        <source>Предупреждение</source>
        <translation>Предупреждение</translation>
    </message>
    <message>
        <source>Автоматически</source>
        <translation>Автоматически</translation>
    </message>
    <message>
        <source>Центральноевропейская (1250)</source>
        <translation>Центральноевропейская (1250)</translation>
    </message>
    <message>
        <source>Кириллица (1251)</source>
        <translation>Кириллица (1251)</translation>
    </message>
    <message>
        <source>Западноевропейская (1252)</source>
        <translation>Западноевропейская (1252)</translation>
    </message>
    <message>
        <source>Китайская традиционная (Big5)</source>
        <translation>Китайская традиционная (Big5)</translation>
    </message>
    <message>
        <source>Китайская упрощённая (GBK)</source>
        <translation>Китайская упрощённая (GBK)</translation>
    </message>
    <message>
        <source>Японская (Shift-JIS)</source>
        <translation>Японская (Shift-JIS)</translation>
    </message>
    <message>
        <source>Корейская (949)</source>
        <translation>Корейская (949)</translation>
    </message>
    <message>
        <source>Сохранение выбранных элементов</source>
        <translation>Сохранение выбранных элементов</translation>
    </message>
    <message>
        <source>Копирование...</source>
        <translation>Копирование...</translation>
    </message>
    <message>
        <source>Прекратить?</source>
        <translation>Прекратить?</translation>
    </message>
    <message>
        <source>Файл %1 существует. Заменить его?</source>
        <translation>Файл %1 существует. Заменить его?</translation>
    </message>
    <message>
        <source>Извлечение...</source>
        <translation>Извлечение...</translation>
    </message>
    <message>
        <source>Извлечение выбранных элементов с папками</source>
        <translation>Извлечение выбранных элементов с папками</translation>
    </message>
    <message>
        <source>%1 с</source>
        <translation>%1 с</translation>
    </message>
    <message>
        <source>Длительность: %1   Каналов: %2   Частота: %3 Гц   Отсчётов: %4</source>
        <translation>Длительность: %1   Каналов: %2   Частота: %3 Гц   Отсчётов: %4</translation>
    </message>
    <message>
        <source>Звук повреждён: %1</source>
        <translation>Звук повреждён: %1</translation>
    </message>
    <message>
        <source>%1 × %2   Кадров: %3   Длительность: %4</source>
        <translation>%1 × %2   Кадров: %3   Длительность: %4</translation>
    </message>
    <message>
        <source>   Звук: %1, %2 Гц, каналов: %3</source>
        <translation>   Звук: %1, %2 Гц, каналов: %3</translation>
    </message>
    <message>
        <source>   Без звука</source>
        <translation>   Без звука</translation>
    </message>
    <message>
        <source>Кино повреждено: %1</source>
        <translation>Кино повреждено: %1</translation>
    </message>
    <message>
        <source>Сравнение...</source>
        <translation>Сравнение...</translation>
    </message>
    <message>
        <source>Сравнить с папкой</source>
        <translation>Сравнить с папкой</translation>
    </message>
    <message>
        <source>Сравнить с архивом</source>
        <translation>Сравнить с архивом</translation>
    </message>
    <message>
        <source>Сравнение не выполнено.

%1</source>
        <translation>Сравнение не выполнено.

%1</translation>
    </message>
    <message>
        <source>Не все файлы удалось сравнить:

%1</source>
        <translation>Не все файлы удалось сравнить:

%1</translation>
    </message>
</context>
</TS>
