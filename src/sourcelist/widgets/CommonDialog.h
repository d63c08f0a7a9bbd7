#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class QWidget;

// The open-file dialog, set up and read like a property sheet: FileName,
// Flags, DialogTitle, Filter, then ShowOpen. FileName comes back as one full
// path for one file, or the folder followed by the names, NUL-separated, and
// empty when the user cancelled.
class CommonDialog
{
public:
    static constexpr unsigned kReadOnly = 0x1;
    static constexpr unsigned kAllowMultiselect = 0x200;
    static constexpr unsigned kExplorer = 0x80000;
    static constexpr unsigned kLongNames = 0x200000;

    explicit CommonDialog(QWidget* owner = nullptr);

    QString FileName;
    unsigned Flags = 0;
    QString DialogTitle;
    QString Filter;             // "Description|pattern|...", as pairs
    QString InitDir;            // the folder the dialog starts in
    int MaxFileSize = 30000;    // characters one answer may hold

    // Shows the dialog modally. Returns false, with FileName empty, when the
    // answer would not fit in MaxFileSize characters.
    bool ShowOpen();

    // Test seam: the next ShowOpen anywhere answers with these paths instead
    // of showing the dialog (an empty list answers like a cancel).
    static void SetNextSelectionForTests(const QStringList& paths);
    // The settings of the last ShowOpen, for tests.
    static const CommonDialog& LastShownForTests();

private:
    QWidget* m_owner;
};
