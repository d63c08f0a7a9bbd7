#pragma once

#include <QString>

#include <functional>

class QWidget;

// The program's message boxes: OK alone, no icon, the application title as
// caption. A carriage return in the text breaks the line, as it does in a
// system message box.
namespace MessageBox {

void Show(QWidget* parent, const QString& text);

// Test seam: while set, messages go to the recorder instead of a modal box.
void SetRecorderForTests(std::function<void(const QString&)> recorder);

} // namespace MessageBox
