#pragma once
// The sources of a set in the order the game reads them, later ones
// overriding earlier ones: archives and loose folders added, moved, removed.
#include <QDialog>
#include <QStringList>

class QListWidget;
class QPushButton;

// The path that opens sources as one set; one archive alone is itself.
QString SourceSetPath(const QStringList& sources);

class CSourceSetDialog : public QDialog
{
    Q_OBJECT
public:
    explicit CSourceSetDialog(const QStringList& sources, QWidget* parent = nullptr);
    QStringList Sources() const;

private:
    void AddArchives();
    void AddFolder();
    void Move(int step);
    void UpdateButtons();

    QListWidget* m_pList;
    QList<QPushButton*> m_rowButtons;
    QPushButton* m_pOk;
};
