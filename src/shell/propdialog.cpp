#include "shell/propdialog.h"

CFilePropDialog::CFilePropDialog(QWidget* parent, CDATItem*) : QDialog(parent) {}
