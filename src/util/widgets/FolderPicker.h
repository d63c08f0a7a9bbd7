#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace FolderPicker {

// Shows the modal folder picker with prompt as its title and returns the
// chosen folder's full path (with a final separator only for a root), or the
// empty string when the user cancels. The picker starts in startFolder when
// that is a folder, else in the home folder (never in the process's current
// folder, which is no choice of the user's).
QString BrowseForFolder(QWidget* owner, const QString& prompt, const QString& startFolder = QString());

// Test seam: the next call returns this answer instead of showing the picker
// ("" answers like a cancel). Answers are used in the order queued.
void SetNextAnswerForTests(const QString& answer);
// The prompt of the last call, so a test can see which question was asked.
QString LastPromptForTests();
// The folder the last call started in.
QString LastStartForTests();

} // namespace FolderPicker
