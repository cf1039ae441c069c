#pragma once

#include <QImage>
#include <QString>
#include <QWidget>

class AppData;
class CheckInPanel;
class MediaComboBox;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
class ScreenComboBox;

// The "界面和规则" page: the show's title, background and music, the way into design mode,
// the options of the show and the draw rules (draw key and repeat wins). Every change goes
// into AppData at once; the page never writes a file itself. Taller than the window's default
// size, it scrolls.
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
    QCheckBox* AlwaysHelpBox() const { return alwaysHelpBox_; }
    QCheckBox* StopSoundBox() const { return stopSoundBox_; }
    QPushButton* StopSoundButton() const { return stopSoundButton_; }
    QPushButton* StopSoundDefault() const { return stopSoundDefault_; }
    QCheckBox* HidePhoneBox() const { return hidePhoneBox_; }
    // What the draw key's check found: the rows whose key is empty or repeated, named.
    QLabel* DrawKeyWarning() const { return drawKeyWarning_; }
    // The page's content, which scrolls: the controls are placed in its coordinates.
    QWidget* Content() const { return content_; }
    // The rules above, the check-in panel below them.
    static constexpr int kRulesHeight = 530;
    static constexpr int kContentHeight = kRulesHeight + 270;
    CheckInPanel* CheckIn() const { return checkInPanel_; }

    // Checks the current draw key over the candidates and says what it found.
    void CheckDrawKey();
    static QString DrawKeyWarningText(const AppData& data, int fieldType, const QString& label);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    // The stop sound check box names the file that plays.
    void ShowStopSound();
    void PlaceControls();
    void RenderPage();
    void OpenDesignMode();
    void RestoreDefaults();

    AppData& data_;
    QScrollArea* scroll_ = nullptr;
    CheckInPanel* checkInPanel_ = nullptr;
    QWidget* content_ = nullptr;
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
    QCheckBox* alwaysHelpBox_ = nullptr;
    QCheckBox* stopSoundBox_ = nullptr;
    QPushButton* stopSoundButton_ = nullptr;
    QPushButton* stopSoundDefault_ = nullptr;
    QCheckBox* hidePhoneBox_ = nullptr;
    QLabel* drawKeyWarning_ = nullptr;
    QImage buffer_;
};
