#include "FolderPicker.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QQueue>

namespace FolderPicker {

namespace {
QQueue<QString>& Answers()
{
    static QQueue<QString> answers;
    return answers;
}
QString& LastPrompt()
{
    static QString prompt;
    return prompt;
}
QString& LastStart()
{
    static QString start;
    return start;
}
} // namespace

QString BrowseForFolder(QWidget* owner, const QString& prompt, const QString& startFolder)
{
    LastPrompt() = prompt;
    LastStart() = !startFolder.isEmpty() && QFileInfo(startFolder).isDir() ? startFolder : QDir::homePath();
    if (!Answers().isEmpty())
        return Answers().dequeue();
    const QString chosen = QFileDialog::getExistingDirectory(owner, prompt, LastStart(), QFileDialog::ShowDirsOnly);
    return QDir::toNativeSeparators(chosen);
}

void SetNextAnswerForTests(const QString& answer)
{
    Answers().enqueue(answer);
}

QString LastPromptForTests()
{
    return LastPrompt();
}

QString LastStartForTests()
{
    return LastStart();
}

} // namespace FolderPicker
