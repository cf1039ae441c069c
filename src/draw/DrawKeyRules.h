#pragma once

#include <QString>

#include <array>

// What a candidate is drawn by, as plain rules over the four fields, shared by the draw and by
// the import preview so both judge a list the same way.
class DrawKeyRules {
  public:
    // The draw-key text for a field type: 0 number, 1 name, 2 "name department", 3 mobile.
    static QString Text(const QString& no, const QString& name, const QString& department,
                        const QString& tel, int fieldType);
    // A mobile number as the projector shows it: the four digits before the last four become
    // asterisks (13800138000 -> 138****8000); a shorter number keeps only its last four.
    static QString HidePhoneDigits(const QString& tel);
    // Whether a key has anything before its trailing white space.
    static bool HasKey(const QString& key);
    // The first non-empty of number, name, department, mobile (0..3); -1 when all are empty.
    static int FirstFilledField(const QString& no, const QString& name, const QString& department,
                                const QString& tel);
    // Of number, name and mobile, the field most candidates start with (counts by
    // FirstFilledField); -1 when none does.
    static int MostCommonFirstField(const std::array<int, 4>& counts);
};
