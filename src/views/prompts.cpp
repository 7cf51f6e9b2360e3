#include "views/prompts.h"

#include "views/commandids.h"

#include <QCoreApplication>

namespace {

// The translation context of the prompts.
struct SCommandPrompt
{
    Q_DECLARE_TR_FUNCTIONS(CommandPrompt)
};

} // namespace

QString CommandPrompt(unsigned id)
{
    if (id >= ID_FILE_MRU_FILE1 && id <= ID_FILE_MRU_LAST)
        return SCommandPrompt::tr("Open this document");
    switch (id) {
    case ID_FILE_OPEN: return SCommandPrompt::tr("Open an existing document\nOpen");
    case ID_APP_EXIT: return SCommandPrompt::tr("Quit the application; prompts to save documents\nExit");
    case ID_VIEW_TOOLBAR: return SCommandPrompt::tr("Show or hide the toolbar\nToggle ToolBar");
    case ID_VIEW_STATUS_BAR: return SCommandPrompt::tr("Show or hide the status bar\nToggle StatusBar");
    case ID_VIEW_FOLDERS: return SCommandPrompt::tr("Просмотр по папкам");
    case ID_VIEW_TYPES: return SCommandPrompt::tr("Просмотр по типам");
    case ID_VIEW_AUTOSHOW: return SCommandPrompt::tr("Автоматически показывать файл когда он выбран в списке");
    case ID_SETTINGS: return SCommandPrompt::tr("Свойства");
    case ID_VIEW_TRANSPARENCY: return SCommandPrompt::tr("Показывать цвет 0 прозрачным");
    case ID_VIEW_PALETTE_ANIMATION: return SCommandPrompt::tr("Анимировать цвета палитры, как в игре");
    case ID_VIEW_FIXED_FONT: return SCommandPrompt::tr("Показывать тексты моноширинным шрифтом");
    case ID_APP_ABOUT: return SCommandPrompt::tr("Display program information, version number and copyright\nAbout");
    case ID_SHOW_BUTTON: return SCommandPrompt::tr("Показать\nПоказать");
    case ID_VIEW_LARGEICON: return SCommandPrompt::tr("Display items by using large icons.\nLarge Icons");
    case ID_VIEW_SMALLICON: return SCommandPrompt::tr("Display items by using small icons.\nSmall Icons");
    case ID_VIEW_LIST: return SCommandPrompt::tr("Displays items in a list.\nList");
    case ID_VIEW_DETAILS:
        return SCommandPrompt::tr("Displays detailed information about each item in the window.\nDetails");
    case ID_FILE_OPENITEM: return SCommandPrompt::tr("Открыть для редактирования/просмотра внешними программами");
    case ID_FILE_SAVEITEMAS: return SCommandPrompt::tr("Сохранить элемент(ы) на диск");
    case ID_FILE_ITEMPROPERTIES: return SCommandPrompt::tr("Свойства файла или папки");
    case ID_FILE_COPYTO: return SCommandPrompt::tr("Скопировать элемент(ы) в папку");
    case ID_FILE_SHOW: return SCommandPrompt::tr("Показать содержимое файла");
    case ID_FILE_EXTRACTDIRS: return SCommandPrompt::tr("Извлечь элемент(ы) в папку вместе с их папками");
    case ID_FILE_EXPORTPNG:
        return SCommandPrompt::tr("Сохранить выбранные картинки в папку как PNG вместе с их папками");
    case ID_EDIT_COPY: return SCommandPrompt::tr("Поместить выбранные элементы в буфер обмена как файлы");
    case ID_EDIT_FIND: return SCommandPrompt::tr("Найти файлы по имени или маске во всём архиве\nНайти");
    case ID_GO_UP: return SCommandPrompt::tr("Перейти в родительскую папку\nВверх");
    case ID_FILE_REOPEN: return SCommandPrompt::tr("Открыть архив заново");
    case ID_FILE_OPENSET:
        return SCommandPrompt::tr("Открыть несколько архивов и папок как один; нижние заменяют верхние");
    case ID_FILE_COMPARE: return SCommandPrompt::tr("Показать, чем второй архив отличается от открытого");
    case ID_FILE_COMPAREFOLDER: return SCommandPrompt::tr("Показать, чем папка с файлами отличается от открытого архива");
    case ID_FILE_ENDCOMPARE: return SCommandPrompt::tr("Вернуться к обычному виду открытого архива");
    case ID_VIEW_SHOWUNCHANGED: return SCommandPrompt::tr("Показывать при сравнении и неизменённые файлы");
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
