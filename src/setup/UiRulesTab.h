#pragma once

#include <QImage>
#include <QString>
#include <QWidget>

class AppData;
class MediaComboBox;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class ScreenComboBox;

// The "界面和规则" page: the show's title, background and music, the way into design mode,
// and the draw rules (draw key and repeat wins). Every change goes into AppData at once; the
// page never writes a file itself.
class UiRulesTab : public QWidget {
    Q_OBJECT
  public:
    UiRulesTab(AppData& data, QWidget* parent);

    // Shows draw key n (0 <= n < item count) without touching FieldType or its flag.
    void SelectDrawKey(int n);
    // The text the draw key box shows.
    QString DrawKeyLabel() const;

    // The draw key items in FieldType order.
    static QStringList DrawKeyItems();

    QLineEdit* TitleBox() const { return titleBox_; }
    MediaComboBox* BackgroundBox() const { return backgroundBox_; }
    QPushButton* BackgroundButton() const { return backgroundButton_; }
    MediaComboBox* MusicBox() const { return musicBox_; }
    QPushButton* MusicButton() const { return musicButton_; }
    QPushButton* DesignButton() const { return designButton_; }
    QPushButton* RestoreButton() const { return restoreButton_; }
    QComboBox* DrawKeyBox() const { return drawKeyBox_; }
    QCheckBox* RepeatBox() const { return repeatBox_; }
    ScreenComboBox* ScreenBox() const { return screenBox_; }
    QCheckBox* PresenterBox() const { return presenterBox_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void PlaceControls();
    void RenderPage();
    void OpenDesignMode();
    void RestoreDefaults();

    AppData& data_;
    QLineEdit* titleBox_ = nullptr;
    MediaComboBox* backgroundBox_ = nullptr;
    QPushButton* backgroundButton_ = nullptr;
    MediaComboBox* musicBox_ = nullptr;
    QPushButton* musicButton_ = nullptr;
    QPushButton* designButton_ = nullptr;
    QPushButton* restoreButton_ = nullptr;
    QComboBox* drawKeyBox_ = nullptr;
    QCheckBox* repeatBox_ = nullptr;
    ScreenComboBox* screenBox_ = nullptr;
    QCheckBox* presenterBox_ = nullptr;
    QImage buffer_;
};
