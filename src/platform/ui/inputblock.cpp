#include "platform/ui/inputblock.h"

#include <QMainWindow>
#include <QMenuBar>
#include <QToolBar>
#include <QVariant>

namespace {
const char* const kBlocked = "dravikInputBlocked";
}

void SetWindowInputEnabled(QWidget* window, bool enabled)
{
    if (!window)
        return;
    if (auto* main = qobject_cast<QMainWindow*>(window)) {
        main->setProperty(kBlocked, !enabled);
        if (QWidget* central = main->centralWidget())
            central->setEnabled(enabled);
        if (QMenuBar* bar = main->menuBar())
            bar->setEnabled(enabled);
        for (QToolBar* toolbar : main->findChildren<QToolBar*>(QString(), Qt::FindDirectChildrenOnly))
            toolbar->setEnabled(enabled);
        return;
    }
    window->setEnabled(enabled);
}

bool IsWindowInputEnabled(const QWidget* window)
{
    if (!window)
        return false;
    if (qobject_cast<const QMainWindow*>(window))
        return !window->property(kBlocked).toBool();
    return window->isEnabled();
}
