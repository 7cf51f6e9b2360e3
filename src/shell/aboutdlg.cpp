#include "shell/aboutdlg.h"

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {}
