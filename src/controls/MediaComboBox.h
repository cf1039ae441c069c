#pragma once

#include <QComboBox>
#include <QString>

class MediaList;

// A drop-down list of the entries of a MediaList (backgrounds or music). A pick by the operator
// becomes the list's selected entry at once; refills by the program stay silent.
class MediaComboBox : public QComboBox {
    Q_OBJECT
  public:
    MediaComboBox(MediaList& list, QWidget* parent);

    // Lists every entry in order and selects wanted; an index out of range selects (and
    // stores) the first entry instead.
    void Fill(int wanted);
    // Asks for a file with the filter ("description|patterns||" form); on OK adds it to the
    // list and refills with the new entry selected. False when cancelled.
    bool ChooseFile(QWidget* parent, const QString& filter);

    MediaList& List() { return list_; }

  signals:
    // The operator picked an entry (already stored in the list).
    void Picked(int index);

  private:
    void OnIndexChanged(int index);

    MediaList& list_;
};
