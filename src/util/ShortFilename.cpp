#include "ShortFilename.h"

#include "Platform.h"

namespace ShortFilename {

QString GetShortName(const QString& path)
{
    return Platform::ShortPathName(path);
}

} // namespace ShortFilename
