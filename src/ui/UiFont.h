#pragma once

#include <QFont>
#include <QString>
#include <QStringList>

// The shared dialog font of the setup window: "微软雅黑", 10 points.
class UiFont {
  public:
    UiFont();
    const QString& FaceName() const { return faceName_; }
    const QString& SecondFaceName() const { return secondFaceName_; }
    const QFont& Font() const { return font_; }

  private:
    QString faceName_;
    QString secondFaceName_;
    QFont font_;
};

// Created on first use.
UiFont& TheUiFont();
void DestroyUiFont();
