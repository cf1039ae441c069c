#pragma once

#include <QComboBox>

class AppData;

// "放映屏幕": the screens the show can open on, by name and size. The list follows screens
// being plugged in and removed; a chosen screen that is not connected stays chosen (and
// listed as such) until the operator picks another, so a projector plugged in late is used.
class ScreenComboBox : public QComboBox {
    Q_OBJECT
  public:
    ScreenComboBox(AppData& data, QWidget* parent = nullptr);
    // Rebuilds the entries from the connected screens.
    void Fill();

  private:
    AppData& data_;
};
