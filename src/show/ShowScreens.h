#pragma once

#include <QString>

class QScreen;

// The screens a show can open on, by their names (a laptop drives a projector as a second
// screen).
class ShowScreens {
  public:
    // The screen with that name; the primary screen when the name is empty or no such screen
    // is connected.
    static QScreen* Find(const QString& name);
    // How the screen is offered to the operator: its name and size.
    static QString Label(const QScreen* screen);
};
