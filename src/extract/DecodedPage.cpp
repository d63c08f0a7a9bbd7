// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "DecodedPage.h"

#include <QDir>
#include <QFileInfo>

namespace {

const QString kPrefix = QStringLiteral("page");

} // namespace

DecodedPage::DecodedPage(QString folder, Extract extract)
    : m_folder(std::move(folder))
    , m_extract(std::move(extract))
{
}

DecodedPage::~DecodedPage()
{
    if (m_page != 0)
        QDir(m_folder).removeRecursively();
}

void DecodedPage::clear()
{
    QDir(m_folder).removeRecursively();
    m_page = 0;
}

QString DecodedPage::file(int page, qsizetype indexOnPage)
{
    if (page != m_page) {
        clear();
        if (!QDir().mkpath(m_folder))
            return QString();
        m_page = page;
        if (!m_extract(page, QDir(m_folder).filePath(kPrefix)))
            return QString();
    }
    const QString stem = QDir(m_folder).filePath(kPrefix) + QLatin1Char('-')
                         + QString::number(indexOnPage).rightJustified(3, QLatin1Char('0'));
    for (const char* suffix : {".ppm", ".pbm", ".pgm"}) {
        const QFileInfo info(stem + QLatin1String(suffix));
        if (info.isFile() && !info.isSymLink())
            return info.filePath();
    }
    return QString();
}
