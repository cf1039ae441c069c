#pragma once

#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

#include "model/Winner.h"

// A winner record leaving the model, as the draw record is told of it: deleted on the winner
// page or with its prize, voided because the person was not in the room, or every winner at
// once when the candidates are cleared.
struct WinnerRemoval {
    enum class Kind { Deleted, Voided, Cleared };
    Kind kind = Kind::Deleted;
    Winner winner;      // the record that left (unused for Cleared)
    QString reason;     // why a void happened when it was not the operator ("interrupted")
    int64_t count = 0;  // Cleared: how many winners went
    QString time;       // when it happened

    static WinnerRemoval Of(Kind kind, const Winner& winner) {
        WinnerRemoval r;
        r.kind = kind;
        r.winner = winner;
        return r;
    }
};

// Where the model sends its removals (the draw record). Removals made together arrive in one
// call, so they can be written and synced together.
using WinnerRemovalSink = std::function<void(const std::vector<WinnerRemoval>&)>;
