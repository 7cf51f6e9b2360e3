#pragma once
// The thin strip under the viewer's band for pictures that move: directions,
// play and pause, frame steps, the frame number and the zoom.
#include <QStringList>
#include <QWidget>

class QComboBox;
class QLabel;
class QToolButton;

class CPictureStrip : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kHeight = 26;
    // Zoom levels in the order of the list: 0 fits the pane.
    static constexpr int kZooms[] = {0, 1, 2, 4};

    explicit CPictureStrip(QWidget* parent);

    // present: bit d for each direction the picture has.
    void Show(unsigned present, int direction, bool playing, int frame, int frames, int actionFrame, int zoom);
    QString FrameText() const;
    // The palette list: the picture's own, the archive's PAL entries, a file.
    void SetPalettes(const QStringList& entries, int current);


signals:
    void DirectionChosen(int direction);
    void PlayToggled();
    void Step(int delta);
    void ZoomChosen(int zoom);
    // 0: the picture's own, 1 to n: an entry, n + 1: a file on disk.
    void PaletteChosen(int index);

private:
    QToolButton* m_directions[6];
    QToolButton* m_pPlay;
    QLabel* m_pFrame;
    QComboBox* m_pZoom;
    QComboBox* m_pPalette;
};
