#pragma once

#include <QObject>

class QWidget;

// Swallows the Escape key on its way to window or any of its children, so that Escape never
// closes the setup window. Escape still reaches the show, message boxes, other dialogs and pop-ups.
class EscapeFilter : public QObject {
    Q_OBJECT
  public:
    explicit EscapeFilter(QWidget* window);
    ~EscapeFilter() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* window_;
};
