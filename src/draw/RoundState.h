#pragma once

#include <QString>

#include <vector>

#include "draw/RoundSelection.h"

// The state of one running show (or of the design preview): which screen, which prize and
// round, and the names on screen.
class RoundState {
  public:
    enum Screen { kWelcome = 0, kPrize = 1, kRolling = 2, kWinners = 3, kFinished = 4 };

    int state = kWelcome;
    QString title;
    int prizeId = -1;
    int roundNumber = 1;
    int batchSize = 1;
    std::vector<RoundSelection> selection;
    QString prizeText;
    // The current prize's picture file; empty when it has none. The screen decodes it and
    // stands in a default picture when it is missing or does not decode.
    QString prizeImage;
    QString placeholderPrizeText = QStringLiteral("这里是奖项名称");
    int selectedElement = -1;  // outlined element in design mode
    // The show's fingerprint ("ABCD EF01 2345 6789"), shown on the welcome and finished
    // screens, and the whole commitment it abbreviates (64 hex digits, for its QR code); empty
    // in design mode.
    QString fingerprint;
    QString commitment;
    // A redraw round for voided winners draws this many (0: a normal round).
    int redraw = 0;
    // A rehearsal: the screens carry a mark and nothing is kept.
    bool rehearsal = false;
    // The one point size of the rolling and winning names of this round, fitted when the roll
    // starts; 0 lets the renderer fit the first name (design mode's samples).
    int namesPointSize = 0;
    // How the round's names stand, planned with that size: columns and rows of one page and
    // names per page (0: not planned, laid out by count), and the page on screen. Every name is
    // drawn and recorded; the pages only decide which of them are painted.
    int columns = 0;
    int rows = 0;
    int perPage = 0;
    int page = 0;
    int Pages() const {
        const int n = int(selection.size());
        return perPage > 0 && n > perPage ? (n + perPage - 1) / perPage : 1;
    }
    bool OnPage(size_t index) const { return perPage <= 0 || int(index) / perPage == page; }
    // Candidates the rolls may still show (pool and pending list), for the status line.
    int remaining = 0;
    // Phone check-in, on the welcome screen: the guests' link (empty: none) and the count.
    QString checkInUrl;
    int checkedIn = 0;
    int checkInTotal = 0;
};
