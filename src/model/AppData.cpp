#include "model/AppData.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <unordered_set>

#include "model/CandidateFile.h"
#include "model/DataFile.h"
#include "model/Utilities.h"
#include "show/DrawEngine.h"

namespace {

struct SymbolDefault {
    int32_t id;
    const char16_t* label;
    uint32_t color;
};

constexpr SymbolDefault kSymbolDefaults[] = {
    {0, u"活动主题", 0},       {1, u"活动主题（小）", 0},    {2, u"奖项信息", 0},
    {3, u"抽奖名单", 0},       {4, u"中奖名单", 0x0000FFFF}, {5, u"活动副主题", 0},
    {6, u"奖项信息（小）", 0},
};

const QString kDefaultFontName = QStringLiteral("微软雅黑");

}  // namespace

AppData::AppData(const QString& programDir) : programDir_(programDir) {
    if (!programDir_.isEmpty() && !programDir_.endsWith(QLatin1Char('/')))
        programDir_ += QLatin1Char('/');
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
    draw_ = std::make_unique<DrawEngine>(*this);

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
    if (draw_) draw_->DropRound();
    ClearWinners();
    ClearCandidates();
    ClearPrizes();
    draw_.reset();
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

void AppData::ClearCandidates() {
    candidateMap_.clear();
    candidates_.clear();
    ClearWinners();
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

std::unique_ptr<Winner> AppData::RemoveWinner(const Winner* record) {
    if (!record) return nullptr;
    for (auto& [prize, vec] : winners_) {
        for (auto it = vec.begin(); it != vec.end(); ++it) {
            if (it->get() == record) {
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
    for (auto it = winners_.begin(); it != winners_.end();) {
        if (!prizes_.count(it->first)) {
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

void AppData::KeepDamagedCopy(const QString& path, bool& pending) {
    if (!pending) return;
    pending = false;
    if (!FileExists(path, false)) return;
    const QFileInfo info(path);
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss"));
    QString copy = info.absolutePath() + QLatin1Char('/') + info.completeBaseName() +
                   QStringLiteral(".damaged-") + stamp + QLatin1Char('.') + info.suffix();
    for (int n = 2; QFileInfo::exists(copy); ++n) {
        copy = info.absolutePath() + QLatin1Char('/') + info.completeBaseName() +
               QStringLiteral(".damaged-") + stamp + QLatin1Char('-') + QString::number(n) +
               QLatin1Char('.') + info.suffix();
    }
    QFile::copy(path, copy);
}

bool AppData::LoadDataFile(const QString& path, bool isDefaultsFile) {
    return DataFile::Load(*this, path, isDefaultsFile);
}

bool AppData::SaveDataFile() {
    KeepDamagedCopy(DataFilePath(), dataFileDamaged_);
    return DataFile::Save(*this, DataFilePath());
}

bool AppData::LoadCandidateFile(const QString& path) {
    return CandidateFile::Load(*this, path);
}

bool AppData::SaveCandidateFile() {
    KeepDamagedCopy(CandidateFilePath(), candidateFileDamaged_);
    return CandidateFile::Save(*this, CandidateFilePath());
}

bool AppData::Save(int flags) {
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

void DestroyAppData() {
    GlobalSlot().reset();
}
