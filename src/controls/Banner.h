#pragma once

#include <QImage>
#include <QWidget>

// The picture across the top of the setup window, drawn unscaled at its top left corner.
class Banner : public QWidget {
    Q_OBJECT
  public:
    explicit Banner(QWidget* parent = nullptr);
    // Null when the program was built without its artwork.
    const QImage& Picture() const { return picture_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QImage picture_;
};
