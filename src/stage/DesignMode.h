#pragma once

class AppData;
class QWidget;

// Runs the design window modally over parent (the active window when null), then writes
// data.xml. Returns whether the file was written.
bool RunDesignMode(AppData& data, QWidget* parent);
