#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

#include "checkin/ShowBoard.h"

class AppData;
class CheckInHandler;
class CheckInServer;

// The check-in service as the windows see it: started and stopped by the settings, fed the
// list and the show, and telling of check-ins and of the host phone's steps on the windows'
// thread (the server's threads never touch a widget or the model).
class CheckInService : public QObject {
    Q_OBJECT
  public:
    explicit CheckInService(AppData& data, QObject* parent = nullptr);
    ~CheckInService() override;

    // The laptop's own addresses a phone could reach, private IPv4 first.
    static QStringList LocalAddresses();
    // The first private IPv4 address; 127.0.0.1 when there is none.
    static QString DefaultAddress();

    // Starts, restarts or stops the service by the model's settings (a token is made when
    // there is none); false with Problem() when it should run and cannot.
    bool Apply();
    bool Running() const;
    const QString& Problem() const { return problem_; }
    // The address listened on (the chosen one, or the default when it is gone).
    const QString& Address() const { return address_; }
    int Port() const;
    // http://ADDRESS:PORT/c/TOKEN and /r/REMOTETOKEN; empty while not running.
    QString GuestUrl() const;
    QString RemoteUrl() const;
    // The list changed: who may check in and how they prove it.
    void RefreshRoster();
    void SetShow(const ShowBoard& show);
    // For tests: the handler the server calls.
    CheckInHandler& Handler() { return *handler_; }

  signals:
    // A guest checked in (their candidate id).
    void checkedIn(int candidate);
    // The host's phone asked for one step.
    void remoteStep();

  private:
    QString UrlHost() const;

    AppData& data_;
    std::unique_ptr<CheckInHandler> handler_;
    std::unique_ptr<CheckInServer> server_;
    QString remoteToken_;
    QString address_;
    QString problem_;
};
