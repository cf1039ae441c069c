#pragma once

#include <QDialog>
#include <QImage>
#include <QRect>
#include <QTimer>

class QComboBox;
class QPushButton;

// Shows pictures of well-formed import files, stepping through them on its own until the
// operator picks one. Changes nothing.
class ImportExamplesDialog : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kExampleCount = 4;
    static constexpr int kCycleMilliseconds = 3500;

    // programDir ends with "/"; the pictures are example/import_1.png .. import_4.png there.
    explicit ImportExamplesDialog(const QString& programDir, QWidget* parent = nullptr);

    // Where a picture of this size is drawn inside area: never enlarged, shrunk keeping its
    // aspect ratio until it fits, centred.
    static QRect FitPicture(const QRect& area, QSize picture);

    QString PicturePath(int position) const;  // position from 1
    int Position() const;                     // the shown example, from 1
    const QImage& Picture() const { return picture_; }
    bool Cycling() const { return timer_.isActive(); }
    // Lets tests run the slideshow faster.
    void SetCycleInterval(int milliseconds) { timer_.setInterval(milliseconds); }

    QComboBox* Examples() const { return combo_; }
    QPushButton* CloseButton() const { return close_; }
    QRect PictureArea() const;
    int SeparatorY() const { return height() - 42; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void Step();
    void Picked(int index);
    void LoadPicture();

    QString programDir_;
    QComboBox* combo_ = nullptr;
    QPushButton* close_ = nullptr;
    QImage picture_;
    QTimer timer_;
};
