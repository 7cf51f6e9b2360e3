#include "shell/aboutdlg.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(tr("О программе"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    // Without the picture the framed area stays, empty.
    auto* picture = new QLabel(this);
    picture->setFrameStyle(QFrame::Box | QFrame::Plain);
    picture->setLineWidth(1);
    picture->setFixedSize(128 + 2, 96 + 2);
    picture->setAlignment(Qt::AlignCenter);
    const QPixmap pixmap(QStringLiteral(":/about.png"));
    if (!pixmap.isNull())
        picture->setPixmap(pixmap);

    auto* texts = new QVBoxLayout;
    for (const QString& text : {QStringLiteral("Ashmoor 2 DAT file Browser"), tr("Версия 0.9"),
                                QStringLiteral("Dravik, 2026"), tr("Свободный проект для Linux")}) {
        auto* label = new QLabel(text, this);
        label->setAlignment(Qt::AlignHCenter);
        texts->addWidget(label);
    }
    texts->addStretch();

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QGridLayout(this);
    layout->addWidget(picture, 0, 0, 2, 1, Qt::AlignTop);
    layout->addLayout(texts, 0, 1);
    layout->addWidget(buttons, 1, 1, Qt::AlignBottom);
    layout->setColumnMinimumWidth(1, 170);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    ok->setFocus();
}
