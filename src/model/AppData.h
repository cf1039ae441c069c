#pragma once

#include <QSize>
#include <QString>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "model/Candidate.h"
#include "model/CheckInLog.h"
#include "model/CheckInSettings.h"
#include "model/DesignSymbol.h"
#include "model/MediaList.h"
#include "model/Prize.h"
#include "model/Winner.h"
#include "model/WinnerRemoval.h"

class RescueStore;

// A file that could not be written where it belongs.
struct SaveProblem {
    QString file;
    QString reason;
    QString rescue;  // where a complete copy went instead; empty when none could be written
};

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

    // Why a winner record leaves the model, as the draw record tells it.
    enum class Removal { Deleted, Voided };

    // Builds the defaults and reads cd.xml, then data.xml (or init.xml when there is none)
    // from programDir, which ends with "/": media, defaults and data in one folder.
    explicit AppData(const QString& programDir);
    // The same with the shipped media and init.xml in shareDir and the operator's files
    // (cd.xml, data.xml, the draw record) in dataDir. An empty dataDir reads nothing.
    AppData(const QString& shareDir, const QString& dataDir);
    // Writes both files back (unless read-only).
    ~AppData();
    AppData(const AppData&) = delete;
    AppData& operator=(const AppData&) = delete;

    // The folder of the shipped media and init.xml.
    const QString& ProgramDir() const { return programDir_; }
    // The folder of cd.xml, data.xml and the draw record.
    const QString& DataDir() const { return dataDir_; }
    QString CandidateFilePath() const { return dataDir_ + candidateFileName_; }
    QString DataFilePath() const { return dataDir_ + dataFileName_; }
    QString DefaultsFilePath() const { return programDir_ + QStringLiteral("init.xml"); }
    // The draw record beside data.xml (written by the draw, never by the model).
    static QString DrawRecordFileName() { return QStringLiteral("draw-record.jsonl"); }
    QString DrawRecordPath() const { return dataDir_ + DrawRecordFileName(); }

    // A read-only model writes nothing: no data file, no candidate file, no draw record.
    // Rehearsals and the verifier use it.
    void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }
    bool ReadOnly() const { return readOnly_; }
    // data.xml was there but could not be read to its end: the draw record must not be
    // reconciled against what was read of it.
    bool DataFileDamaged() const { return dataFileDamaged_; }

    // Told of every winner that leaves (nothing while read-only); the draw sets it to keep its
    // record. Null: removals are not told.
    void SetRemovalSink(WinnerRemovalSink sink) { removalSink_ = std::move(sink); }
    // While one lives, removals are gathered and told together when it goes, so removing many
    // winners at once costs one fsync of the record instead of one each.
    class RecordBatch {
      public:
        explicit RecordBatch(AppData& data) : data_(data) { ++data_.recordBatchDepth_; }
        ~RecordBatch();
        RecordBatch(const RecordBatch&) = delete;
        RecordBatch& operator=(const RecordBatch&) = delete;

      private:
        AppData& data_;
    };

    // Candidates
    Candidate* AddCandidate(const QString& no, const QString& name, const QString& department,
                            const QString& tel, int32_t index);
    void AddCandidateRecord(std::unique_ptr<Candidate> candidate);
    // Also clears every winner (told to the draw record).
    void ClearCandidates();
    // Lets every candidate go but leaves the winners as they are: for replacing the list with
    // one whose people keep their ids.
    void ReleaseCandidates();
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
    // Takes the record out of its vector and hands it back (null when not found); the removal
    // sink learns of it.
    std::unique_ptr<Winner> RemoveWinner(const Winner* record, Removal why = Removal::Deleted);
    // Tells the removal sink that a winner went (or never came: a round cut short).
    void TellRemoval(WinnerRemoval removal);
    void ClearWinners();
    void RemoveOrphanWinners();
    void WinnersInDrawOrder(std::vector<Winner*>& out) const;
    const std::map<int32_t, WinnerVector>& Winners() const { return winners_; }
    size_t TotalWinners() const;
    // How many winners each prize holds now; TrimWinnersTo takes every prize back to that,
    // dropping what was recorded since (a rehearsal keeps nothing).
    std::map<int32_t, size_t> WinnerMark() const;
    void TrimWinnersTo(const std::map<int32_t, size_t>& mark);

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
    // The name of the screen the show opens on; empty (or a screen not connected) means the
    // primary screen.
    const QString& ShowScreen() const { return showScreen_; }
    void SetShowScreen(const QString& name) { showScreen_ = name; }
    // Page Down, Right and Down step the show like Space, as presentation remotes send them.
    bool PresenterKeys() const { return presenterKeys_; }
    void SetPresenterKeys(bool v) { presenterKeys_ = v; }
    // The operator's key hint stays on every screen; otherwise it shows on the welcome screen
    // and for a few seconds after each screen change.
    bool AlwaysShowHelp() const { return alwaysShowHelp_; }
    void SetAlwaysShowHelp(bool v) { alwaysShowHelp_ = v; }
    // A short sound over the music when the names stop; an empty file is the built-in one.
    bool StopSoundEnabled() const { return stopSoundEnabled_; }
    void SetStopSoundEnabled(bool v) { stopSoundEnabled_ = v; }
    const QString& StopSoundFile() const { return stopSoundFile_; }
    void SetStopSoundFile(const QString& path) { stopSoundFile_ = path; }
    QString StopSoundPath() const;
    // Mobile numbers shown on the projector keep their first three and last four digits only.
    CheckInSettings& CheckIn() { return checkIn_; }
    const CheckInSettings& CheckIn() const { return checkIn_; }
    // Who has checked in (the file beside data.xml; in memory alone for a read-only model).
    CheckInLog& CheckIns() { return *checkIns_; }
    const CheckInLog& CheckIns() const { return *checkIns_; }
    QString CheckInLogPath() const { return dataDir_ + CheckInLog::FileName(); }

    bool HidePhoneDigits() const { return hidePhoneDigits_; }
    void SetHidePhoneDigits(bool v) { hidePhoneDigits_ = v; }
    // The setup window's outer size as the operator left it (0 x 0: never changed) and whether
    // it was maximised.
    const QSize& WindowSize() const { return windowSize_; }
    void SetWindowSize(const QSize& size) { windowSize_ = size; }
    bool WindowMaximized() const { return windowMaximized_; }
    void SetWindowMaximized(bool v) { windowMaximized_ = v; }

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

    // Bit kSaveCandidates writes cd.xml, bit kSaveData data.xml. True when all asked for were
    // written. A file that cannot be written goes to a rescue copy and is reported.
    bool Save(int flags);

    // Told of every file (or draw record) that could not be written, and once all writes
    // succeed again after that. The windows turn these into a warning.
    void SetSaveReporter(std::function<void(const SaveProblem&)> onFailure,
                         std::function<void()> onRecovery);
    bool SavesFailing() const { return !failing_.empty(); }
    const SaveProblem& LastSaveProblem() const { return lastProblem_; }
    // Where rescue copies go; the per-user data folder unless set.
    void SetRescueFolder(const QString& folder);
    RescueStore& Rescues();
    // Every writer of the operator's files reports here: the data files and the draw record.
    void ReportWriteFailure(const SaveProblem& problem);
    void NoteWriteSucceeded(const QString& path);

    // File readers and writers (the functions behind the load order and Save).
    bool LoadDataFile(const QString& path, bool isDefaultsFile);
    bool SaveDataFile();
    bool LoadCandidateFile(const QString& path);
    bool SaveCandidateFile();

  private:
    void Load();
    void TellRemovals(std::vector<WinnerRemoval> removals);
    int32_t NextCandidateId();
    int32_t NextPrizeId();
    // Keeps a copy of a file that could not be read to its end before it is first replaced;
    // false when that copy could not be made (the file must not be replaced then).
    bool KeepDamagedCopy(const QString& path, bool& pending);
    bool WriteOrRescue(const QString& path, const QByteArray& bytes, bool damagedCopyKept);

    QString programDir_;
    QString dataDir_;
    bool readOnly_ = false;
    WinnerRemovalSink removalSink_;
    int recordBatchDepth_ = 0;
    std::vector<WinnerRemoval> batched_;

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
    int32_t prizeUIType_ = PrizeLayout::Picture;
    int32_t fieldType_ = 0;
    bool allowRepeat_ = false;
    bool fieldTypeByOperator_ = false;
    QString showScreen_;
    bool presenterKeys_ = false;
    bool alwaysShowHelp_ = false;
    bool stopSoundEnabled_ = true;
    QString stopSoundFile_;
    bool hidePhoneDigits_ = true;
    CheckInSettings checkIn_;
    std::unique_ptr<CheckInLog> checkIns_;
    QSize windowSize_{0, 0};
    bool windowMaximized_ = false;
    MediaList musicList_;
    MediaList backgroundList_;

    bool candidateFileDamaged_ = false;
    bool dataFileDamaged_ = false;

    std::unique_ptr<RescueStore> rescues_;
    std::function<void(const SaveProblem&)> onSaveFailure_;
    std::function<void()> onSaveRecovery_;
    std::vector<QString> failing_;
    SaveProblem lastProblem_;
};

// The one AppData of the process, created (and loaded from the program folder) on first use.
AppData& TheAppData();
// Creates the one AppData with its shipped files in shareDir and the operator's in dataDir
// (replacing one that exists).
AppData& CreateAppData(const QString& shareDir, const QString& dataDir);
// Deletes it, which saves both files. Safe to call when none exists.
void DestroyAppData();
