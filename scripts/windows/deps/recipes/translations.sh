# Qt's own translations (plain .qm files, the same on every platform) from Debian's package.
VERSION_OF=qt6-translations-l10n

build() {
  local from=/usr/share/qt6/translations
  [ -d "$from" ] || die "qt6-translations-l10n is not installed"
  mkdir -p "$PREFIX/translations"
  # Chinese only, and Qt base only (qt_*.qm loads qtbase_*.qm).
  cp "$from"/qt_zh_CN.qm "$from"/qt_zh_TW.qm "$from"/qtbase_zh_CN.qm "$from"/qtbase_zh_TW.qm \
     "$PREFIX/translations/"
  ls "$PREFIX/translations"
}
