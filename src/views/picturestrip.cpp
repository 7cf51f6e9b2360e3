#include "views/picturestrip.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>

namespace {

const char* const kDirectionNames[6] = {
    QT_TRANSLATE_NOOP("CPictureStrip", "северо-восток"), QT_TRANSLATE_NOOP("CPictureStrip", "восток"),
    QT_TRANSLATE_NOOP("CPictureStrip", "юго-восток"),    QT_TRANSLATE_NOOP("CPictureStrip", "юго-запад"),
    QT_TRANSLATE_NOOP("CPictureStrip", "запад"),         QT_TRANSLATE_NOOP("CPictureStrip", "северо-запад")};

QToolButton* Button(QWidget* parent, const QString& text, const QString& tip)
{
    auto* button = new QToolButton(parent);
    button->setText(text);
    button->setToolTip(tip);
    button->setAutoRaise(true);
    // Keys stay with the viewer.
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

} // namespace

CPictureStrip::CPictureStrip(QWidget* parent) : QWidget(parent)
{
    setFixedHeight(kHeight);
    setAutoFillBackground(true);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 0, 4, 0);
    layout->setSpacing(1);
    for (int d = 0; d < 6; ++d) {
        m_directions[d] = Button(this, QString::number(d + 1),
                                 tr("Направление: %1 (%2)").arg(tr(kDirectionNames[d])).arg(d + 1));
        m_directions[d]->setCheckable(true);
        layout->addWidget(m_directions[d]);
        connect(m_directions[d], &QToolButton::clicked, this, [this, d] { emit DirectionChosen(d); });
    }
    layout->addSpacing(8);
    QToolButton* previous = Button(this, QStringLiteral("◀"), tr("Предыдущий кадр (,)"));
    m_pPlay = Button(this, QString(), tr("Пуск/пауза (пробел)"));
    QToolButton* next = Button(this, QStringLiteral("▶"), tr("Следующий кадр (.)"));
    for (QToolButton* b : {previous, m_pPlay, next})
        layout->addWidget(b);
    connect(previous, &QToolButton::clicked, this, [this] { emit Step(-1); });
    connect(next, &QToolButton::clicked, this, [this] { emit Step(1); });
    connect(m_pPlay, &QToolButton::clicked, this, &CPictureStrip::PlayToggled);
    m_pFrame = new QLabel(this);
    m_pFrame->setMinimumWidth(80);
    m_pFrame->setAlignment(Qt::AlignCenter);
    layout->addWidget(m_pFrame);
    layout->addStretch(1);
    m_pPalette = new QComboBox(this);
    m_pPalette->setFocusPolicy(Qt::NoFocus);
    m_pPalette->setToolTip(tr("Палитра"));
    m_pPalette->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    layout->addWidget(m_pPalette);
    connect(m_pPalette, &QComboBox::activated, this, &CPictureStrip::PaletteChosen);
    m_pZoom = new QComboBox(this);
    m_pZoom->setFocusPolicy(Qt::NoFocus);
    m_pZoom->addItems({tr("Вписать"), QStringLiteral("1:1"), QStringLiteral("2:1"), QStringLiteral("4:1")});
    m_pZoom->setToolTip(tr("Масштаб (Ctrl+колесо, Ctrl+0)"));
    layout->addWidget(m_pZoom);
    connect(m_pZoom, &QComboBox::activated, this, [this](int i) { emit ZoomChosen(kZooms[i]); });
}

void CPictureStrip::Show(unsigned present, int direction, bool playing, int frame, int frames, int actionFrame,
                         int zoom)
{
    for (int d = 0; d < 6; ++d) {
        m_directions[d]->setEnabled(present & (1u << d));
        m_directions[d]->setChecked(d == direction);
    }
    m_pPlay->setText(playing ? QStringLiteral("❚❚") : QStringLiteral("►"));
    m_pPlay->setEnabled(frames > 1);
    QString text = QStringLiteral("%1 / %2").arg(frame + 1).arg(frames);
    // The frame where the action happens (a shot, a door opening) is marked.
    const bool action = actionFrame > 0 && frame == actionFrame;
    if (action)
        text += QStringLiteral(" ✱");
    m_pFrame->setText(text);
    m_pFrame->setStyleSheet(action ? QStringLiteral("color: #c00000; font-weight: bold") : QString());
    m_pFrame->setToolTip(actionFrame > 0 ? tr("Кадр действия: %1").arg(actionFrame + 1) : QString());
    for (int i = 0; i < 4; ++i)
        if (kZooms[i] == zoom)
            m_pZoom->setCurrentIndex(i);
}

void CPictureStrip::SetPalettes(const QStringList& entries, int current)
{
    if (m_pPalette->count() != entries.size() + 2 ||
        (entries.size() && m_pPalette->itemText(entries.size()) != entries.back())) {
        m_pPalette->clear();
        m_pPalette->addItem(tr("Своя палитра"));
        m_pPalette->addItems(entries);
        m_pPalette->addItem(tr("Файл..."));
    }
    m_pPalette->setCurrentIndex(current);
}

QString CPictureStrip::FrameText() const
{
    return m_pFrame->text();
}
