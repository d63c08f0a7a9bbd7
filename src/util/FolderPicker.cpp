#include "FolderPicker.h"

#include <QDir>
#include <QFileDialog>
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
} // namespace

QString BrowseForFolder(QWidget* owner, const QString& prompt)
{
    LastPrompt() = prompt;
    if (!Answers().isEmpty())
        return Answers().dequeue();
    const QString chosen = QFileDialog::getExistingDirectory(owner, prompt, QString(), QFileDialog::ShowDirsOnly);
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

} // namespace FolderPicker
