#include "views/prompts.h"

#include "views/commandids.h"

#include <QCoreApplication>

QString CommandPrompt(unsigned id)
{
    if (id >= ID_FILE_MRU_FILE1 && id <= ID_FILE_MRU_LAST)
        return QStringLiteral("Open this document");
    switch (id) {
    case ID_FILE_OPEN: return QStringLiteral("Open an existing document\nOpen");
    case ID_APP_EXIT: return QStringLiteral("Quit the application; prompts to save documents\nExit");
    case ID_VIEW_TOOLBAR: return QStringLiteral("Show or hide the toolbar\nToggle ToolBar");
    case ID_VIEW_STATUS_BAR: return QStringLiteral("Show or hide the status bar\nToggle StatusBar");
    case ID_VIEW_FOLDERS: return QStringLiteral("Просмотр по папкам");
    case ID_VIEW_TYPES: return QStringLiteral("Просмотр по типам");
    case ID_VIEW_AUTOSHOW: return QStringLiteral("Автоматически показывать файл когда он выбран в списке");
    case ID_SETTINGS: return QStringLiteral("Свойства");
    case ID_VIEW_TRANSPARENCY: return QStringLiteral("Показывать цвет 0 прозрачным");
    case ID_VIEW_PALETTE_ANIMATION: return QStringLiteral("Анимировать цвета палитры, как в игре");
    case ID_VIEW_FIXED_FONT: return QStringLiteral("Показывать тексты моноширинным шрифтом");
    case ID_APP_ABOUT: return QStringLiteral("Display program information, version number and copyright\nAbout");
    case ID_SHOW_BUTTON: return QStringLiteral("Показать\nПоказать");
    case ID_VIEW_LARGEICON: return QStringLiteral("Display items by using large icons.\nLarge Icons");
    case ID_VIEW_SMALLICON: return QStringLiteral("Display items by using small icons.\nSmall Icons");
    case ID_VIEW_LIST: return QStringLiteral("Displays items in a list.\nList");
    case ID_VIEW_DETAILS:
        return QStringLiteral("Displays detailed information about each item in the window.\nDetails");
    case ID_FILE_OPENITEM: return QStringLiteral("Открыть для редактирования/просмотра внешними программами");
    case ID_FILE_SAVEITEMAS: return QStringLiteral("Сохранить элемент(ы) на диск");
    case ID_FILE_ITEMPROPERTIES: return QStringLiteral("Свойства файла или папки");
    case ID_FILE_COPYTO: return QStringLiteral("Скопировать элемент(ы) в папку");
    case ID_FILE_SHOW: return QStringLiteral("Показать содержимое файла");
    case ID_FILE_EXTRACTDIRS: return QStringLiteral("Извлечь элемент(ы) в папку вместе с их папками");
    case ID_FILE_EXPORTPNG:
        return QCoreApplication::translate("Prompts", "Сохранить выбранные картинки в папку как PNG вместе с их папками");
    case ID_EDIT_COPY: return QStringLiteral("Поместить выбранные элементы в буфер обмена как файлы");
    case ID_EDIT_FIND: return QStringLiteral("Найти файлы по имени или маске во всём архиве\nНайти");
    case ID_GO_UP: return QStringLiteral("Перейти в родительскую папку\nВверх");
    case ID_FILE_REOPEN: return QStringLiteral("Открыть архив заново");
    case ID_FILE_OPENSET:
        return QCoreApplication::translate("Prompts", "Открыть несколько архивов и папок как один; нижние заменяют верхние");
    default: return QString();
    }
}

QString CommandStatusText(unsigned id)
{
    return CommandPrompt(id).section(QLatin1Char('\n'), 0, 0);
}

QString CommandToolTip(unsigned id)
{
    const QString prompt = CommandPrompt(id);
    return prompt.contains(QLatin1Char('\n')) ? prompt.section(QLatin1Char('\n'), 1) : QString();
}
