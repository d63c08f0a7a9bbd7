#include "ExtractorOutput.h"

#include "NetpbmHeader.h"
#include "util/AddFolder.h"
#include "util/Platform.h"

#include <QFileInfo>

ExtractorOutput::ExtractorOutput(const QString& imageFolder)
    : m_dir(imageFolder + QStringLiteral(".orvalin-XXXXXX"))
{
    if (m_dir.isValid())
        Platform::HideFile(m_dir.path());
}

QString ExtractorOutput::Folder() const
{
    return QDir::toNativeSeparators(m_dir.path()) + Platform::Separator();
}

QString ExtractorOutput::Prefix() const
{
    return Folder() + QStringLiteral("image");
}

QStringList ExtractorOutput::Images() const
{
    QStringList images;
    for (const QString& name : AddFolder::ListFiles(Folder(), QStringLiteral("image-*.p?m")))
        images.append(Folder() + name);
    return images;
}

bool ExtractorOutput::IsWhole(const QString& path)
{
    const std::optional<NetpbmHeader> header = NetpbmHeader::ReadFile(path);
    return header && QFileInfo(path).size() == header->FileSize();
}

void ExtractorOutput::Remove()
{
    m_dir.remove();
}
