#pragma once

#include <QString>

// What the draw engine needs from the windows: the Yes/No shortage question and running the
// show window modally. The program supplies the real one; tests supply their own.
class ShowHost {
  public:
    virtual ~ShowHost() = default;
    // True only when the operator answered Yes.
    virtual bool AskToContinue(const QString& question) = 0;
    // Runs the show until the operator leaves it.
    virtual void RunShow() = 0;
};
