#include "draw/DrawVerifier.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonObject>

#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <unordered_set>
#include <vector>

#include "draw/DrawPool.h"
#include "draw/DrawRecord.h"
#include "draw/DrawRecordReader.h"
#include "draw/KeyedStream.h"
#include "draw/PrizePools.h"
#include "draw/PrizeRuleText.h"
#include "draw/RecordEvents.h"
#include "draw/ShowKeys.h"
#include "model/AppData.h"
#include "model/PrizeScope.h"
#include "model/Utilities.h"

namespace {

// Limits that keep a hostile record from taking unbounded memory or time.
constexpr size_t kMaxPool = size_t(1) << 24;
constexpr size_t kMaxWinners = size_t(1) << 24;
constexpr int32_t kMaxRolls = 1000000;
constexpr int32_t kMaxBatch = 1000000;
constexpr int32_t kMaxChain = 100000;
constexpr size_t kMaxTailRounds = size_t(1) << 20;
// Picks a whole record may ask to replay: an evening's real rolls are a few million.
constexpr int64_t kReplayBudget = int64_t(2) << 30;

QString S(const char16_t* text) {
    return QString::fromUtf16(text);
}

// Report lines with a bound: a hostile record of millions of bad lines must not build millions
// of messages. All are counted; the first ones are listed.
struct Lines {
    static constexpr int kMaxListed = 1000;
    QStringList listed;
    int count = 0;

    void Add(const QString& text) {
        ++count;
        if (listed.size() < kMaxListed) listed << text;
    }
    bool IsEmpty() const { return count == 0; }
    // The listed lines, then how many more there were.
    QStringList All() const {
        QStringList all = listed;
        if (count > listed.size()) all << S(u"……另有 %1 处未列出").arg(count - listed.size());
        return all;
    }
};

// A winner as the record knows it; a baseline one predates the record (text and time unknown).
struct Entry {
    QString text;
    QString time;
    bool baseline = false;
    int show = 0;  // the show that drew it; 0 for a baseline winner
};
// What became of a show's winners afterwards.
struct Removals {
    int voided = 0;
    int interrupted = 0;
    int deleted = 0;
};
using WinnerKey = std::pair<int32_t, int32_t>;  // prize, candidate

class Replay {
  public:
    void Line(const DrawRecordReader::Line& line);
    void Finish(const AppData& data);
    DrawVerifier::Report TakeReport();

  private:
    struct Show {
        int number = 0;
        qint64 line = 0;
        QString id;
        QString time;
        QString fingerprint;
        ShowKeys::Key commitment{};
        ShowKeys::Key lastKey{};
        int32_t chain = ShowKeys::kChainLength;
        int nextKeyIndex = 1;
        bool allowRepeat = false;
        DrawPool pool;
        // A show sealed with its rules draws each prize from a pool of its own, built when the
        // prize comes up; older shows draw everything from one pool.
        bool sealed = false;
        PrizePools pools;
        int32_t poolPrize = -1;
        bool poolRepeat = false;
        // The prize the operator chose to come next; the next round must be of it.
        int32_t chosenPrize = -1;
        QStringList rules;  // the rules in force, one line a prize
        int rounds = 0;
        int winners = 0;
        bool ended = false;
        Lines problems;
        // Rounds beyond the hash chain: their keys are checked once the secret is revealed.
        struct TailRound {
            QString label;
            int32_t keyIndex = 0;
            ShowKeys::Key key{};
        };
        std::vector<TailRound> tailRounds;
    };

    void StartShow(const QJsonObject& e, qint64 line);
    void Round(const QJsonObject& e, qint64 line);
    // The key must be the next of the show and hash to the one before it (the commitment for
    // the first); false, with the problem told and the replay stopped, when it is not.
    bool AcceptKey(Show& show, const QString& label, int32_t keyIndex, const ShowKeys::Key& key);
    static void Invalidate(Show& show, const QString& problem);
    void EndShow(const QJsonObject& e, qint64 line);
    void Removal(const QJsonObject& e, qint64 line);
    void CloseShow();
    void Problem(qint64 line, const QString& text);
    std::unordered_set<int32_t> WinnerIds() const;
    void DescribeRules(const RecordEvents::ShowStart& start, Show& show);
    void AddWinner(int32_t prize, int32_t candidate, const QString& text, const QString& time,
                   bool baseline, int show = 0);
    // A closed show waits for the end of the record: later lines may still remove its winners.
    struct Closed {
        QString head;
        bool passed = false;
        bool ended = false;
        QString problems;
        QStringList rules;
    };

    std::unique_ptr<Show> show_;
    std::vector<Closed> closed_;
    std::map<int, Removals> removals_;  // by show number
    int shows_ = 0;
    int rounds_ = 0;
    int baseline_ = 0;
    bool stateKnown_ = false;
    size_t tracked_ = 0;
    std::multimap<WinnerKey, Entry> state_;
    Lines showLines_;
    Lines problems_;
    int problemCount_ = 0;
    int64_t budget_ = kReplayBudget;
};

void Replay::Problem(qint64 line, const QString& text) {
    ++problemCount_;
    problems_.Add(line > 0 ? S(u"第 %1 行：").arg(line) + text : text);
}

void Replay::AddWinner(int32_t prize, int32_t candidate, const QString& text, const QString& time,
                       bool baseline, int show) {
    if (tracked_ >= kMaxWinners) return;
    ++tracked_;
    state_.emplace(WinnerKey{prize, candidate}, Entry{text, time, baseline, show});
}

void Replay::Line(const DrawRecordReader::Line& line) {
    using Status = DrawRecordReader::Status;
    switch (line.status) {
        case Status::Damaged:
            Problem(line.number, S(u"无法读取（损坏、被截断或被改动）"));
            return;
        case Status::OtherVersion:
            Problem(line.number, S(u"由其他版本的程序写入，无法验证"));
            return;
        case Status::BrokenChain:
            Problem(line.number, S(u"与上一行的哈希链接不符（前面的记录被改动、插入或删除）"));
            break;
        case Status::Restarted:
            Problem(line.number, S(u"哈希链在此重新开始（前面的记录已损坏）"));
            break;
        case Status::Ok:
            break;
    }
    using Type = RecordEvents::Type;
    switch (RecordEvents::TypeOf(line.event)) {
        case Type::ShowStart:
            StartShow(line.event, line.number);
            break;
        case Type::Round:
            Round(line.event, line.number);
            break;
        case Type::ShowEnd:
            EndShow(line.event, line.number);
            break;
        case Type::Deleted:
        case Type::Voided:
            Removal(line.event, line.number);
            break;
        case Type::Cleared:
            state_.clear();
            tracked_ = 0;
            stateKnown_ = true;
            break;
        case Type::Paused: {
            RecordEvents::Pause e;
            RecordEvents::Read(line.event, e);
            if (show_ && e.show == show_->id) show_->chosenPrize = -1;
            if (e.leftKeyIndex == 0) break;
            if (!show_ || e.show != show_->id) {
                Problem(line.number, S(u"暂停记录不属于当前这一场"));
            } else if (show_->nextKeyIndex >= 0) {
                // A roll left before it stopped used up its key; the next round follows it.
                if (e.leftKeyIndex < 0)
                    Invalidate(*show_, S(u"中途退出的滚动的记录不完整"));
                else
                    AcceptKey(*show_, S(u"中途退出的滚动"), e.leftKeyIndex, e.leftKey);
            }
            break;
        }
        case Type::Resumed: {
            // Back after a pause: the next prize draws from a pool built anew.
            RecordEvents::Pause e;
            RecordEvents::Read(line.event, e);
            if (show_ && e.show == show_->id)
                show_->poolPrize = -1;
            else
                Problem(line.number, S(u"继续记录不属于当前这一场"));
            break;
        }
        case Type::Order: {
            RecordEvents::Order e;
            const bool complete = RecordEvents::Read(line.event, e);
            if (!show_ || e.show != show_->id) {
                Problem(line.number, S(u"选择奖项的记录不属于当前这一场"));
            } else if (!complete) {
                show_->problems.Add(S(u"选择奖项的记录不完整"));
            } else if (show_->sealed && !show_->pools.RuleOf(e.prize)) {
                show_->problems.Add(S(u"选择的奖项“%1”不在本场开始时的记录中").arg(e.prizeName));
            } else {
                // The chosen prize's pool is built anew when it comes up, as the show did.
                show_->poolPrize = -1;
                show_->chosenPrize = e.prize;
            }
            break;
        }
        case Type::PrizeAdded: {
            RecordEvents::PrizeAdded e;
            const bool complete = RecordEvents::Read(line.event, e);
            if (!show_ || e.show != show_->id) {
                Problem(line.number, S(u"加奖记录不属于当前这一场"));
            } else if (!complete) {
                show_->problems.Add(S(u"加奖的记录不完整"));
            } else if (show_->sealed && !show_->pools.AddOpenPrize(e.prize, e.repeat)) {
                show_->problems.Add(S(u"加奖“%1”与已有的奖项重复").arg(e.name));
            } else {
                // Added on the prize screen, so it is the next prize drawn, from a pool of its own.
                show_->poolPrize = -1;
                show_->chosenPrize = e.prize;
                show_->rules << S(u"加奖“%1”：%2 人 %3 轮，全体参与抽奖者；%4")
                                    .arg(e.name)
                                    .arg(e.count)
                                    .arg(e.batch)
                                    .arg(e.repeat ? S(u"已中奖者可参与") : S(u"已中奖者不参与"));
            }
            break;
        }
        case Type::Unknown:
            Problem(line.number, S(u"未知的记录类型"));
            break;
    }
}

void Replay::StartShow(const QJsonObject& e, qint64 line) {
    CloseShow();
    auto show = std::make_unique<Show>();
    show->number = ++shows_;
    show->line = line;
    RecordEvents::ShowStart start;
    const bool ok = RecordEvents::Read(e, start, kMaxPool, kMaxChain);
    show->id = start.show;
    show->time = start.time;
    show->allowRepeat = start.repeat;
    show->commitment = start.commit;
    // A rejected chain length must not be trusted later (the end line hashes that many times).
    show->chain = ok ? start.chain : 0;
    show->lastKey = show->commitment;
    show->fingerprint = ShowKeys::Fingerprint(show->commitment);
    if (!ok) {
        show->problems.Add(S(u"开始记录不完整，无法重放"));
        show_ = std::move(show);
        show_->nextKeyIndex = -1;  // nothing of this show can be replayed
        return;
    }
    show->pool.Reset(start.pool);
    if (start.seal) {
        if (!PrizePools::FromSeal(*start.seal, show->pools)) {
            show->problems.Add(S(u"开始记录中的抽奖规则无法读取，无法重放"));
            show_ = std::move(show);
            show_->nextKeyIndex = -1;
            return;
        }
        show->sealed = true;
        show->fingerprint = ShowKeys::Fingerprint(RecordEvents::SealedCommitment(start));
        DescribeRules(start, *show);
    }

    // The winners held when the show started must be exactly those the record accounts for.
    std::multimap<WinnerKey, Entry> snapshot;
    for (const auto& [prize, candidate] : start.winners)
        snapshot.emplace(WinnerKey{prize, candidate}, Entry{QString(), QString(), true});
    if (!stateKnown_) {
        baseline_ = static_cast<int>(snapshot.size());
        state_.clear();
        tracked_ = 0;
        for (const auto& [key, entry] : snapshot)
            AddWinner(key.first, key.second, QString(), QString(), true);
        stateKnown_ = true;
    } else {
        // Count the difference both ways, then take the snapshot as the new state, keeping
        // what the record knew of the entries that agree.
        std::multimap<WinnerKey, Entry> next;
        int added = 0;
        for (auto it = snapshot.begin(); it != snapshot.end();) {
            const WinnerKey key = it->first;
            const size_t want = snapshot.count(key);
            auto [from, to] = state_.equal_range(key);
            size_t have = 0;
            for (auto s = from; s != to && have < want; ++s, ++have) next.emplace(key, s->second);
            for (size_t k = have; k < want; ++k) {
                next.emplace(key, Entry{QString(), QString(), true});
                ++added;
            }
            it = snapshot.upper_bound(key);
        }
        const int missing = static_cast<int>(state_.size() + added) - static_cast<int>(next.size());
        if (added > 0 || missing > 0)
            show->problems.Add(S(u"开始时的中奖名单与记录不符：记录之外多出 %1 名，缺少 %2 名")
                                   .arg(added)
                                   .arg(missing));
        state_ = std::move(next);
        tracked_ = state_.size();
    }
    show_ = std::move(show);
}

void Replay::Invalidate(Show& show, const QString& problem) {
    show.problems.Add(problem);
    show.nextKeyIndex = -1;
}

bool Replay::AcceptKey(Show& show, const QString& label, int32_t keyIndex,
                       const ShowKeys::Key& key) {
    if (keyIndex != show.nextKeyIndex) {
        Invalidate(show, label + S(u"：前面缺少记录"));
        return false;
    }
    const bool inChain = keyIndex <= show.chain;
    if (inChain && ShowKeys::Hash(key) != show.lastKey) {
        Invalidate(show, label + S(u"：密钥与本场的承诺不符"));
        return false;
    }
    if (inChain) {
        show.lastKey = key;
    } else if (show.tailRounds.size() < kMaxTailRounds) {
        show.tailRounds.push_back({label, keyIndex, key});
    } else {
        Invalidate(show, label + S(u"：超出密钥链的轮次过多，无法验证"));
        return false;
    }
    ++show.nextKeyIndex;
    return true;
}

void Replay::Round(const QJsonObject& e, qint64 line) {
    ++rounds_;
    if (!show_) {
        Problem(line, S(u"这一轮不属于任何一场抽奖"));
        return;
    }
    Show& show = *show_;
    ++show.rounds;
    RecordEvents::Round r;
    const bool complete = RecordEvents::Read(e, r);
    const int32_t keyIndex = r.keyIndex;
    const int32_t batch = r.batch;
    const int32_t rolls = r.rolls;
    const ShowKeys::Key key = r.key;
    const QString label = S(u"第 %1 轮（%2）").arg(show.rounds).arg(r.prizeName);
    if (r.show != show.id || !complete || batch < 1 || batch > kMaxBatch || rolls < 1 ||
        rolls > kMaxRolls) {
        show.problems.Add(label + S(u"的记录不完整"));
        show.nextKeyIndex = -1;
        return;
    }
    if (show.chosenPrize >= 0 && r.prize != show.chosenPrize)
        show.problems.Add(label + S(u"：不是操作员选定的下一个奖项"));
    show.chosenPrize = -1;
    if (show.sealed) {
        // The prize's pool as the show built it when the prize came up: before this round's
        // winners were known.
        const PrizePools::Rule* rule = show.pools.RuleOf(r.prize);
        if (!rule) {
            show.problems.Add(label + S(u"：奖项不在本场开始时的记录中"));
            show.nextKeyIndex = -1;
        } else if (r.prize != show.poolPrize) {
            const std::unordered_set<int32_t> winners = WinnerIds();
            show.pool.Reset(show.pools.PoolFor(
                r.prize, [&winners](int32_t id) { return winners.count(id) > 0; }));
            show.poolPrize = r.prize;
            show.poolRepeat = rule->repeat;
        }
        for (const auto& [id, text] : r.winners)
            if (rule && !show.pools.Admits(r.prize, id))
                show.problems.Add(label + S(u"：中奖者“%1”不在本奖项的抽奖范围内").arg(text));
    }
    std::vector<int32_t> recorded;
    recorded.reserve(r.winners.size());
    for (const auto& [id, text] : r.winners) {
        recorded.push_back(id);
        AddWinner(r.prize, id, text, r.time, false, show.number);
    }
    show.winners += static_cast<int>(recorded.size());
    if (show.nextKeyIndex < 0) return;  // an earlier fault already stopped the replay

    if (!AcceptKey(show, label, keyIndex, key)) return;

    // Every roll costs something, even over an empty pool.
    budget_ -= int64_t(rolls) *
               std::max<int64_t>(1, std::min<int64_t>(batch, int64_t(show.pool.Remaining())));
    if (budget_ < 0) {
        show.problems.Add(label + S(u"：记录要求的重放过大，无法验证"));
        show.nextKeyIndex = -1;
        return;
    }
    KeyedStream stream(key);
    std::vector<int32_t> picks;
    for (int32_t r = 0; r < rolls; ++r) picks = show.pool.Roll(batch, stream);
    if (picks != recorded) {
        show.problems.Add(label + S(u"：重放结果与记录的中奖者不符"));
        show.nextKeyIndex = -1;
        return;
    }
    show.pool.Commit(picks, show.sealed ? show.poolRepeat : show.allowRepeat);
}

std::unordered_set<int32_t> Replay::WinnerIds() const {
    std::unordered_set<int32_t> ids;
    for (const auto& [key, entry] : state_) ids.insert(key.second);
    return ids;
}

void Replay::DescribeRules(const RecordEvents::ShowStart& start, Show& show) {
    const RecordEvents::Seal& seal = *start.seal;
    if (!seal.excluded.empty())
        show.rules << S(u"不参与抽奖：%1 人").arg(static_cast<qint64>(seal.excluded.size()));
    if (seal.presentOnly)
        show.rules << S(u"只有已签到的人参加：%1 人（未签到 %2 人）")
                          .arg(static_cast<qint64>(seal.room.size()))
                          .arg(static_cast<qint64>(seal.absent.size()));
    for (const RecordEvents::PrizeRule& rule : seal.prizes) {
        PrizeScope scope;
        if (rule.limited) scope = PrizeScope{rule.field, rule.mode, rule.values};
        const QStringList phrases = PrizeRuleText::Phrases(scope, rule.repeat, start.repeat);
        if (phrases.isEmpty()) continue;
        QString name = QString::number(rule.prize);
        for (const RecordEvents::PrizeEntry& p : start.prizes)
            if (p.id == rule.prize) name = p.name;
        show.rules << S(u"奖项“%1”：").arg(name) + phrases.join(S(u"；")) +
                          S(u"（范围内 %1 人）")
                              .arg(static_cast<qint64>(show.pools.MemberCount(rule.prize)));
    }
}

void Replay::EndShow(const QJsonObject& e, qint64 line) {
    RecordEvents::ShowEnd end;
    const bool revealed = RecordEvents::Read(e, end);
    if (!show_ || end.show != show_->id) {
        Problem(line, S(u"结束记录不属于当前这一场"));
        return;
    }
    const ShowKeys::Key secret = end.secret;
    if (!revealed) {
        show_->problems.Add(S(u"结束记录中的密钥无法读取"));
    } else {
        ShowKeys::Key k = secret;
        for (int32_t i = 0; i < show_->chain; ++i) k = ShowKeys::Hash(k);
        if (k != show_->commitment) {
            show_->problems.Add(S(u"公开的密钥与本场的承诺不符"));
        } else {
            for (const Show::TailRound& r : show_->tailRounds)
                if (ShowKeys::TailKey(secret, r.keyIndex) != r.key)
                    show_->problems.Add(r.label + S(u"：密钥不是由本场公开的密钥得出"));
        }
    }
    show_->tailRounds.clear();
    show_->ended = true;
    CloseShow();
}

void Replay::Removal(const QJsonObject& e, qint64 line) {
    RecordEvents::Removal removal;
    if (!RecordEvents::Read(e, removal)) {
        Problem(line, S(u"删除记录不完整"));
        return;
    }
    const QString& won = removal.won;
    auto [from, to] = state_.equal_range(WinnerKey{removal.prize, removal.candidate});
    auto pick = to;
    for (auto it = from; it != to; ++it) {
        if (!it->second.baseline && it->second.time == won) {
            pick = it;
            break;
        }
        if (it->second.baseline && pick == to) pick = it;
    }
    if (pick == to) {
        Problem(line, S(u"删除了记录中没有的中奖者“%1”").arg(removal.text));
        return;
    }
    if (pick->second.show > 0) {
        Removals& of = removals_[pick->second.show];
        if (!removal.voided)
            ++of.deleted;
        else if (removal.reason == QLatin1String("interrupted"))
            ++of.interrupted;
        else
            ++of.voided;
    }
    state_.erase(pick);
}

void Replay::CloseShow() {
    if (!show_) return;
    Show& show = *show_;
    // Keys beyond the chain open only with the secret, which a show that never ended kept.
    if (!show.tailRounds.empty())
        show.problems.Add(S(u"%1 轮超出密钥链，本场未公开密钥，无法验证")
                              .arg(static_cast<int>(show.tailRounds.size())));
    Closed closed;
    closed.head = S(u"第 %1 场（%2，指纹 %3，%4 轮 %5 人）")
                      .arg(show.number)
                      .arg(show.time, show.fingerprint)
                      .arg(show.rounds)
                      .arg(show.winners);
    closed.passed = show.problems.IsEmpty();
    closed.ended = show.ended;
    if (!closed.passed) {
        problemCount_ += show.problems.count;
        closed.problems = show.problems.All().join(S(u"；"));
    }
    closed.rules = show.rules;
    // The list of shows is bounded like every other list of the report.
    if (closed_.size() < size_t(Lines::kMaxListed)) closed_.push_back(std::move(closed));
    show_.reset();
}

void Replay::Finish(const AppData& data) {
    CloseShow();
    // Every winner in data.xml must be one the record accounts for, unchanged.
    std::multimap<WinnerKey, Entry> left = state_;
    for (const auto& [prizeId, vec] : data.Winners()) {
        for (const auto& w : vec) {
            auto [from, to] = left.equal_range(WinnerKey{w->prize, w->candidate});
            auto exact = to;
            auto loose = to;
            for (auto it = from; it != to; ++it) {
                if (!it->second.baseline && it->second.time == w->time &&
                    it->second.text == w->show) {
                    exact = it;
                    break;
                }
                if (loose == to) loose = it;
            }
            if (exact != to) {
                left.erase(exact);
            } else if (loose != to && loose->second.baseline) {
                left.erase(loose);
            } else if (loose != to) {
                Problem(0, S(u"data.xml 中的中奖者“%1”（%2）与记录不符：记录为“%3”（%4）")
                               .arg(w->show, w->time, loose->second.text, loose->second.time));
                left.erase(loose);
            } else {
                Problem(0, S(u"data.xml 中的中奖者“%1”（%2）没有抽奖记录").arg(w->show, w->time));
            }
        }
    }
    for (const auto& [key, entry] : left) {
        if (entry.baseline)
            Problem(
                0,
                S(u"记录开始前已有的一名中奖者（候选人编号 %1）不在 data.xml 中").arg(key.second));
        else
            Problem(0, S(u"记录中的中奖者“%1”（%2）不在 data.xml 中").arg(entry.text, entry.time));
    }
}

DrawVerifier::Report Replay::TakeReport() {
    DrawVerifier::Report report;
    for (size_t i = 0; i < closed_.size(); ++i) {
        const Closed& c = closed_[i];
        QString line = c.head;
        if (c.passed) {
            line += S(u"：通过");
            const auto r = removals_.find(int(i) + 1);
            if (r != removals_.end()) {
                QStringList parts;
                if (r->second.voided) parts << S(u"%1 人未到场作废").arg(r->second.voided);
                if (r->second.interrupted)
                    parts << S(u"%1 人因程序中断作废").arg(r->second.interrupted);
                if (r->second.deleted) parts << S(u"%1 人已删除").arg(r->second.deleted);
                if (!parts.isEmpty()) line += S(u"（其中 ") + parts.join(S(u"，")) + S(u"）");
            }
            if (!c.ended) line += S(u"（本场未正常结束，各轮已按逐轮公开的密钥验证）");
        } else {
            line += S(u"：未通过，") + c.problems;
        }
        showLines_.Add(line);
        for (const QString& rule : c.rules) showLines_.Add(S(u"    ") + rule);
    }
    if (shows_ > int(closed_.size()))
        showLines_.Add(S(u"……另有 %1 场未列出").arg(shows_ - int(closed_.size())));
    report.lines = showLines_.All();
    report.lines += problems_.All();
    if (shows_ == 0) report.lines << S(u"记录中还没有抽奖。");
    if (baseline_ > 0)
        report.lines << S(u"记录开始前已有 %1 名中奖者，他们无法逐轮验证。").arg(baseline_);
    if (problemCount_ == 0) {
        report.outcome = DrawVerifier::kPassed;
        report.lines << S(u"共 %1 场、%2 轮：全部通过。").arg(shows_).arg(rounds_);
    } else {
        report.outcome = DrawVerifier::kDiffers;
        report.lines
            << S(u"共 %1 场、%2 轮：发现 %3 处不符。").arg(shows_).arg(rounds_).arg(problemCount_);
    }
    return report;
}

}  // namespace

DrawVerifier::Report DrawVerifier::Verify(const QString& folder) {
    const QString dir = WithSlash(folder);
    Report report;
    const QString recordPath = dir + DrawRecord::FileName();
    const QString dataPath = dir + QStringLiteral("data.xml");
    QFile record(recordPath);
    if (!FileExists(recordPath, false)) {
        report.lines << S(u"这里还没有抽奖记录：%1").arg(recordPath);
        return report;
    }
    if (!record.open(QIODevice::ReadOnly)) {
        report.lines << S(u"无法读取抽奖记录：%1").arg(recordPath);
        return report;
    }
    // A model that reads no folder of its own and never writes.
    AppData data{QString(), QString()};
    if (!FileExists(dataPath, false) || !data.LoadDataFile(dataPath, false)) {
        report.lines << S(u"无法读取数据文件：%1").arg(dataPath);
        return report;
    }
    Replay replay;
    DrawRecordReader reader(record);
    DrawRecordReader::Line line;
    while (reader.Next(line)) replay.Line(line);
    replay.Finish(data);
    return replay.TakeReport();
}
