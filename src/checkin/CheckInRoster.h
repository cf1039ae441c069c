#pragma once

#include <QString>

#include <QMultiHash>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

class AppData;

// Who may check in, and how each proves it: a copy taken on the windows' thread and read by
// the service's threads without a lock (it never changes once made; a new list is a new copy).
class CheckInRoster {
  public:
    struct Guest {
        int32_t id = 0;
        QString name;
        QString department;
    };

    // Everyone not marked 不参与抽奖, by the proof of method (CheckInSettings::Method).
    static std::shared_ptr<const CheckInRoster> FromModel(const AppData& data, int method);
    // For tests: guests with their proofs (工号 or the phone's last four digits).
    void Add(const Guest& guest, const QString& proof);

    // The one guest whose proof and name both match; null when none does, or more than one
    // (two people with the same name and 工号 cannot be told apart).
    const Guest* Match(const QString& proof, const QString& name) const;
    const Guest* Find(int32_t id) const;
    size_t size() const { return guests_.size(); }

    // How a typed proof or name is compared: spaces dropped, full-width forms folded, case
    // ignored.
    static QString Normalized(const QString& text);
    // The last four digits of a phone number; empty when it has fewer.
    static QString PhoneDigits(const QString& tel);

  private:
    std::vector<Guest> guests_;
    QMultiHash<QString, size_t> byProof_;  // normalized proof + '\n' + name
    std::unordered_map<int32_t, size_t> byId_;
};
