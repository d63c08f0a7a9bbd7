#pragma once

#include <QLockFile>
#include <QString>

#include <memory>

// The copy of the current PDF that the extractor reads. It lives in the
// application folder when that folder is writable, otherwise in the per-user
// cache folder. A lock file keeps two running instances from sharing one:
// the second instance takes current-2.pdf, and so on.
class WorkCopy
{
public:
    explicit WorkCopy(const QString& applicationFolder);
    ~WorkCopy();

    // Claims a work copy path for this run; false when none could be had.
    bool Acquire();
    void Release();

    // The claimed path (empty before Acquire succeeds).
    const QString& Path() const { return m_path; }
    // The folder the work copy goes into: the application folder when it is
    // the user's own, writable and no system folder; else the cache folder.
    QString Folder() const;

private:
    QString m_applicationFolder;
    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
};
