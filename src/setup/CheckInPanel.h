#pragma once

#include <QImage>
#include <QWidget>

class AppData;
class CheckInService;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;

// "现场签到" on the rules page: turns the service on and off, chooses its address, port and
// the guests' proof, shows the guests' QR code (and saves it as a poster) and the host
// phone's, which only this window ever shows.
class CheckInPanel : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kHeight = 260;

    CheckInPanel(AppData& data, QWidget* parent);
    // The service it starts and stops; null shows the settings alone.
    void SetService(CheckInService* service);
    // Applies the settings to the service and shows where it listens (or why it cannot).
    void Apply();
    // The count of check-ins changed.
    void ShowCount();

    // The poster: title, the QR code large enough for a printed A4 page, and the link.
    static QImage Poster(const QString& title, const QString& url);

    QCheckBox* EnabledBox() const { return enabledBox_; }
    QComboBox* AddressBox() const { return addressBox_; }
    QSpinBox* PortBox() const { return portBox_; }
    QComboBox* MethodBox() const { return methodBox_; }
    QCheckBox* PresentOnlyBox() const { return presentOnlyBox_; }
    QPushButton* NewTokenButton() const { return newTokenButton_; }
    QPushButton* PosterButton() const { return posterButton_; }
    QLabel* StatusLabel() const { return status_; }
    QLabel* GuestCode() const { return guestCode_; }
    QLabel* RemoteCode() const { return remoteCode_; }

  private:
    void FillAddresses();
    void NewToken();
    void SavePoster();

    AppData& data_;
    CheckInService* service_ = nullptr;
    QCheckBox* enabledBox_ = nullptr;
    QComboBox* addressBox_ = nullptr;
    QSpinBox* portBox_ = nullptr;
    QComboBox* methodBox_ = nullptr;
    QCheckBox* presentOnlyBox_ = nullptr;
    QPushButton* newTokenButton_ = nullptr;
    QPushButton* posterButton_ = nullptr;
    QLabel* status_ = nullptr;
    QLabel* count_ = nullptr;
    QLabel* guestCode_ = nullptr;
    QLabel* remoteCode_ = nullptr;
};
