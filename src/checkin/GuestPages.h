#pragma once

#include <QByteArray>

// The pages the service serves, each one file with everything inline: no request leaves the
// laptop, and the venue's Wi-Fi needs no internet. Names reach the page as JSON and are set
// as text, never as HTML.
namespace GuestPages {
// The guest's page for a method of proof (CheckInSettings::Method).
QByteArray CheckIn(int method);
// The host's phone: one big button.
QByteArray Remote();
// A link whose token is wrong or old.
QByteArray Refused();
}  // namespace GuestPages
