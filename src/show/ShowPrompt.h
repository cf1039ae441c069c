#pragma once

#include <QRect>
#include <QString>

// A question the show asks over its own screen, in its own style: large, centred, Yes or No,
// No until the operator chooses otherwise. The room sees a question, never a desktop box.
struct ShowPrompt {
    QString text;
    QString detail;  // a smaller line under the question; may be empty
    bool yesChosen = false;
};
