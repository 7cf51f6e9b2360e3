#pragma once
// While a progress dialog is up its owner takes no input. Disabling a Qt
// window would disable the dialog too (it is the window's child), so a main
// window blocks its menus, toolbars and panes instead.
class QWidget;

void SetWindowInputEnabled(QWidget* window, bool enabled);
bool IsWindowInputEnabled(const QWidget* window);
