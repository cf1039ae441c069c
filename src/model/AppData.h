#pragma once

#include <QString>

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "model/Candidate.h"
#include "model/DesignSymbol.h"
#include "model/MediaList.h"
#include "model/Prize.h"
#include "model/Winner.h"

class DrawEngine;

// Settings of the number generator.
struct GenNumberSettings {
    int32_t Start = 1;
    int32_t Total = 100;
    QString Prefix;
    QString Suffix;
};

// Everything the program knows: candidates, prizes, winners, settings, design elements and
// media lists. One per process (see TheAppData); tests construct their own for a folder.
class AppData {
  public:
    static constexpr int kSaveCandidates = 1;
    static constexpr int kSaveData = 2;

    using CandidateList = std::vector<std::unique_ptr<Candidate>>;
    using WinnerVector = std::vector<std::unique_ptr<Winner>>;

    // Builds the defaults and reads cd.xml, then data.xml (or init.xml when there is none)
    // from programDir, which ends with "/".
    explicit AppData(const QString& programDir);
    // Writes both files back.
    ~AppData();
    AppData(const AppData&) = delete;
    AppData& operator=(const AppData&) = delete;

    const QString& ProgramDir() const { return programDir_; }
    QString CandidateFilePath() const { return programDir_ + candidateFileName_; }
    QString DataFilePath() const { return programDir_ + dataFileName_; }
    QString DefaultsFilePath() const { return programDir_ + QStringLiteral("init.xml"); }

    // Candidates
    Candidate* AddCandidate(const QString& no, const QString& name, const QString& department,
                            const QString& tel, int32_t index);
    void AddCandidateRecord(std::unique_ptr<Candidate> candidate);
    void ClearCandidates();
    const CandidateList& Candidates() const { return candidates_; }
    const std::map<int32_t, Candidate*>& CandidateMap() const { return candidateMap_; }
    Candidate* FindCandidate(int32_t id) const;
    // Reserves room before a large import.
    void ReserveCandidates(size_t n) { candidates_.reserve(n); }

    // Prizes
    int32_t AddPrize(const QString& name, const QString& content, int32_t count, int32_t batch,
                     const QString& image, int32_t index);
    // Stores a prize read from a file under its own id, replacing one with the same id.
    void PutPrize(std::unique_ptr<Prize> prize);
    Prize* FindPrize(int32_t id) const;
    void DeletePrize(int32_t id);
    void ClearPrizes();
    const std::map<int32_t, std::unique_ptr<Prize>>& Prizes() const { return prizes_; }
    // Ascending index; among equal index the higher id first.
    std::vector<Prize*> PrizesInDrawOrder() const;

    // Winners
    WinnerVector* WinnersOfPrize(int32_t prizeId);
    const WinnerVector* WinnersOfPrize(int32_t prizeId) const;
    WinnerVector& WinnerVectorOf(int32_t prizeId);  // created when missing
    void AddWinner(std::unique_ptr<Winner> winner);
    int WinnerCount(int32_t prizeId) const;
    bool IsWinner(int32_t candidateId) const;
    // Takes the record out of its vector and hands it back (null when not found).
    std::unique_ptr<Winner> RemoveWinner(const Winner* record);
    void ClearWinners();
    void RemoveOrphanWinners();
    void WinnersInDrawOrder(std::vector<Winner*>& out) const;
    const std::map<int32_t, WinnerVector>& Winners() const { return winners_; }
    size_t TotalWinners() const;

    // Settings
    int32_t TabIndex() const { return tabIndex_; }
    void SetTabIndex(int32_t v) { tabIndex_ = v; }
    GenNumberSettings& GenNumberList() { return genNumberList_; }
    const GenNumberSettings& GenNumberList() const { return genNumberList_; }
    int32_t LastFrame() const { return lastFrame_; }
    void SetLastFrame(int32_t v) { lastFrame_ = v; }
    const QString& Title() const { return title_; }
    void SetTitle(const QString& v) { title_ = v; }
    int32_t PrizeUIType() const { return prizeUIType_; }
    void SetPrizeUIType(int32_t v) { prizeUIType_ = v; }
    int32_t FieldType() const { return fieldType_; }
    void SetFieldType(int32_t value, bool byOperator);
    bool FieldTypeChosenByOperator() const { return fieldTypeByOperator_; }
    bool AllowRepeat() const { return allowRepeat_; }
    void SetAllowRepeat(bool v) { allowRepeat_ = v; }

    // Design elements
    DesignSymbol* FindSymbol(int32_t id) const;
    const std::map<int32_t, std::unique_ptr<DesignSymbol>>& SymbolList() const { return symbols_; }
    void RebuildDefaultSymbols();
    void ResetSymbolFontSizes();

    MediaList& MusicList() { return musicList_; }
    const MediaList& MusicList() const { return musicList_; }
    MediaList& BackgroundList() { return backgroundList_; }
    const MediaList& BackgroundList() const { return backgroundList_; }

    // Validation result of the last draw start.
    int32_t DrawStatusCode() const { return drawStatus_; }
    const QString& DrawStatusDetail() const { return drawStatusDetail_; }
    void SetDrawStatus(int32_t code, const QString& detail) {
        drawStatus_ = code;
        drawStatusDetail_ = detail;
    }

    DrawEngine& Draw() { return *draw_; }

    // Bit kSaveCandidates writes cd.xml, bit kSaveData data.xml. True when all asked for were
    // written.
    bool Save(int flags);

    // File readers and writers (the functions behind the load order and Save).
    bool LoadDataFile(const QString& path, bool isDefaultsFile);
    bool SaveDataFile();
    bool LoadCandidateFile(const QString& path);
    bool SaveCandidateFile();

  private:
    int32_t NextCandidateId();
    int32_t NextPrizeId();
    // Keeps a copy of a file that could not be read to its end before it is first replaced.
    void KeepDamagedCopy(const QString& path, bool& pending);

    QString programDir_;

    int32_t tabIndex_ = 0;
    GenNumberSettings genNumberList_;
    int32_t lastFrame_ = 0;
    std::map<int32_t, std::unique_ptr<DesignSymbol>> symbols_;
    QString candidateFileName_ = QStringLiteral("cd.xml");
    QString dataFileName_ = QStringLiteral("data.xml");
    int32_t drawStatus_ = 0;
    QString drawStatusDetail_;
    CandidateList candidates_;
    std::map<int32_t, Candidate*> candidateMap_;
    std::map<int32_t, std::unique_ptr<Prize>> prizes_;
    std::map<int32_t, WinnerVector> winners_;
    int32_t nextPrizeId_ = 0;
    int32_t nextCandidateId_ = 0;
    QString title_;
    int32_t prizeUIType_ = 1;
    int32_t fieldType_ = 0;
    bool allowRepeat_ = false;
    bool fieldTypeByOperator_ = false;
    MediaList musicList_;
    MediaList backgroundList_;
    std::unique_ptr<DrawEngine> draw_;

    bool candidateFileDamaged_ = false;
    bool dataFileDamaged_ = false;
};

// The one AppData of the process, created (and loaded from the program folder) on first use.
AppData& TheAppData();
// Deletes it, which saves both files. Safe to call when none exists.
void DestroyAppData();
