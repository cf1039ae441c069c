#pragma once

#include <QJsonObject>
#include <QString>

#include <QStringList>

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "draw/KeyedStream.h"

// The events of the draw record, each kind written and read by one pair of functions, so the
// engine, the removals of the model and the verifier spell the record the same way. A reader
// fills what it finds and says whether the event is complete enough to be used.
class RecordEvents {
  public:
    using Key = KeyedStream::Key;

    // The keys every line carries, added by the record itself.
    static constexpr const char* kVersion = "v";
    static constexpr const char* kSeq = "seq";
    static constexpr const char* kPrev = "prev";
    static constexpr const char* kType = "type";
    // On the first line of a new segment: why the chain before it could not be continued.
    static constexpr const char* kRestart = "restart";

    enum class Type {
        Unknown,
        ShowStart,
        Round,
        Deleted,
        Voided,
        Cleared,
        ShowEnd,
        Paused,
        Resumed,
        Order,
        PrizeAdded
    };
    static Type TypeOf(const QJsonObject& event);

    struct PrizeEntry {
        int32_t id = 0;
        QString name;
        int32_t count = 0;
        int32_t batch = 0;
        int32_t drawn = 0;
    };
    // What a prize's pool is built from, fixed when the show starts.
    struct PrizeRule {
        int32_t prize = 0;
        bool repeat = false;  // earlier winners may win it
        // Whether the scope limits anybody; the rest is set only then.
        bool limited = false;
        QString field;
        QString mode;
        QStringList values;
        std::vector<uint8_t> members;  // one flag for each person of the room, in its order
    };
    // Who takes part in a show and who may win what: the room (everyone not marked 不参与抽奖),
    // those marked, and each prize's rule. The fingerprint commits to it with the key.
    struct Seal {
        std::vector<int32_t> room;
        std::vector<int32_t> excluded;
        std::vector<PrizeRule> prizes;
        // Only people checked in took part: absent lists those who would have but had not
        // checked in when the show began. Shows before check-in have neither.
        bool presentOnly = false;
        std::vector<int32_t> absent;
    };
    // A show begins: its commitment before the first roll, its rules, pool and prizes, and the
    // winners that stood when it began.
    struct ShowStart {
        QString show;
        QString time;
        Key commit{};
        int32_t chain = 0;
        int32_t field = 0;
        bool repeat = false;
        std::vector<int32_t> pool;
        std::vector<PrizeEntry> prizes;
        std::vector<std::pair<int32_t, int32_t>> winners;  // prize, candidate
        // Shows recorded before prizes had rules have none: one pool for the whole show.
        std::optional<Seal> seal;
    };
    // A round kept: its key (revealed now), how often it rolled and who won.
    struct Round {
        QString show;
        int32_t keyIndex = 0;
        Key key{};
        int32_t prize = 0;
        QString prizeName;
        int32_t round = 0;
        int32_t batch = 0;
        int32_t rolls = 0;
        bool redraw = false;
        QString time;
        std::vector<std::pair<int32_t, QString>> winners;  // candidate, text on screen
    };
    // A winner deleted or voided.
    struct Removal {
        bool voided = false;
        int32_t prize = 0;
        int32_t candidate = 0;
        QString text;
        QString won;  // time stamp of the win
        QString time;
        QString reason;  // empty, or "interrupted" for a round cut short
    };
    // Every winner cleared with the candidates.
    struct Clear {
        int64_t count = 0;
        QString time;
    };
    // The operator left the show window, or came back to the same show: its next prize
    // draws from a pool built anew.
    struct Pause {
        QString show;
        QString time;
        bool resumed = false;
        // Left while the names rolled: the key that roll had taken (index 0: none), revealed
        // so the rounds after it still link to the commitment.
        int32_t leftKeyIndex = 0;
        Key leftKey{};
    };
    // On the prize screen the operator chose which prize comes next: its pool is built anew
    // and the next round is of that prize.
    struct Order {
        QString show;
        QString time;
        int32_t prize = 0;
        QString prizeName;
    };
    // A prize added during the show (加奖): drawn from everyone who takes part, by its rule on
    // earlier winners, and sealed from here on like the prizes the show began with.
    struct PrizeAdded {
        QString show;
        QString time;
        int32_t prize = 0;
        QString name;
        QString content;
        int32_t count = 0;
        int32_t batch = 0;
        bool repeat = false;
    };
    // A show ends and reveals its secret.
    struct ShowEnd {
        QString show;
        QString time;
        Key secret{};
        int32_t rounds = 0;
    };

    static QJsonObject Write(const ShowStart& e);
    static QJsonObject Write(const Round& e);
    static QJsonObject Write(const Removal& e);
    static QJsonObject Write(const Clear& e);
    static QJsonObject Write(const ShowEnd& e);
    static QJsonObject Write(const Pause& e);
    static QJsonObject Write(const Order& e);
    static QJsonObject Write(const PrizeAdded& e);

    // False when the commitment, the chain length (1..maxChain), the pool (at most maxPool
    // ids), the list of winners or the seal is missing or malformed. Malformed winner pairs
    // are skipped.
    static bool Read(const QJsonObject& event, ShowStart& e, size_t maxPool, int32_t maxChain);

    // The fingerprint's commitment: the key's alone for a show without a seal, else the
    // SHA-256 of the key's commitment and the seal as written.
    static Key SealedCommitment(const ShowStart& e);
    // False when the key index, key, prize, round, batch or roll count is missing or
    // malformed. Malformed winner pairs are skipped.
    static bool Read(const QJsonObject& event, Round& e);
    // False when the prize or the candidate is missing or malformed.
    static bool Read(const QJsonObject& event, Removal& e);
    // False when the secret is missing or malformed; the show id is read either way.
    static bool Read(const QJsonObject& event, ShowEnd& e);
    static void Read(const QJsonObject& event, Pause& e);
    // False when the prize is missing or malformed.
    static bool Read(const QJsonObject& event, Order& e);
    // False when the prize, the count or the rounds are missing or malformed.
    static bool Read(const QJsonObject& event, PrizeAdded& e);
};
