#include "model/AppData.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <unordered_set>
#include <utility>

#include "model/AtomicFileWriter.h"
#include "model/CandidateFile.h"
#include "model/DataFile.h"
#include "model/RescueStore.h"
#include "model/Utilities.h"

namespace {

struct SymbolDefault {
    int32_t id;
    const char16_t* label;
    uint32_t color;
};

constexpr SymbolDefault kSymbolDefaults[] = {
    {DesignElement::Title, u"活动主题", 0},
    {DesignElement::SmallTitle, u"活动主题（小）", 0},
    {DesignElement::PrizeInfo, u"奖项信息", 0},
    {DesignElement::RollingNames, u"抽奖名单", 0},
    {DesignElement::WinnerNames, u"中奖名单", 0x0000FFFF},
    {DesignElement::Subtitle, u"活动副主题", 0},
    {DesignElement::SmallPrizeInfo, u"奖项信息（小）", 0},
};

const QString kDefaultFontName = QStringLiteral("微软雅黑");

}  // namespace

AppData::AppData(const QString& programDir) : AppData(programDir, programDir) {}

AppData::AppData(const QString& shareDir, const QString& dataDir)
    : programDir_(WithSlash(shareDir)), dataDir_(WithSlash(dataDir)) {
    if (dataDir_.isEmpty()) readOnly_ = true;
    checkIns_ = std::make_unique<CheckInLog>(readOnly_ ? QString() : CheckInLogPath());
    Load();
}

void AppData::Load() {
    RebuildDefaultSymbols();
    musicList_ = MediaList({
        {QStringLiteral("默认音乐"), programDir_ + QStringLiteral("music/default.mp3"), false},
        {QStringLiteral("默认音乐2"), programDir_ + QStringLiteral("music/default2.mp3"), false},
    });
    backgroundList_ = MediaList({
        {QStringLiteral("默认背景"), programDir_ + QStringLiteral("image/default.jpg"), false},
        {QStringLiteral("鸿运当头"), programDir_ + QStringLiteral("image/hydt.jpg"), false},
        {QStringLiteral("吉星高照"), programDir_ + QStringLiteral("image/jxgz.jpg"), false},
    });
    if (dataDir_.isEmpty()) return;
    // A save killed half-way leaves its temporary file; the real file is whole either way.
    AtomicFileWriter::RemoveLeftover(CandidateFilePath());
    AtomicFileWriter::RemoveLeftover(DataFilePath());

    const QString candidatePath = CandidateFilePath();
    if (!LoadCandidateFile(candidatePath) && FileExists(candidatePath, false))
        candidateFileDamaged_ = true;
    const QString dataPath = DataFilePath();
    if (FileExists(dataPath, false)) {
        if (!LoadDataFile(dataPath, false)) dataFileDamaged_ = true;
    } else {
        LoadDataFile(DefaultsFilePath(), true);
    }
}

AppData::~AppData() {
    Save(kSaveCandidates | kSaveData);
    winners_.clear();
    candidateMap_.clear();
    candidates_.clear();
    ClearPrizes();
}

void AppData::TellRemoval(WinnerRemoval removal) {
    if (removal.time.isEmpty()) removal.time = LocalTimeText();
    TellRemovals({std::move(removal)});
}

void AppData::TellRemovals(std::vector<WinnerRemoval> removals) {
    if (readOnly_ || !removalSink_ || removals.empty()) return;
    if (recordBatchDepth_ > 0) {
        for (WinnerRemoval& r : removals) batched_.push_back(std::move(r));
        return;
    }
    removalSink_(removals);
}

AppData::RecordBatch::~RecordBatch() {
    if (--data_.recordBatchDepth_ > 0 || data_.batched_.empty()) return;
    data_.TellRemovals(std::exchange(data_.batched_, {}));
}

// Candidates

int32_t AppData::NextCandidateId() {
    while (candidateMap_.count(nextCandidateId_)) ++nextCandidateId_;
    return nextCandidateId_++;
}

Candidate* AppData::AddCandidate(const QString& no, const QString& name, const QString& department,
                                 const QString& tel, int32_t index) {
    auto c = std::make_unique<Candidate>();
    c->id = NextCandidateId();
    c->NO = no;
    c->name = name;
    c->department = department;
    c->tel = tel;
    c->index = index;
    Candidate* raw = c.get();
    AddCandidateRecord(std::move(c));
    return raw;
}

void AppData::AddCandidateRecord(std::unique_ptr<Candidate> candidate) {
    if (!candidate) return;
    // Ids mostly arrive in ascending order; the hint makes each insertion constant time then.
    candidateMap_.insert_or_assign(candidateMap_.end(), candidate->id, candidate.get());
    candidates_.push_back(std::move(candidate));
}

void AppData::ReleaseCandidates() {
    candidateMap_.clear();
    candidates_.clear();
}

void AppData::ClearCandidates() {
    candidateMap_.clear();
    candidates_.clear();
    if (const size_t n = TotalWinners(); n > 0) {
        WinnerRemoval cleared;
        cleared.kind = WinnerRemoval::Kind::Cleared;
        cleared.count = static_cast<int64_t>(n);
        TellRemoval(std::move(cleared));
    }
    ClearWinners();
}

QString AppData::StopSoundPath() const {
    return stopSoundFile_.isEmpty() ? programDir_ + QStringLiteral("sound/stop.wav")
                                    : stopSoundFile_;
}

Candidate* AppData::FindCandidate(int32_t id) const {
    auto it = candidateMap_.find(id);
    return it == candidateMap_.end() ? nullptr : it->second;
}

// Prizes

int32_t AppData::NextPrizeId() {
    while (prizes_.count(nextPrizeId_)) ++nextPrizeId_;
    return nextPrizeId_++;
}

int32_t AppData::AddPrize(const QString& name, const QString& content, int32_t count, int32_t batch,
                          const QString& image, int32_t index) {
    auto p = std::make_unique<Prize>();
    p->id = NextPrizeId();
    p->name = name;
    p->content = content;
    p->count = count;
    p->batch = batch;
    p->image = image;
    p->index = index;
    const int32_t id = p->id;
    prizes_[id] = std::move(p);
    return id;
}

void AppData::PutPrize(std::unique_ptr<Prize> prize) {
    if (!prize) return;
    const int32_t id = prize->id;
    prizes_[id] = std::move(prize);
}

Prize* AppData::FindPrize(int32_t id) const {
    auto it = prizes_.find(id);
    return it == prizes_.end() ? nullptr : it->second.get();
}

void AppData::DeletePrize(int32_t id) {
    auto it = prizes_.find(id);
    if (it == prizes_.end()) return;
    if (const WinnerVector* v = WinnersOfPrize(id)) {
        RecordBatch batch(*this);
        for (const auto& w : *v) TellRemoval(WinnerRemoval::Of(WinnerRemoval::Kind::Deleted, *w));
    }
    winners_.erase(id);
    prizes_.erase(it);
}

void AppData::ClearPrizes() {
    prizes_.clear();
}

std::vector<Prize*> AppData::PrizesInDrawOrder() const {
    // Each prize, taken in ascending id, goes before the first queued one whose index is
    // greater or equal: ascending index, and the higher id first among equal ones.
    std::vector<Prize*> order;
    order.reserve(prizes_.size());
    for (const auto& entry : prizes_) {
        Prize* p = entry.second.get();
        auto pos = std::find_if(order.begin(), order.end(),
                                [p](const Prize* q) { return q->index >= p->index; });
        order.insert(pos, p);
    }
    return order;
}

// Winners

AppData::WinnerVector* AppData::WinnersOfPrize(int32_t prizeId) {
    auto it = winners_.find(prizeId);
    return it == winners_.end() ? nullptr : &it->second;
}

const AppData::WinnerVector* AppData::WinnersOfPrize(int32_t prizeId) const {
    auto it = winners_.find(prizeId);
    return it == winners_.end() ? nullptr : &it->second;
}

AppData::WinnerVector& AppData::WinnerVectorOf(int32_t prizeId) {
    return winners_[prizeId];
}

void AppData::AddWinner(std::unique_ptr<Winner> winner) {
    if (!winner) return;
    const int32_t prize = winner->prize;
    winners_[prize].push_back(std::move(winner));
}

int AppData::WinnerCount(int32_t prizeId) const {
    const WinnerVector* v = WinnersOfPrize(prizeId);
    return v ? static_cast<int>(v->size()) : 0;
}

bool AppData::IsWinner(int32_t candidateId) const {
    for (const auto& [prize, vec] : winners_) {
        for (const auto& w : vec) {
            if (w && w->candidate == candidateId) return true;
        }
    }
    return false;
}

std::unique_ptr<Winner> AppData::RemoveWinner(const Winner* record, Removal why) {
    if (!record) return nullptr;
    for (auto& [prize, vec] : winners_) {
        for (auto it = vec.begin(); it != vec.end(); ++it) {
            if (it->get() == record) {
                TellRemoval(WinnerRemoval::Of(why == Removal::Voided ? WinnerRemoval::Kind::Voided
                                                                     : WinnerRemoval::Kind::Deleted,
                                              **it));
                std::unique_ptr<Winner> out = std::move(*it);
                vec.erase(it);
                return out;
            }
        }
    }
    return nullptr;
}

void AppData::ClearWinners() {
    winners_.clear();
}

void AppData::RemoveOrphanWinners() {
    RecordBatch batch(*this);
    for (auto it = winners_.begin(); it != winners_.end();) {
        if (!prizes_.count(it->first)) {
            for (const auto& w : it->second)
                TellRemoval(WinnerRemoval::Of(WinnerRemoval::Kind::Deleted, *w));
            it = winners_.erase(it);
        } else {
            ++it;
        }
    }
}

void AppData::WinnersInDrawOrder(std::vector<Winner*>& out) const {
    for (const Prize* p : PrizesInDrawOrder()) {
        const WinnerVector* v = WinnersOfPrize(p->id);
        if (!v) continue;
        for (const auto& w : *v) {
            if (w) out.push_back(w.get());
        }
    }
}

size_t AppData::TotalWinners() const {
    size_t n = 0;
    for (const auto& [prize, vec] : winners_) n += vec.size();
    return n;
}

std::map<int32_t, size_t> AppData::WinnerMark() const {
    std::map<int32_t, size_t> mark;
    for (const auto& [prize, vec] : winners_) mark[prize] = vec.size();
    return mark;
}

void AppData::TrimWinnersTo(const std::map<int32_t, size_t>& mark) {
    for (auto it = winners_.begin(); it != winners_.end();) {
        auto kept = mark.find(it->first);
        if (kept == mark.end()) {
            it = winners_.erase(it);
            continue;
        }
        if (it->second.size() > kept->second) it->second.resize(kept->second);
        ++it;
    }
}

// Settings

void AppData::SetFieldType(int32_t value, bool byOperator) {
    fieldType_ = value;
    if (byOperator) fieldTypeByOperator_ = true;
}

DesignSymbol* AppData::FindSymbol(int32_t id) const {
    auto it = symbols_.find(id);
    return it == symbols_.end() ? nullptr : it->second.get();
}

void AppData::RebuildDefaultSymbols() {
    symbols_.clear();
    for (const SymbolDefault& d : kSymbolDefaults) {
        auto s = std::make_unique<DesignSymbol>();
        s->Id = d.id;
        s->label = QString::fromUtf16(d.label);
        s->FontName = kDefaultFontName;
        s->fontSize = -1;
        s->Color = d.color;
        symbols_[d.id] = std::move(s);
    }
}

void AppData::ResetSymbolFontSizes() {
    for (auto& [id, s] : symbols_) s->fontSize = -1;
}

// Files

bool AppData::KeepDamagedCopy(const QString& path, bool& pending) {
    if (!pending) return true;
    if (!FileExists(path, false)) {
        pending = false;
        return true;
    }
    const QFileInfo info(path);
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss"));
    QString copy = info.absolutePath() + QLatin1Char('/') + info.completeBaseName() +
                   QStringLiteral(".damaged-") + stamp + QLatin1Char('.') + info.suffix();
    for (int n = 2; QFileInfo::exists(copy); ++n) {
        copy = info.absolutePath() + QLatin1Char('/') + info.completeBaseName() +
               QStringLiteral(".damaged-") + stamp + QLatin1Char('-') + QString::number(n) +
               QLatin1Char('.') + info.suffix();
    }
    // Only a copy that is really on disk lets the damaged original be replaced.
    QFile original(path);
    if (!original.open(QIODevice::ReadOnly)) return false;
    const QByteArray bytes = original.readAll();
    if (bytes.size() != info.size() || !AtomicFileWriter::Write(copy, bytes)) return false;
    pending = false;
    return true;
}

bool AppData::LoadDataFile(const QString& path, bool isDefaultsFile) {
    return DataFile::Load(*this, path, isDefaultsFile);
}

bool AppData::SaveDataFile() {
    const bool kept = KeepDamagedCopy(DataFilePath(), dataFileDamaged_);
    return WriteOrRescue(DataFilePath(), DataFile::Serialize(*this), kept);
}

bool AppData::LoadCandidateFile(const QString& path) {
    return CandidateFile::Load(*this, path);
}

bool AppData::SaveCandidateFile() {
    const bool kept = KeepDamagedCopy(CandidateFilePath(), candidateFileDamaged_);
    return WriteOrRescue(CandidateFilePath(), CandidateFile::Serialize(*this), kept);
}

bool AppData::WriteOrRescue(const QString& path, const QByteArray& bytes, bool damagedCopyKept) {
    QString reason;
    if (bytes.isEmpty()) {
        reason = QStringLiteral("the file could not be built");
    } else if (!damagedCopyKept) {
        reason = QStringLiteral("no copy of the damaged file could be kept");
    } else if (AtomicFileWriter::Write(path, bytes, &reason)) {
        NoteWriteSucceeded(path);
        return true;
    }
    SaveProblem problem{path, reason, QString()};
    QString rescue;
    if (!bytes.isEmpty() && Rescues().Write(path, bytes, &rescue, nullptr)) problem.rescue = rescue;
    ReportWriteFailure(problem);
    return false;
}

void AppData::SetSaveReporter(std::function<void(const SaveProblem&)> onFailure,
                              std::function<void()> onRecovery) {
    onSaveFailure_ = std::move(onFailure);
    onSaveRecovery_ = std::move(onRecovery);
}

void AppData::SetRescueFolder(const QString& folder) {
    rescues_ = std::make_unique<RescueStore>(folder);
}

RescueStore& AppData::Rescues() {
    if (!rescues_) rescues_ = std::make_unique<RescueStore>(RescueStore::UserFolder());
    return *rescues_;
}

void AppData::ReportWriteFailure(const SaveProblem& problem) {
    if (std::find(failing_.begin(), failing_.end(), problem.file) == failing_.end())
        failing_.push_back(problem.file);
    lastProblem_ = problem;
    if (onSaveFailure_) onSaveFailure_(problem);
}

void AppData::NoteWriteSucceeded(const QString& path) {
    auto it = std::find(failing_.begin(), failing_.end(), path);
    if (it == failing_.end()) return;
    failing_.erase(it);
    if (failing_.empty() && onSaveRecovery_) onSaveRecovery_();
}

bool AppData::Save(int flags) {
    if (readOnly_) return true;
    bool ok = true;
    if (flags & kSaveCandidates) ok = SaveCandidateFile() && ok;
    if (flags & kSaveData) ok = SaveDataFile() && ok;
    return ok;
}

// The process-wide instance

namespace {
std::unique_ptr<AppData>& GlobalSlot() {
    static std::unique_ptr<AppData> data;
    return data;
}
}  // namespace

AppData& TheAppData() {
    auto& slot = GlobalSlot();
    if (!slot) slot = std::make_unique<AppData>(ExeDirectory());
    return *slot;
}

AppData& CreateAppData(const QString& shareDir, const QString& dataDir) {
    auto& slot = GlobalSlot();
    slot.reset();
    slot = std::make_unique<AppData>(shareDir, dataDir);
    return *slot;
}

void DestroyAppData() {
    GlobalSlot().reset();
}
